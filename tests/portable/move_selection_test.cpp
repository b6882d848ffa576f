#include "core/move_selection.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "core/offset_parameters.h"
#include "host/host_model.h"
#include "tests/common/fp_environment.h"

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

class MoveSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override { SetOffsets(0.0, 0.0, 0.0, 0); }
  void SetOffsets(double east, double north, double up, std::uint8_t extrude) {
    OffsetParameters = {east, north, up, extrude};
  }
  HostModel host;
};

struct RuleCase {
  std::int32_t c;
  double d;
  std::int32_t expected;
};

// Sum, truncate toward zero, saturate; NaN keeps the coordinate.
const RuleCase kRuleCases[] = {
    {5, 0.7, 5},
    {-5, -0.7, -5},
    {-5, 0.3, -4},
    {3, 2.5, 5},
    {0, -0.5, 0},
    {kMax, 1.0, kMax},
    {kMin, -1.0, kMin},
    {10, 4294967296.0, kMax},
    {0, 3e9, kMax},
    {0, -(4294967296.0 + 1.0), kMin},
    {7, 1e19, kMax},
    {7, -1e19, kMin},
    {7, kInf, kMax},
    {7, -kInf, kMin},
    {7, kNaN, 7},
    {7, -kNaN, 7},
    {7, DBL_MAX, kMax},
    {7, -DBL_MAX, kMin},
    {kMax, -0.5, kMax - 1},
    {kMin, 0.5, kMin + 1},
    {kMax - 1, 0.999, kMax - 1},
    {kMin + 1, -0.999, kMin + 1},
    {0, 2147483647.9, kMax},
    {0, -2147483648.9, kMin},
    {123, 0.0, 123},
    {123, -0.0, 123},
    {123, 4.9e-324, 123},
};

TEST_F(MoveSelectionTest, CoordinateRuleOnEveryAxis) {
  for (const RuleCase& rule : kRuleCases) {
    for (int axis = 0; axis < 3; ++axis) {
      SCOPED_TRACE(::testing::Message() << "c=" << rule.c << " d=" << rule.d << " axis=" << axis);
      host.SetVertices({HostModel::Vertex(rule.c, rule.c, rule.c, 1)});
      SetOffsets(axis == 0 ? rule.d : 0.0, axis == 1 ? rule.d : 0.0, axis == 2 ? rule.d : 0.0, 0);
      MoveSelection(host.Record());
      const HostVertex v = host.Vertices()[0];
      const std::int32_t moved[3] = {v.X, v.Y, v.Z};
      for (int other = 0; other < 3; ++other) EXPECT_EQ(moved[other], other == axis ? rule.expected : rule.c);
    }
  }
}

TEST_F(MoveSelectionTest, OnlyStatusOneMovesAndHostBytesStayUntouched) {
  const std::int8_t statuses[] = {1, 0, 2, -1, 1, 127, -128};
  std::vector<HostVertex> before;
  for (std::int8_t s : statuses) {
    HostVertex v = HostModel::Vertex(100, 200, 300, s);
    for (int b = 0; b < 4; ++b) v.HostBytes0[b] = static_cast<std::uint8_t>(b * 37 + s);
    for (int b = 0; b < 15; ++b) v.HostBytes5[b] = static_cast<std::uint8_t>(b * 11 - s);
    before.push_back(v);
  }
  host.SetVertices(before);
  SetOffsets(1.0, -2.0, 3.5, 0);
  MoveSelection(host.Record());

  const std::vector<HostVertex> after = host.Vertices();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    SCOPED_TRACE(i);
    HostVertex expected = before[i];
    if (expected.Status == 1) {
      expected.X = 101;
      expected.Y = 198;
      expected.Z = 303;
    }
    EXPECT_EQ(0, std::memcmp(&after[i], &expected, sizeof expected));
  }
}

TEST_F(MoveSelectionTest, OpeningHookIsChosenByTheFlagAndGetsOne) {
  const struct {
    std::uint8_t flag;
    const char* opening;
  } cases[] = {{1, "Extrude(1)"}, {2, "Extrude(1)"}, {255, "Extrude(1)"}, {0, "PlainMove(1)"}};
  for (const auto& c : cases) {
    host.ClearLog();
    host.OnOpeningHook = [](HostModel&) {};
    host.SetVertices({HostModel::Vertex(0, 0, 0, 1)});
    SetOffsets(1.0, 1.0, 1.0, c.flag);
    MoveSelection(host.Record());
    EXPECT_EQ(host.Log(), (std::vector<std::string>{c.opening, "FirstAfterMove", "SecondAfterMove"}))
        << "flag " << int(c.flag);
  }
}

TEST_F(MoveSelectionTest, EmptyModelStillCallsEveryHookInOrder) {
  host.SetVertices({});
  MoveSelection(host.Record());
  EXPECT_EQ(host.Log(), (std::vector<std::string>{"PlainMove(1)", "FirstAfterMove", "SecondAfterMove"}));
}

TEST_F(MoveSelectionTest, ZeroOffsetsWriteEveryCoordinateBack) {
  host.SetVertices({HostModel::Vertex(kMin, kMax, -1, 1)});
  MoveSelection(host.Record());
  const HostVertex v = host.Vertices()[0];
  EXPECT_EQ(v.X, kMin);
  EXPECT_EQ(v.Y, kMax);
  EXPECT_EQ(v.Z, -1);
  EXPECT_EQ(host.Log().size(), 3u);
}

TEST_F(MoveSelectionTest, PassCoversWhatTheOpeningHookLeft) {
  host.SetVertices({HostModel::Vertex(0, 0, 0, 1), HostModel::Vertex(10, 10, 10, 1)});
  const std::vector<HostVertex> original = host.Vertices();
  host.OnOpeningHook = [](HostModel& h) {
    // A new, longer array; the hook clears one selection and makes another.
    h.SetVertices({HostModel::Vertex(1, 1, 1, 0), HostModel::Vertex(2, 2, 2, 1), HostModel::Vertex(3, 3, 3, 5),
                   HostModel::Vertex(4, 4, 4, 1)});
  };
  SetOffsets(100.0, 100.0, 100.0, 1);
  MoveSelection(host.Record());
  const std::vector<HostVertex> after = host.Vertices();
  ASSERT_EQ(after.size(), 4u);
  const std::int32_t expected[] = {1, 102, 3, 104};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(after[i].X, expected[i]) << i;
}

// Opening hooks that change the model under the plug-in: the pass follows
// whatever the host left when the hook returned.
TEST_F(MoveSelectionTest, OpeningHooksThatReshapeTheModel) {
  const struct {
    const char* name;
    std::function<void(HostModel&)> hook;
    std::vector<std::int32_t> expectedX;
  } cases[] = {
      {"shrinks the count to 0", [](HostModel& h) { h.VertexCount() = 0; }, {0, 1, 2}},
      {"shrinks the count to 1", [](HostModel& h) { h.VertexCount() = 1; }, {10, 1, 2}},
      {"grows tenfold",
       [](HostModel& h) { h.SetVertices(std::vector<HostVertex>(30, HostModel::Vertex(5, 0, 0, 1))); },
       std::vector<std::int32_t>(30, 15)},
      {"replaces the array twice",
       [](HostModel& h) {
         h.SetVertices({HostModel::Vertex(100, 0, 0, 1)});
         h.SetVertices({HostModel::Vertex(200, 0, 0, 0), HostModel::Vertex(300, 0, 0, 1)});
       },
       {200, 310}},
      {"selects nothing any more",
       [](HostModel& h) {
         for (std::uint32_t i = 0; i < h.VertexCount(); ++i) h.VertexArray()[i].Status = 0;
       },
       {0, 1, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host.SetVertices({HostModel::Vertex(0, 0, 0, 1), HostModel::Vertex(1, 0, 0, 1), HostModel::Vertex(2, 0, 0, 1)});
    host.SelectedCount() = -1;  // plays no part in the pass
    host.OnOpeningHook = c.hook;
    SetOffsets(10.0, 0.0, 0.0, 1);
    MoveSelection(host.Record());
    // Read as many elements as the array the host left holds, beyond a
    // shrunken count too.
    std::vector<std::int32_t> xs;
    for (std::size_t i = 0; i < c.expectedX.size(); ++i) xs.push_back(host.VertexArray()[i].X);
    EXPECT_EQ(xs, c.expectedX);
  }
}

TEST_F(MoveSelectionTest, ModelersExtrudeMovesOnlyTheCopies) {
  host.LoadCube();
  SetOffsets(0.0, 0.0, 250.0, 1);
  MoveSelection(host.Record());
  const std::vector<HostVertex> after = host.Vertices();
  ASSERT_EQ(after.size(), 12u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(after[i].Z, (i >> 2 & 1) * 1000) << i;
  for (int i = 8; i < 12; ++i) EXPECT_EQ(after[i].Z, 1250) << i;
}

TEST_F(MoveSelectionTest, EachSelectedVertexMovesExactlyOnce) {
  // The pass re-reads the count each step; growing it inside the pass is
  // impossible, but duplicates of one address must still move once each.
  std::vector<HostVertex> many(1000, HostModel::Vertex(0, 0, 0, 1));
  host.SetVertices(many);
  SetOffsets(1.0, 2.0, 3.0, 0);
  MoveSelection(host.Record());
  for (const HostVertex& v : host.Vertices()) {
    ASSERT_EQ(v.X, 1);
    ASSERT_EQ(v.Y, 2);
    ASSERT_EQ(v.Z, 3);
  }
}

// Offsets whose sums with 32-bit coordinates are exact move by integer
// arithmetic; every offset, exact or not, must give what the rule gives,
// in every rounding mode and at every x87 precision (single precision
// rounds even those sums).
TEST_F(MoveSelectionTest, EveryOffsetMovesAsTheRuleSays) {
  const double offsets[] = {0.0,          -0.0,        0.5,           -0.5,         1.5,
                            -2.25,        3.75,        1000.0,        12345.125,    0x1p-21,
                            -0x1p-21,     3 + 0x1p-21, 2147483647.0,  2147483647.5, -2147483647.75,
                            -2147483648.0, 2147483648.0, 0x1p-22,      1e-6,         0.1,
                            -7.3,         -0x1p-23,    5 + 0x1p-24};
  std::vector<std::int32_t> coordinates = {kMin, kMin + 1, kMin + 2, -2,         -1,        0,
                                           1,    2,        kMax - 2, kMax - 1,   kMax,      1 << 24,
                                           -(1 << 24),     123456789, -987654321};
  std::uint32_t state = 12345;
  for (int i = 0; i < 40; ++i) coordinates.push_back(static_cast<std::int32_t>(state = state * 1103515245u + 12345u));
  std::vector<HostVertex> vertices;
  for (std::int32_t c : coordinates) vertices.push_back(HostModel::Vertex(c, c, c, 1));

  for (Rounding rounding : {Rounding::Nearest, Rounding::Down, Rounding::Up, Rounding::TowardZero}) {
    for (X87Precision precision : {X87Precision::Single, X87Precision::Double, X87Precision::Extended}) {
      FpEnvironment env = TrappingEnvironment(rounding, precision);
      env.x87Control |= 0x3F;  // masked, so the expected values can be computed here
      env.mxcsr |= 0x1F80;
      for (double d : offsets) {
        SCOPED_TRACE(::testing::Message() << "d " << d << " rounding " << int(rounding) << " precision "
                                          << int(precision));
        host.SetVertices(vertices);
        SetOffsets(d, -d, d, 0);
        FpEnvironmentScope restore;
        WriteFpEnvironment(env);
        MoveSelection(host.Record());
        const std::vector<HostVertex> after = host.Vertices();
        for (std::size_t i = 0; i < coordinates.size(); ++i) {
          const std::int32_t c = coordinates[i];
          ASSERT_EQ(after[i].X, MovedCoordinate(c, d)) << c;
          ASSERT_EQ(after[i].Y, MovedCoordinate(c, -d)) << c;
          ASSERT_EQ(after[i].Z, MovedCoordinate(c, d)) << c;
        }
      }
    }
  }
}

// A host may keep the vertex count inside the vertex memory itself: the
// pass then follows the count as its own writes change it.
TEST_F(MoveSelectionTest, CountKeptInsideTheVerticesIsReadAfresh) {
  for (double up : {1.0, 1.5}) {  // exact integer arithmetic and the general rule
    SCOPED_TRACE(up);
    host.Record()->VertexCount = &host.VertexCount();  // not into a freed array
    host.SetVertices({HostModel::Vertex(0, 0, 2, 1), HostModel::Vertex(10, 0, 0, 1), HostModel::Vertex(10, 0, 0, 1),
                      HostModel::Vertex(10, 0, 0, 1), HostModel::Vertex(10, 0, 0, 1)});
    // The count is vertex 0's Z: 2 until the pass moves it to 3.
    host.Record()->VertexCount = reinterpret_cast<std::uint32_t*>(&host.VertexArray()[0].Z);
    SetOffsets(1.0, 0.0, up, 0);
    MoveSelection(host.Record());
    std::vector<std::int32_t> xs;
    for (int i = 0; i < 5; ++i) xs.push_back(host.VertexArray()[i].X);
    EXPECT_EQ(xs, (std::vector<std::int32_t>{1, 11, 11, 10, 10}));
    EXPECT_EQ(host.VertexArray()[0].Z, 3);
  }
  host.Record()->VertexCount = &host.VertexCount();
}

// The working precision decides where the sum lies within one rounding
// step of an integer. SSE sums at double precision; x87 at the host's.
TEST_F(MoveSelectionTest, WorkingPrecisionExamples) {
  const double belowOne = std::nextafter(1.0, 0.0);
  const struct {
    std::int32_t c;
    double d;
    std::int32_t atDouble, atExtended;
  } cases[] = {{1, belowOne, 2, 1}, {1 << 24, 0.9999999999, (1 << 24) + 1, 1 << 24}};
  for (const auto& c : cases) {
    if (!kX87Sum) {
      EXPECT_EQ(MovedCoordinate(c.c, c.d), c.atDouble);
      continue;
    }
    for (X87Precision precision : {X87Precision::Double, X87Precision::Extended}) {
      FpEnvironmentScope restore;
      FpEnvironment env = ReadFpEnvironment();
      env.x87Control = static_cast<std::uint16_t>((env.x87Control & ~0x300) | (unsigned(precision) << 8));
      WriteFpEnvironment(env);
      const std::int32_t moved = MovedCoordinate(c.c, c.d);
      EXPECT_EQ(moved, precision == X87Precision::Double ? c.atDouble : c.atExtended);
    }
  }
}

// A host that traps on every exception, in every rounding mode (and on
// x87 at both precisions): no trap, the results of the rule, and the
// environment bit-identical afterwards; the hooks see the host's own.
TEST_F(MoveSelectionTest, TrappingHostEnvironmentIsKeptBitForBit) {
  const Rounding roundings[] = {Rounding::Nearest, Rounding::Down, Rounding::Up, Rounding::TowardZero};
  const X87Precision precisions[] = {X87Precision::Double, X87Precision::Extended};
  for (Rounding rounding : roundings) {
    for (X87Precision precision : precisions) {
      SCOPED_TRACE(::testing::Message() << "rounding " << int(rounding) << " precision " << int(precision));
      host.SetVertices({HostModel::Vertex(7, 7, 7, 1), HostModel::Vertex(kMax, kMin, 1 << 24, 1),
                        HostModel::Vertex(3, -3, 0, 1)});
      std::vector<FpEnvironment> seenByHooks;
      host.OnAnyHook = [&](HostModel&, const char*) { seenByHooks.push_back(ReadFpEnvironment()); };
      host.OnOpeningHook = [](HostModel&) {};
      SetOffsets(DBL_MAX, -kInf, kNaN, 1);
      const FpEnvironment trapping = TrappingEnvironment(rounding, precision);
      FpEnvironment after;
      {
        FpEnvironmentScope restore;
        WriteFpEnvironment(trapping);
        MoveSelection(host.Record());
        after = ReadFpEnvironment();
      }
      EXPECT_TRUE(after == trapping);
      ASSERT_EQ(seenByHooks.size(), 3u);
      for (const FpEnvironment& seen : seenByHooks) EXPECT_TRUE(seen == trapping);
      const std::vector<HostVertex> v = host.Vertices();
      EXPECT_EQ(v[0].X, kMax);
      EXPECT_EQ(v[0].Y, kMin);
      EXPECT_EQ(v[0].Z, 7);
      EXPECT_EQ(v[1].X, kMax);
      EXPECT_EQ(v[1].Y, kMin);
      EXPECT_EQ(v[1].Z, 1 << 24);
    }
  }
}

TEST_F(MoveSelectionTest, RoundingModeOfTheHostRoundsTheSum) {
  if (kX87Sum) GTEST_SKIP() << "at extended precision the sum is exact here";
  // 2^24 + 0.9999999999 lies between two doubles; the host's rounding picks one.
  const struct {
    Rounding rounding;
    std::int32_t expected;
  } cases[] = {{Rounding::Nearest, (1 << 24) + 1},
               {Rounding::Up, (1 << 24) + 1},
               {Rounding::Down, 1 << 24},
               {Rounding::TowardZero, 1 << 24}};
  for (const auto& c : cases) {
    host.SetVertices({HostModel::Vertex(1 << 24, 0, 0, 1)});
    SetOffsets(0.9999999999, 0.0, 0.0, 0);
    {
      FpEnvironmentScope restore;
      WriteFpEnvironment(TrappingEnvironment(c.rounding, X87Precision::Double));
      MoveSelection(host.Record());
    }
    EXPECT_EQ(host.Vertices()[0].X, c.expected) << int(c.rounding);
  }
}

TEST_F(MoveSelectionTest, RaisedFlagsOfTheHostSurviveAndOursDoNotLeak) {
  // Default masks with a few flags already raised by the host: exactly
  // those flags come back, not the ones the move raises (inexact, invalid).
  const FpEnvironment host_env{0x037F, 0x0021 /* inexact, invalid */, 0x1F80 | 0x0010 /* underflow */};
  host.SetVertices({HostModel::Vertex(5, 5, 5, 1)});
  SetOffsets(0.7, kNaN, 1e300, 0);
  FpEnvironment after;
  {
    FpEnvironmentScope restore;
    WriteFpEnvironment(host_env);
    MoveSelection(host.Record());
    after = ReadFpEnvironment();
  }
  EXPECT_TRUE(after == host_env);
}

}  // namespace
