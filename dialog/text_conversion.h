// Reads an offset typed into the dialog: a decimal number as strtod reads
// one in the "C" locale, but without hexadecimal forms and with infinity
// and NaN only as "+INF", "-INF", "+NAN", "-NAN". Trailing text is
// ignored; text without a number gives zero. The result is the correctly
// rounded double of the decimal number.
#pragma once

#include <cstddef>

// Reads at most `size` bytes of `text`, stopping earlier at a zero byte.
double ConvertOffsetText(const char* text, std::size_t size);
