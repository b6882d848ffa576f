// Reads and writes the whole floating-point environment the plug-in must
// leave as it found it: x87 control and status words and MXCSR.
#pragma once

#include <cfloat>
#include <cstdint>

struct FpEnvironment {
  std::uint16_t x87Control;
  std::uint16_t x87Status;  // without the stack-top bits
  std::uint32_t mxcsr;
  bool operator==(const FpEnvironment& o) const {
    return x87Control == o.x87Control && x87Status == o.x87Status && mxcsr == o.mxcsr;
  }
};

// Where double arithmetic is evaluated on the x87 (32-bit builds), sums are
// rounded at the thread's x87 precision; elsewhere SSE sums at double
// precision. The plug-in's DLL is built with the same compiler and flags.
constexpr bool kX87Sum = FLT_EVAL_METHOD == 2;

enum class Rounding { Nearest = 0, Down = 1, Up = 2, TowardZero = 3 };
enum class X87Precision { Single = 0, Double = 2, Extended = 3 };

inline FpEnvironment ReadFpEnvironment() {
  FpEnvironment e;
  asm volatile("fnstcw %0" : "=m"(e.x87Control));
  asm volatile("fnstsw %0" : "=m"(e.x87Status));
  asm volatile("stmxcsr %0" : "=m"(e.mxcsr));
  e.x87Status &= static_cast<std::uint16_t>(~0x3800);
  return e;
}

inline void WriteFpEnvironment(const FpEnvironment& e) {
  struct {
    std::uint16_t control, pad0, status, pad1;
    std::uint32_t rest[5];
  } env;
  asm volatile("fnstenv %0" : "=m"(env)::"memory");
  env.control = e.x87Control;
  env.status = static_cast<std::uint16_t>((env.status & 0x3800) | (e.x87Status & ~0x3800));
  asm volatile("fldenv %0" ::"m"(env) : "memory");
  asm volatile("ldmxcsr %0" ::"m"(e.mxcsr) : "memory");
}

// The environment of a host that traps on every floating-point exception,
// with the given rounding (x87 and SSE) and x87 precision.
inline FpEnvironment TrappingEnvironment(Rounding rounding, X87Precision precision) {
  FpEnvironment e;
  const unsigned rc = static_cast<unsigned>(rounding);
  e.x87Control = static_cast<std::uint16_t>(0x1040 | (rc << 10) | (static_cast<unsigned>(precision) << 8));
  e.x87Status = 0;
  e.mxcsr = rc << 13;
  return e;
}

// Restores the environment at the end of a scope.
class FpEnvironmentScope {
 public:
  FpEnvironmentScope() : saved_(ReadFpEnvironment()) {}
  ~FpEnvironmentScope() { WriteFpEnvironment(saved_); }

 private:
  FpEnvironment saved_;
};
