#include "core/move_selection.h"

#include <cfloat>
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

// The host's vertices as the pass must see them: the count and the array
// pointer read afresh for every access, since the host may keep either of
// them inside the very vertex memory the pass writes.
class LiveVertices {
 public:
  explicit LiveVertices(const HostRecord* record) : record_(record) {}
  std::uint32_t Count() const { return *static_cast<volatile const std::uint32_t*>(record_->VertexCount); }
  volatile HostVertex* At(std::uint32_t i) const { return *static_cast<HostVertex* volatile*>(record_->VertexArray) + i; }

 private:
  const HostRecord* record_;
};

// The same vertices when no write of the pass can reach the count or the
// array pointer: every fresh read would give the values read once here, so
// reading them once moves exactly the same coordinates.
class SettledVertices {
 public:
  SettledVertices(std::uint32_t count, HostVertex* array) : count_(count), array_(array) {}
  std::uint32_t Count() const { return count_; }
  HostVertex* At(std::uint32_t i) const { return array_ + i; }

 private:
  std::uint32_t count_;
  HostVertex* array_;
};

// True when the pass writes no byte of the count or of the array pointer:
// neither lies within the array as it stands after the opening hook.
bool PassLeavesCountAndArrayPointer(const HostRecord* record, std::uint32_t count, const HostVertex* array) {
  const std::uint64_t begin = reinterpret_cast<std::uintptr_t>(array);
  const std::uint64_t end = begin + std::uint64_t{sizeof(HostVertex)} * count;
  const auto outside = [&](const void* p, std::uint64_t size) {
    const std::uint64_t at = reinterpret_cast<std::uintptr_t>(p);
    return at + size <= begin || at >= end;
  };
  return outside(record->VertexCount, sizeof(std::uint32_t)) && outside(record->VertexArray, sizeof(HostVertex*));
}

// The coordinate rule with the three offsets of the pass.
struct RuleMove {
  double east, north, up;
  std::int32_t East(std::int32_t c) const { return MovedCoordinate(c, east); }
  std::int32_t North(std::int32_t c) const { return MovedCoordinate(c, north); }
  std::int32_t Up(std::int32_t c) const { return MovedCoordinate(c, up); }
};

// An offset below 2^31 in magnitude with at most 21 bits after the binary
// point adds to any 32-bit coordinate without rounding at 53 bits or more
// (31 + 21 bits fit a double's mantissa), so for it the rule comes down to
// integer arithmetic: whole = floor(d), and a sum that is negative and not
// whole truncates up by one.
struct ExactOffset {
  std::int32_t whole;
  std::int32_t fraction;  // 1 when d is not whole, else 0

  static bool Fits(double d) {
    if (!(d > -0x1p31 && d < 0x1p31)) return false;  // NaN too
    const double scaled = d * 0x1p21;  // exact: a power of two, well inside the range
    return scaled == std::floor(scaled);
  }
  static ExactOffset Of(double d) {
    const double whole = std::floor(d);
    return {static_cast<std::int32_t>(whole), whole != d ? 1 : 0};
  }
  std::int32_t Moved(std::int32_t c) const {
    std::int32_t sum;
    if (__builtin_add_overflow(c, whole, &sum))
      return whole > 0 ? std::numeric_limits<std::int32_t>::max() : std::numeric_limits<std::int32_t>::min();
    return sum < 0 ? sum + fraction : sum;
  }
};

struct ExactMove {
  ExactOffset east, north, up;
  std::int32_t East(std::int32_t c) const { return east.Moved(c); }
  std::int32_t North(std::int32_t c) const { return north.Moved(c); }
  std::int32_t Up(std::int32_t c) const { return up.Moved(c); }
};

// One pass over the whole array. In each assignment the right-hand side,
// with its read of the field, is complete before the left-hand side takes
// the array pointer for the write.
template <class Vertices, class Move>
void MovePass(const Vertices& vertices, const Move& move) {
  for (std::uint32_t i = 0; i < vertices.Count(); ++i) {
    if (vertices.At(i)->Status != 1) continue;
    vertices.At(i)->X = move.East(vertices.At(i)->X);
    vertices.At(i)->Y = move.North(vertices.At(i)->Y);
    vertices.At(i)->Z = move.Up(vertices.At(i)->Z);
  }
}

template <class Move>
void MoveAll(const HostRecord* record, const Move& move) {
  const std::uint32_t count = *record->VertexCount;
  HostVertex* const array = *record->VertexArray;
  if (PassLeavesCountAndArrayPointer(record, count, array))
    MovePass(SettledVertices(count, array), move);
  else
    MovePass(LiveVertices(record), move);
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
    if (SumsKeepAtLeastDoublePrecision() && ExactOffset::Fits(east) && ExactOffset::Fits(north) &&
        ExactOffset::Fits(up))
      MoveAll(record, ExactMove{ExactOffset::Of(east), ExactOffset::Of(north), ExactOffset::Of(up)});
    else
      MoveAll(record, RuleMove{east, north, up});
  }

  record->FirstAfterMoveHook();
  record->SecondAfterMoveHook();
}
