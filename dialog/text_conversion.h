// Reads an offset typed into the dialog: a decimal number as strtod reads
// one in the "C" locale, but without hexadecimal forms and with infinity
// and NaN only as "+INF", "-INF", "+NAN", "-NAN". Trailing text is
// ignored; text without a number gives zero. The result is the correctly
// rounded double of the decimal number (ties to even), computed with
// integers only: the caller's rounding mode and precision play no part.
#pragma once

#include <cstddef>

// Reads at most `size` bytes of `text`, stopping earlier at a zero byte.
double ConvertOffsetText(const char* text, std::size_t size);
