// For decimal texts that strtod and the offset conversion both read the
// same way (sign, digits, one full stop, exponent; no words, no
// hexadecimal), the two must agree bit for bit: both are correctly rounded.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialog/text_conversion.h"

// Texts of up to 15 characters in a 16-byte field, as the dialog gives
// them; longer ones (up to the forty significant digits the conversion
// keeps) reach the far ends of the range with many digits.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char kAlphabet[] = "0123456789.eE+- ";
  char text[41] = {};
  const std::size_t length = size < 40 ? size : 40;
  for (std::size_t i = 0; i < length; ++i) text[i] = kAlphabet[data[i] % 16];

  const double ours = ConvertOffsetText(text, length < 16 ? 16 : length);
  const double theirs = std::strtod(text, nullptr);
  if (std::memcmp(&ours, &theirs, sizeof ours) != 0) {
    std::fprintf(stderr, "\"%s\": ours %.17g, strtod %.17g\n", text, ours, theirs);
    std::abort();
  }
  return 0;
}
