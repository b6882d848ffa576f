// Moves every selected vertex of the host's model by OffsetParameters,
// between the host's opening hook and its two after-move hooks.
#pragma once

#include <cstdint>

#include "core/host_record.h"

void MoveSelection(HostRecord* record);

// The new value of a coordinate c moved by d: the sum at the calling
// thread's working precision and rounding, truncated toward zero and
// saturated to the 32-bit range; a NaN sum leaves c unchanged. Raises
// floating-point exceptions only where the caller's guard masks them.
std::int32_t MovedCoordinate(std::int32_t c, double d);
