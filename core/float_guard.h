// Scoped guard for the plug-in's own arithmetic. Hosts may run with
// floating-point exceptions unmasked, where a raised exception is a trap
// that kills the host. The guard masks every exception (x87 and SSE) and
// leaves rounding and precision as the host set them; on leaving, the x87
// control and status words and MXCSR are restored bit for bit, flags
// included, so the host never sees what the guarded code raised.
#pragma once

#include <cstdint>

class FloatingPointGuard {
 public:
  FloatingPointGuard() noexcept;
  ~FloatingPointGuard() noexcept;
  FloatingPointGuard(const FloatingPointGuard&) = delete;
  FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

 private:
  std::uint16_t x87Control_;
  std::uint16_t x87Status_;
  std::uint32_t mxcsr_;
};

// True when double sums are rounded to 53 bits or more: always where SSE
// does the arithmetic, and on the x87 unless its precision control is set
// to single precision.
bool SumsKeepAtLeastDoublePrecision() noexcept;
