#include "dialog/text_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "tests/common/fp_environment.h"

namespace {

double Convert(const std::string& text) {
  char field[16] = {};
  std::memcpy(field, text.data(), std::min<std::size_t>(text.size(), sizeof field));
  return ConvertOffsetText(field, sizeof field);
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

const double kInf = std::numeric_limits<double>::infinity();

struct ConversionCase {
  const char* text;
  double expected;
};

const ConversionCase kCases[] = {
    {"0", 0.0},
    {"12", 12.0},
    {"  2.5e1xyz", 25.0},
    {"1,5", 1.0},
    {"1.2.3", 1.2},
    {".5", 0.5},
    {"5.", 5.0},
    {"-.25", -0.25},
    {"+7", 7.0},
    {"", 0.0},
    {"abc", 0.0},
    {".", 0.0},
    {"-", 0.0},
    {"e5", 0.0},
    {"0x10", 0.0},
    {"0e99999", 0.0},
    {"1e3", 1000.0},
    {"1E-2", 0.01},
    {"2e", 2.0},
    {"2e+", 2.0},
    {"3e1.5", 30.0},
    {"+INF", kInf},
    {"+INFINITY", kInf},
    {"-INF", -kInf},
    {"INF", 0.0},
    {"inf", 0.0},
    {"+inf", 0.0},
    {"NAN", 0.0},
    {"+IN", 0.0},
    {"-NA", 0.0},
    {"+I5", 0.0},
    {"1e999", kInf},
    {"1e5000", kInf},
    {"-1e999", -kInf},
    {"1e-999", 0.0},
    {"1e-5000", 0.0},
    {"\t\n\v\f\r 42", 42.0},
    {"\x85" "5", 0.0},          // a byte of 128 or more is never white space
    {"5\x85" "5", 5.0},         // ... and ends the number
    {"\xef\xbc\x95", 0.0},      // a full-width digit
    {"\xe3\x80\x80" "5", 0.0},  // a full-width space
    {"--5", 0.0},
    {"+-5", 0.0},
    {"- 5", 0.0},
    {"1e+4932", kInf},
    {"1e4933", kInf},
    {"1e-4933", 0.0},
    {"0.0000001e4933", kInf},
    {"1e308", 1e308},
    {"1.8e308", kInf},
    {"4.9e-324", 4.9406564584124654e-324},
    {"2e-324", 0.0},
    {"3e-324", 4.9406564584124654e-324},
    {"2.22507385e-308", 2.22507385e-308},
    {"2.2250738585e-308", 2.2250738585e-30},  // a 17th character is not in the field
    {"000000000000012", 12.0},
    {"0.1", 0.1},
    {"9007199254740993", 9007199254740992.0},  // halfway: to even
    {"9007199254740995", 9007199254740996.0},
    {"123456789012345", 123456789012345.0},
    {"1e99999999999", kInf},
    {"1e-99999999999", 0.0},
};

TEST(TextConversion, Table) {
  for (const ConversionCase& c : kCases) {
    const double got = Convert(c.text);
    EXPECT_TRUE(SameBits(got, c.expected) || (got == 0.0 && c.expected == 0.0))
        << '"' << c.text << "\" gave " << got << ", expected " << c.expected;
  }
}

TEST(TextConversion, NaNOnlyAfterAnExplicitSignAndWithThatSign) {
  EXPECT_TRUE(std::isnan(Convert("+NAN")));
  EXPECT_FALSE(std::signbit(Convert("+NAN")));
  EXPECT_TRUE(std::isnan(Convert("-NANxyz")));
  EXPECT_TRUE(std::signbit(Convert("-NAN")));
  EXPECT_FALSE(std::isnan(Convert("NAN")));
  EXPECT_FALSE(std::isnan(Convert("+nan")));
}

TEST(TextConversion, ZerosKeepTheirSignAsStrtodDoes) {
  EXPECT_TRUE(std::signbit(Convert("-0")));
  EXPECT_TRUE(std::signbit(Convert("-1e-999")));
  EXPECT_FALSE(std::signbit(Convert("-")));  // no number at all
}

// Every 16-byte field is read at most to its end: a field with no zero
// byte is a number of sixteen characters.
TEST(TextConversion, FieldWithoutTerminatorIsReadToItsEndOnly) {
  char field[17];
  std::memcpy(field, "1234567890123456", 16);
  field[16] = '7';  // would change the value if it were read
  EXPECT_EQ(ConvertOffsetText(field, 16), 1234567890123456.0);
  std::memcpy(field, "+IN", 3);
  EXPECT_EQ(ConvertOffsetText(field, 3), 0.0);  // the F beyond the field does not count
  field[3] = 'F';
  EXPECT_EQ(ConvertOffsetText(field, 4), kInf);
  std::memcpy(field, "      1e", 8);
  field[8] = '5';
  EXPECT_EQ(ConvertOffsetText(field, 8), 1.0);
}

// Correct rounding: the result is the double nearest the decimal number,
// as a correctly rounding strtod in the "C" locale gives it.
TEST(TextConversion, AgreesWithStrtodOnDecimalTexts) {
  const char* texts[] = {"0.1",        "0.2",         "0.3",          "1.7976931348e308", "2.4703282292e-324",
                         "2.4703282293e-324", "7.2057594037927933e16", "1.00000000000000011", "123.456e-7",
                         "-98765.4321e3", "4.35679e-310", ".000000000001", "99999999999999e9"};
  for (const char* text : texts) {
    const double expected = std::strtod(std::string(text, std::min<std::size_t>(std::strlen(text), 16)).c_str(), nullptr);
    EXPECT_TRUE(SameBits(Convert(text), expected)) << text;
  }
}

// Texts longer than a field, as the function accepts any size: halfway
// points and the edges of the subnormal, normal and finite ranges, up to
// the forty significant digits the conversion keeps.
TEST(TextConversion, LongTextsAtTheEdgesOfTheRangeAgreeWithStrtod) {
  const char* texts[] = {
      "2.2250738585072011e-308",   // just below the smallest normal number
      "2.2250738585072012e-308",   // rounds up to it
      "2.225073858507201136057409796709131975e-308",
      "4.9406564584124654e-324",   // the smallest subnormal
      "2.4703282292062327e-324",   // just below half of it: zero
      "2.4703282292062328e-324",   // just above: the smallest subnormal
      "7.4109846876186982e-324",   // near halfway between the 1st and 2nd subnormal
      "1.7976931348623157e308",    // the largest double
      "1.7976931348623158e308",    // still rounds to it
      "1.7976931348623159e308",    // beyond the halfway point: infinity
      "9007199254740992.5",        // just above 2^53, rounds to 2^53
      "9007199254740993.0000000001",
      "18014398509481985",         // 2^54 + 1
      "1e23",
      "8.98846567431158e307",
      "4.4501477170144023e-308",
      "1797693134862315708145274237317043567980e269",
      "0.000000000000000000000000000000000000001",
      "123456789012345678901234567890123456789e-350",
  };
  for (const char* text : texts) {
    const double ours = ConvertOffsetText(text, std::strlen(text));
    EXPECT_TRUE(SameBits(ours, std::strtod(text, nullptr))) << text << " gave " << ours;
  }
}

// The conversion is integer arithmetic from end to end: neither the
// caller's rounding mode nor its x87 precision changes a result.
TEST(TextConversion, CallersRoundingAndPrecisionPlayNoPart) {
  const char* texts[] = {"0.1", "3.1415926535897", "-1.602176634e-9", "6.02214076e+023", "4.9e-324", "1.7976931348e308",
                         "9007199254740993"};
  for (const char* text : texts) {
    const double reference = ConvertOffsetText(text, std::strlen(text));
    for (Rounding rounding : {Rounding::Down, Rounding::Up, Rounding::TowardZero}) {
      for (X87Precision precision : {X87Precision::Single, X87Precision::Double, X87Precision::Extended}) {
        FpEnvironmentScope restore;
        FpEnvironment env = TrappingEnvironment(rounding, precision);
        env.x87Control |= 0x3F;  // masked: only rounding and precision differ
        env.mxcsr |= 0x1F80;
        WriteFpEnvironment(env);
        const double got = ConvertOffsetText(text, std::strlen(text));
        EXPECT_TRUE(SameBits(got, reference)) << text << " rounding " << int(rounding) << " precision " << int(precision);
      }
    }
  }
}

}  // namespace
