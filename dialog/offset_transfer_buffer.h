// The offset dialog's data-transfer record: the controls' data back to
// back, in the order the control objects are made, with no padding.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kOffsetTextSize = 16;

struct OffsetTransferRecord {
  char EastText[kOffsetTextSize];   // edit 107
  char NorthText[kOffsetTextSize];  // edit 108
  char UpText[kOffsetTextSize];     // edit 109
  std::uint16_t ExtrudeState;       // check box 106: 0 or 1
};

static_assert(sizeof(OffsetTransferRecord) == 50, "transfer buffer size");
static_assert(offsetof(OffsetTransferRecord, NorthText) == 16, "transfer layout");
static_assert(offsetof(OffsetTransferRecord, UpText) == 32, "transfer layout");
static_assert(offsetof(OffsetTransferRecord, ExtrudeState) == 48, "transfer layout");

extern OffsetTransferRecord OffsetTransferBuffer;

// "0" into the first two bytes of each text, the box checked; the other
// bytes of the texts stay as they are.
void PresetOffsetTransferBuffer();
