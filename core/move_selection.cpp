#include "core/move_selection.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/float_guard.h"
#include "core/offset_parameters.h"

std::int32_t MovedCoordinate(std::int32_t c, double d) {
  // double_t is the working type of double arithmetic: the x87 extended
  // type on 32-bit x86 (where the host's precision control then rounds the
  // sum), double where SSE does the arithmetic.
  const double_t sum = static_cast<double_t>(c) + static_cast<double_t>(d);
  if (sum != sum) return c;
  if (sum >= static_cast<double_t>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (sum <= static_cast<double_t>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(sum);  // in range: truncates toward zero
}

namespace {

// The host may change its count, array pointer and statuses in the opening
// hook, and nothing forbids the count or the pointer from living inside the
// vertex memory itself, so every access goes to the host's memory afresh.
std::uint32_t CountNow(const HostRecord* record) {
  return *static_cast<volatile const std::uint32_t*>(record->VertexCount);
}

volatile HostVertex* VertexNow(const HostRecord* record, std::uint32_t i) {
  HostVertex* array = *static_cast<HostVertex* volatile*>(record->VertexArray);
  return array + i;
}

void MoveField(const HostRecord* record, std::uint32_t i, volatile std::int32_t HostVertex::*field,
               double offset) {
  const std::int32_t now = VertexNow(record, i)->*field;
  const std::int32_t moved = MovedCoordinate(now, offset);
  VertexNow(record, i)->*field = moved;
}

}  // namespace

void MoveSelection(HostRecord* record) {
  if (OffsetParameters.ExtrudeFlag != 0)
    record->ExtrudeHook(1);
  else
    record->PlainMoveHook(1);

  const double east = OffsetParameters.EastOffset;
  const double north = OffsetParameters.NorthOffset;
  const double up = OffsetParameters.UpOffset;
  {
    FloatingPointGuard guard;
    for (std::uint32_t i = 0; i < CountNow(record); ++i) {
      if (VertexNow(record, i)->Status != 1) continue;
      MoveField(record, i, &HostVertex::X, east);
      MoveField(record, i, &HostVertex::Y, north);
      MoveField(record, i, &HostVertex::Z, up);
    }
  }

  record->FirstAfterMoveHook();
  record->SecondAfterMoveHook();
}
