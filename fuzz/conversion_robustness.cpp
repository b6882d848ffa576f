// Arbitrary bytes in a field of at most 16 bytes, with no terminating zero
// needed: the conversion reads nothing past the field (AddressSanitizer
// sees the heap block's end) and its result keeps the rules' invariants.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "dialog/text_conversion.h"

namespace {

void Fail(const char* what, const char* field, std::size_t size) {
  std::fprintf(stderr, "%s for field:", what);
  for (std::size_t i = 0; i < size; ++i) std::fprintf(stderr, " %02x", static_cast<unsigned char>(field[i]));
  std::fprintf(stderr, "\n");
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 16) size = 16;
  std::unique_ptr<char[]> field(new char[size ? size : 1]);
  std::memcpy(field.get(), data, size);
  const char* f = field.get();
  const double value = ConvertOffsetText(f, size);

  // The text as the rules see it: up to a zero byte or the field's end.
  std::size_t end = 0;
  while (end < size && f[end] != 0) ++end;
  std::size_t start = 0;
  while (start < end && (f[start] == ' ' || (f[start] >= 9 && f[start] <= 13))) ++start;
  const bool signed_ = start < end && (f[start] == '+' || f[start] == '-');
  auto wordAfterSign = [&](const char* word) {
    return signed_ && end - start >= 4 && std::memcmp(f + start + 1, word, 3) == 0;
  };
  bool anyDigit = false;
  for (std::size_t i = start; i < end; ++i) anyDigit |= f[i] >= '0' && f[i] <= '9';

  if (std::isnan(value) && !wordAfterSign("NAN")) Fail("NaN without +NAN/-NAN", f, size);
  if (std::signbit(value) && !(signed_ && f[start] == '-')) Fail("negative without a minus sign", f, size);
  if (!anyDigit && !wordAfterSign("INF") && !wordAfterSign("NAN") && value != 0.0) Fail("non-zero without a digit", f, size);
  return 0;
}
