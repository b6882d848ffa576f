#include "dialog/offset_result.h"

#include <cmath>

#include "core/float_guard.h"
#include "core/offset_parameters.h"
#include "dialog/offset_transfer_buffer.h"
#include "dialog/text_conversion.h"

void ResetOffsetParameters() { OffsetParameters = {0.0, 0.0, 0.0, 1}; }

namespace {

double ScaledOffset(const char* text, const HostRecord* record) {
  const double value = ConvertOffsetText(text, kOffsetTextSize);
  const double scale = *static_cast<volatile const double*>(record->UnitScale);
  // The product at the working precision, rounded to a double when stored.
  return static_cast<double>(static_cast<double_t>(value) * static_cast<double_t>(scale));
}

}  // namespace

void StoreOffsetParameters(const HostRecord* record) {
  {
    FloatingPointGuard guard;
    OffsetParameters.EastOffset = ScaledOffset(OffsetTransferBuffer.EastText, record);
    OffsetParameters.NorthOffset = ScaledOffset(OffsetTransferBuffer.NorthText, record);
    OffsetParameters.UpOffset = ScaledOffset(OffsetTransferBuffer.UpText, record);
  }
  OffsetParameters.ExtrudeFlag = static_cast<std::uint8_t>(OffsetTransferBuffer.ExtrudeState & 0xFF);
}
