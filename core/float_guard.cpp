#include "core/float_guard.h"

#include <cfloat>

namespace {

// The 28-byte environment that fnstenv/fldenv use in 32-bit and 64-bit mode.
struct X87Environment {
  std::uint16_t control, unused0;
  std::uint16_t status, unused1;
  std::uint16_t tags, unused2;
  std::uint32_t rest[4];
};
static_assert(sizeof(X87Environment) == 28, "x87 environment size");

constexpr std::uint16_t kX87AllExceptions = 0x3F;
constexpr std::uint16_t kX87StackTop = 0x3800;
constexpr std::uint32_t kSseAllMasks = 0x1F80;

}  // namespace

FloatingPointGuard::FloatingPointGuard() noexcept {
  asm volatile("fnstcw %0" : "=m"(x87Control_));
  asm volatile("fnstsw %0" : "=m"(x87Status_));
  // Clear flags before loading the masked control word: a flag left set
  // under an unmasked exception would otherwise trap at our next x87
  // instruction. The flags come back in the destructor.
  asm volatile("fnclex" ::: "memory");
  const std::uint16_t masked = x87Control_ | kX87AllExceptions;
  asm volatile("fldcw %0" ::"m"(masked) : "memory");
  asm volatile("stmxcsr %0" : "=m"(mxcsr_));
  const std::uint32_t sseMasked = mxcsr_ | kSseAllMasks;
  asm volatile("ldmxcsr %0" ::"m"(sseMasked) : "memory");
}

FloatingPointGuard::~FloatingPointGuard() noexcept {
  asm volatile("ldmxcsr %0" ::"m"(mxcsr_) : "memory");
  // fldenv is the only way to put status flags back. Keep the current
  // register tags and stack top: the compiler may hold values on the x87
  // stack across this point.
  X87Environment env;
  asm volatile("fnstenv %0" : "=m"(env)::"memory");
  env.control = x87Control_;
  env.status = static_cast<std::uint16_t>((x87Status_ & ~kX87StackTop) | (env.status & kX87StackTop));
  asm volatile("fldenv %0" ::"m"(env) : "memory");
}

bool SumsKeepAtLeastDoublePrecision() noexcept {
#if FLT_EVAL_METHOD == 2
  std::uint16_t control;
  asm volatile("fnstcw %0" : "=m"(control));
  return (control & 0x300) >= 0x200;  // precision control: 53 or 64 bits
#else
  return true;
#endif
}
