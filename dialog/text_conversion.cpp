#include "dialog/text_conversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
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

  // Mantissa: significant digits (from the first non-zero one) kept as
  // text, the full stop turned into a power of ten.
  char digits[40];
  int digitCount = 0;
  bool sawDigit = false, sawStop = false;
  long scale = 0;  // power of ten that the kept digits must be scaled by
  for (;; at.Next()) {
    const unsigned char b = at.Peek();
    if (b == '.' && !sawStop) {
      sawStop = true;
    } else if (IsDigit(b)) {
      sawDigit = true;
      if (digitCount == 0 && b == '0') {
        if (sawStop) --scale;  // a leading zero after the stop
      } else if (digitCount < static_cast<int>(sizeof digits)) {
        digits[digitCount++] = static_cast<char>(b);
        if (sawStop) --scale;
      } else if (!sawStop) {
        ++scale;  // digits beyond any 16-byte field's: dropped, place kept
      }
    } else {
      break;
    }
  }
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
  const double infinity = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  if (exponent > kExponentLimit) return infinity;
  if (exponent < -kExponentLimit) return zero;

  // The lexed number as plain "digits e power" text, which the correctly
  // rounded converter reads the same way in every locale.
  char canonical[64];
  char* end = std::copy(digits, digits + digitCount, canonical);
  *end++ = 'e';
  end = std::to_chars(end, canonical + sizeof canonical, exponent + scale).ptr;
  double magnitude = 0.0;
  const auto result = std::from_chars(canonical, end, magnitude);
  if (result.ec == std::errc::result_out_of_range)
    return exponent + scale + digitCount > 0 ? infinity : zero;
  return negative ? -magnitude : magnitude;
}
