#include "dialog/text_conversion.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Written exponents beyond this put any non-zero mantissa outside the
// range of a double (and of the 80-bit extended type).
constexpr long kExponentLimit = 4932;

// Bytes are compared as unsigned numbers, never through the C library's
// character classes, so no locale and no byte of 128 or above plays a part.
bool IsSpace(unsigned char b) { return b == ' ' || (b >= 9 && b <= 13); }
bool IsDigit(unsigned char b) { return b >= '0' && b <= '9'; }

class Cursor {
 public:
  Cursor(const char* text, std::size_t size) : text_(text), size_(size) {}
  // The byte at the cursor, or 0 at the end of the field.
  unsigned char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < size_ ? static_cast<unsigned char>(text_[pos_ + ahead]) : 0;
  }
  void Next() { ++pos_; }
  bool Follows(const char* word) const {
    for (std::size_t i = 0; word[i] != 0; ++i)
      if (Peek(i) != static_cast<unsigned char>(word[i])) return false;
    return true;
  }

 private:
  const char* text_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

constexpr int kMaxDigits = 40;  // significant digits kept from the text

// Decimal exponents (of the value's leading digit) beyond which the value
// is certainly infinite or certainly rounds to zero: 10^309 exceeds the
// largest double and 10^-324 is below half the smallest subnormal.
constexpr long kOverflowPower = 309;
constexpr long kUnderflowPower = -324;

// A non-negative integer of up to kLimbs 32-bit limbs, least significant
// first: big enough for 40 digits times 5^309, or 40 digits shifted left
// far enough to divide by 5^364 and keep 64 bits of quotient.
class BigInteger {
 public:
  static constexpr int kLimbs = 40;

  // this = this * factor + addend
  void MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (int i = 0; i < size_; ++i) {
      carry += static_cast<std::uint64_t>(limbs_[i]) * factor;
      limbs_[i] = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0) limbs_[size_++] = static_cast<std::uint32_t>(carry);
  }

  void MultiplyByPowerOfFive(long power) {
    for (; power >= 13; power -= 13) MultiplyAdd(kFivePower13, 0);
    MultiplyAdd(kFivePowers[power], 0);
  }

  // this = floor(this / 5^13); true when the remainder is not zero. The
  // divisor is a constant, so the compiler divides by multiplying.
  bool DivideByFivePower13() {
    std::uint64_t remainder = 0;
    for (int i = size_ - 1; i >= 0; --i) {
      const std::uint64_t current = remainder << 32 | limbs_[i];
      limbs_[i] = static_cast<std::uint32_t>(current / kFivePower13);
      remainder = current % kFivePower13;
    }
    while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
    return remainder != 0;
  }

  // this = this * 2^(32 * count)
  void ShiftLeftLimbs(int count) {
    for (int i = size_ - 1; i >= 0; --i) limbs_[i + count] = limbs_[i];
    for (int i = 0; i < count; ++i) limbs_[i] = 0;
    size_ += count;
  }

  int BitLength() const { return size_ == 0 ? 0 : 32 * size_ - __builtin_clz(limbs_[size_ - 1]); }

  // The 64 bits from the highest set bit down (the value must be at least
  // 2^63); `sticky` is set when any bit below them is set.
  std::uint64_t Top64(bool& sticky) const {
    const int lowest = BitLength() - 64;  // bit number of the result's lowest bit
    std::uint64_t top = 0;
    sticky = false;
    for (int i = size_ - 1; i >= 0; --i) {
      const int shift = 32 * i - lowest;  // where this limb's lowest bit goes
      if (shift >= 0) {
        top |= static_cast<std::uint64_t>(limbs_[i]) << shift;
      } else if (shift > -32) {
        top |= limbs_[i] >> -shift;
        sticky = (limbs_[i] & ((std::uint32_t{1} << -shift) - 1)) != 0;
      } else {
        sticky = sticky || limbs_[i] != 0;
      }
    }
    return top;
  }

 private:
  static constexpr std::uint32_t kFivePower13 = 1220703125;
  static constexpr std::uint32_t kFivePowers[13] = {1,       5,        25,        125,       625,
                                                    3125,    15625,    78125,     390625,    1953125,
                                                    9765625, 48828125, 244140625};
  std::uint32_t limbs_[kLimbs + 1];  // those from size_ up are unset
  int size_ = 0;
};

// The double nearest to top * 2^exponent (ties to even), where the value
// is a little above that when `sticky` is set; top has its highest bit set.
// Built from integers alone, so the caller's rounding mode, precision and
// exception masks play no part.
double RoundToDouble(std::uint64_t top, long exponent, bool sticky, bool negative) {
  const long leading = exponent + 63;  // the value lies in [2^leading, 2^(leading+1))
  // Mantissa bits a double keeps at this magnitude: 53, fewer below 2^-1022.
  const long kept = leading >= -1022 ? 53 : 53 - (-1022 - leading);
  std::uint64_t bits = 0;
  if (leading > 1023) {
    bits = std::uint64_t{0x7FF} << 52;
  } else if (kept >= 0) {
    const int dropped = static_cast<int>(64 - kept);  // 11 to 64
    std::uint64_t mantissa = dropped == 64 ? 0 : top >> dropped;
    const bool half = (top >> (dropped - 1) & 1) != 0;
    const bool rest = sticky || (top & ((std::uint64_t{1} << (dropped - 1)) - 1)) != 0;
    if (half && (rest || (mantissa & 1) != 0)) ++mantissa;
    // Adding a full mantissa to the biased exponent field counts its hidden
    // bit in; a carry out of the mantissa moves up to the next binade, and
    // from the largest subnormal to the smallest normal number.
    bits = (leading >= -1022 ? static_cast<std::uint64_t>(leading + 1022) << 52 : 0) + mantissa;
    if (bits >= std::uint64_t{0x7FF} << 52) bits = std::uint64_t{0x7FF} << 52;
  }
  if (negative) bits |= std::uint64_t{1} << 63;
  double result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

// The correctly rounded double of digits * 10^power, where the integer
// `digits` has `count` decimal digits, the first of them non-zero.
double DecimalToDouble(BigInteger& value, int count, long power, bool negative) {
  if (power + count - 1 >= kOverflowPower)
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  if (power + count <= kUnderflowPower) return negative ? -0.0 : 0.0;

  // digits * 10^power = digits * 5^power * 2^power
  long exponent = power;
  bool sticky = false;
  // Scaled by whole limbs until at least 64 bits of the result are integer.
  if (power >= 0) {
    value.MultiplyByPowerOfFive(power);
    if (value.BitLength() < 64) {
      const int limbs = (64 - value.BitLength() + 31) / 32;
      value.ShiftLeftLimbs(limbs);
      exponent -= 32 * limbs;
    }
  } else {
    // Divide by 5^n in steps of 5^13: first scale the dividend by 5^pad so
    // that n + pad is a multiple of 13, and by a power of two so that at
    // least 64 bits of quotient remain. 2378/1024 is just above log2(5).
    const long n = -power;
    const long pad = (13 - n % 13) % 13;
    value.MultiplyByPowerOfFive(pad);
    const long divisorBits = ((n + pad) * 2378) / 1024 + 1;
    const long missing = divisorBits + 64 - value.BitLength();
    if (missing > 0) {
      const int limbs = static_cast<int>((missing + 31) / 32);
      value.ShiftLeftLimbs(limbs);
      exponent -= 32 * limbs;
    }
    for (long step = 0; step < (n + pad) / 13; ++step) sticky = value.DivideByFivePower13() || sticky;
  }
  bool below = false;
  const std::uint64_t top = value.Top64(below);
  exponent += value.BitLength() - 64;
  return RoundToDouble(top, exponent, sticky || below, negative);
}

}  // namespace

double ConvertOffsetText(const char* text, std::size_t size) {
  Cursor at(text, size);
  while (IsSpace(at.Peek())) at.Next();

  bool negative = false;
  if (at.Peek() == '+' || at.Peek() == '-') {
    negative = at.Peek() == '-';
    at.Next();
    if (at.Follows("INF"))
      return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    if (at.Follows("NAN"))
      return std::copysign(std::numeric_limits<double>::quiet_NaN(), negative ? -1.0 : 1.0);
  }
  const double zero = negative ? -0.0 : 0.0;

  // Mantissa: significant digits (from the first non-zero one) gathered
  // nine at a time into an integer, the full stop turned into a power of
  // ten. Zeros are held back until a non-zero digit follows them, so
  // trailing zeros only raise the power.
  BigInteger digits;
  std::uint32_t group = 0, groupScale = 1;
  int digitCount = 0, heldZeros = 0;
  long scale = 0;  // power of ten that the kept digits must be scaled by
  bool sawDigit = false;
  const auto gather = [&](std::uint32_t digit) {
    group = group * 10 + digit;
    groupScale *= 10;
    if (groupScale == 1000000000) {
      digits.MultiplyAdd(groupScale, group);
      group = 0;
      groupScale = 1;
    }
  };
  // Keeps one significant digit; false when the digit is beyond those kept.
  const auto keep = [&](unsigned char b) {
    if (digitCount == kMaxDigits) return false;
    ++digitCount;
    if (b == '0') {
      ++heldZeros;
    } else {
      for (; heldZeros > 0; --heldZeros) gather(0);
      gather(b - '0');
    }
    return true;
  };
  for (; at.Peek() == '0'; at.Next()) sawDigit = true;
  for (; IsDigit(at.Peek()); at.Next()) {
    sawDigit = true;
    if (!keep(at.Peek())) ++scale;  // digits beyond any 16-byte field's: dropped, place kept
  }
  if (at.Peek() == '.') {
    at.Next();
    if (digitCount == 0)
      for (; at.Peek() == '0'; at.Next(), --scale) sawDigit = true;
    for (; IsDigit(at.Peek()); at.Next()) {
      sawDigit = true;
      if (keep(at.Peek())) --scale;
    }
  }
  if (groupScale != 1) digits.MultiplyAdd(groupScale, group);
  digitCount -= heldZeros;
  scale += heldZeros;
  if (!sawDigit) return 0.0;
  if (digitCount == 0) return zero;

  long exponent = 0;
  if (at.Peek() == 'e' || at.Peek() == 'E') {
    const std::size_t signLength = (at.Peek(1) == '+' || at.Peek(1) == '-') ? 1 : 0;
    if (IsDigit(at.Peek(1 + signLength))) {
      const bool negativeExponent = at.Peek(1) == '-';
      at.Next();
      if (signLength) at.Next();
      for (; IsDigit(at.Peek()); at.Next())
        if (exponent <= kExponentLimit) exponent = exponent * 10 + (at.Peek() - '0');
      if (negativeExponent) exponent = -exponent;
    }
  }
  if (exponent > kExponentLimit)
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  if (exponent < -kExponentLimit) return zero;
  return DecimalToDouble(digits, digitCount, exponent + scale, negative);
}
