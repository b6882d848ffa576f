#include "dialog/offset_result.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/offset_parameters.h"
#include "dialog/offset_transfer_buffer.h"
#include "host/host_model.h"
#include "tests/common/fp_environment.h"

namespace {

void SetTexts(const char* east, const char* north, const char* up, std::uint16_t extrude) {
  std::strncpy(OffsetTransferBuffer.EastText, east, kOffsetTextSize);
  std::strncpy(OffsetTransferBuffer.NorthText, north, kOffsetTextSize);
  std::strncpy(OffsetTransferBuffer.UpText, up, kOffsetTextSize);
  OffsetTransferBuffer.ExtrudeState = extrude;
}

TEST(OffsetResult, ResetGivesNoOffsetAndExtrude) {
  OffsetParameters = {1.0, 2.0, 3.0, 0};
  ResetOffsetParameters();
  EXPECT_EQ(OffsetParameters.EastOffset, 0.0);
  EXPECT_EQ(OffsetParameters.NorthOffset, 0.0);
  EXPECT_EQ(OffsetParameters.UpOffset, 0.0);
  EXPECT_EQ(OffsetParameters.ExtrudeFlag, 1);
}

TEST(OffsetResult, PresetWritesOnlyTheFirstTwoBytesOfEachText) {
  std::memset(&OffsetTransferBuffer, 'x', sizeof OffsetTransferBuffer);
  PresetOffsetTransferBuffer();
  for (const char* text : {OffsetTransferBuffer.EastText, OffsetTransferBuffer.NorthText, OffsetTransferBuffer.UpText}) {
    EXPECT_STREQ(text, "0");
    for (std::size_t i = 2; i < kOffsetTextSize; ++i) EXPECT_EQ(text[i], 'x');
  }
  EXPECT_EQ(OffsetTransferBuffer.ExtrudeState, 1);
}

TEST(OffsetResult, TextsAreScaledIntoHostUnits) {
  HostModel host;
  host.UnitScale() = 1000.0;
  SetTexts("1.5", "-2", "0", 0);
  StoreOffsetParameters(host.Record());
  EXPECT_EQ(OffsetParameters.EastOffset, 1500.0);
  EXPECT_EQ(OffsetParameters.NorthOffset, -2000.0);
  EXPECT_EQ(OffsetParameters.UpOffset, 0.0);
  EXPECT_EQ(OffsetParameters.ExtrudeFlag, 0);
}

TEST(OffsetResult, ZeroScaleZeroesEveryFiniteText) {
  HostModel host;
  host.UnitScale() = 0.0;
  SetTexts("1e308", "-123.5", "abc", 1);
  StoreOffsetParameters(host.Record());
  EXPECT_EQ(OffsetParameters.EastOffset, 0.0);
  EXPECT_EQ(OffsetParameters.NorthOffset, 0.0);
  EXPECT_EQ(OffsetParameters.UpOffset, 0.0);
  EXPECT_EQ(OffsetParameters.ExtrudeFlag, 1);
}

TEST(OffsetResult, ExtrudeFlagIsTheLowByteOfTheState) {
  HostModel host;
  SetTexts("0", "0", "0", 0x0102);
  StoreOffsetParameters(host.Record());
  EXPECT_EQ(OffsetParameters.ExtrudeFlag, 2);
}

TEST(OffsetResult, ScaleIsReadAfreshForEachBox) {
  // A scale that a hostile host changes between reads is still read for
  // each box; here it is constant, so all three see the same one.
  HostModel host;
  host.UnitScale() = -0.5;
  SetTexts("2", "4", "8", 1);
  StoreOffsetParameters(host.Record());
  EXPECT_EQ(OffsetParameters.EastOffset, -1.0);
  EXPECT_EQ(OffsetParameters.NorthOffset, -2.0);
  EXPECT_EQ(OffsetParameters.UpOffset, -4.0);
}

// Overflowing products, infinity times zero and NaN under a host that
// traps on everything: no trap, the environment as it was.
TEST(OffsetResult, TrappingHostEnvironmentIsKept) {
  HostModel host;
  for (Rounding rounding : {Rounding::Nearest, Rounding::Down, Rounding::Up, Rounding::TowardZero}) {
    for (double scale : {1e300, 0.0, 1e-300}) {
      host.UnitScale() = scale;
      SetTexts("1e300", "+INF", "+NAN", 1);
      const FpEnvironment trapping = TrappingEnvironment(rounding, X87Precision::Extended);
      FpEnvironment after;
      {
        FpEnvironmentScope restore;
        WriteFpEnvironment(trapping);
        StoreOffsetParameters(host.Record());
        after = ReadFpEnvironment();
      }
      EXPECT_TRUE(after == trapping) << int(rounding) << " " << scale;
      EXPECT_TRUE(std::isnan(OffsetParameters.UpOffset));
      if (scale == 0.0) {
        EXPECT_TRUE(std::isnan(OffsetParameters.NorthOffset));
      }
      if (scale == 1e300 && rounding != Rounding::Down && rounding != Rounding::TowardZero) {
        EXPECT_TRUE(std::isinf(OffsetParameters.EastOffset));
      }
    }
  }
}

}  // namespace
