// The user's choice, carried from the offset dialog to the move.
#pragma once

#include <cstdint>

struct OffsetParametersRecord {
  double EastOffset;       // host units, added to X
  double NorthOffset;      // host units, added to Y
  double UpOffset;         // host units, added to Z
  std::uint8_t ExtrudeFlag;  // non-zero: open with the extrude hook
};

// One instance for the whole load, written by every dialog run.
extern OffsetParametersRecord OffsetParameters;
