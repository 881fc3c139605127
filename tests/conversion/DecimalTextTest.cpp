#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "conversion/DecimalText.h"

namespace metrazil {
namespace {

// The 80 bits as "EEEE:MMMMMMMMMMMMMMMM" (sign and exponent, then the significand), so that failures show bits.
std::string Bits(long double value) {
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &value, sizeof value);
  uint64_t significand;
  uint16_t signAndExponent;
  std::memcpy(&significand, bytes, 8);
  std::memcpy(&signAndExponent, bytes + 8, 2);
  char text[32];
  std::snprintf(text, sizeof text, "%04X:%016llX", signAndExponent, static_cast<unsigned long long>(significand));
  return text;
}

std::string ConvertMessage(const std::string& text) { return "'" + text + "' is 不是一个有效的浮点值"; }

// Restores the point after tests that switch the separator.
class DecimalText : public ::testing::Test {
 protected:
  void TearDown() override { SetDecimalSeparator('.'); }
};

TEST_F(DecimalText, PlainDecimalAcceptsDigitsWithOneInnerPoint) {
  struct Case {
    const char* text;
    bool plain;
  };
  const Case cases[] = {
      {"", false},      {"0", true},         {"12", true},
      {"007", true},    {"0.0", true},       {"1.5", true},
      {"1.", false},    {".5", false},       {".", false},
      {"1.2.3", false}, {"-1", false},       {"+1", false},
      {" 1", false},    {"1 ", false},       {"1,5", false},
      {"1e3", false},   {"\xB0\xA1", false}, {"123456789012345678901234567890.5", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsPlainDecimal(c.text), c.plain) << "'" << c.text << "'";

  SetDecimalSeparator(',');
  EXPECT_TRUE(IsPlainDecimal("1.5"));
  EXPECT_FALSE(IsPlainDecimal("1,5"));
}

TEST_F(DecimalText, ParseAcceptsTheGrammar) {
  struct Case {
    const char* text;
    long double value;
  };
  const Case cases[] = {
      {"12.5", 12.5L},
      {" 12.5 ", 12.5L},
      {"+3", 3.0L},
      {"5.", 5.0L},
      {".5", 0.5L},
      {"1E+3", 1000.0L},
      {"2.5e-3", 2.5e-3L},
      {".", 0.0L},
      {"-0", -0.0L},
      {"-.", -0.0L},
      {"1e", 1.0L},
      {"1e+", 1.0L},
      {"-3", -3.0L},
      {"007", 7.0L},
      {".e5", 0.0L},
      {"  -12.25E1  ", -122.5L},
      {"0.1", 0.1L},
      {"100", 100.0L},
      {"1e0500", 1e500L},
      {"18446744073709551615", 18446744073709551615.0L},
      {"0e4999", 0.0L},
      {"1e-4999", 0.0L},
      {"123456789012345678", 123456789012345678.0L},
  };
  for (const Case& c : cases) EXPECT_EQ(Bits(ParseDecimal(c.text)), Bits(c.value)) << "'" << c.text << "'";
}

TEST_F(DecimalText, ParseRejectsWithTheTextInTheMessage) {
  const char* const cases[] = {
      "",     " ",   "+",   "-",   "E5",     "1,5",     "1 000",  "- 1",   "--1",  "1e5 x", "\t1",   "1\t",
      "0x10", "$10", "INF", "NAN", "1e5000", "1e-5000", "1e4999", "1e5e5", "1..2", "1.2.3", "1e+-5", "\xB0\xA1",
  };
  for (const char* text : cases) {
    try {
      ParseDecimal(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& error) {
      EXPECT_EQ(std::string(error.what()), ConvertMessage(text));
    }
  }
}

TEST_F(DecimalText, ExponentReadingStopsAtFiveHundred) {
  EXPECT_NO_THROW(ParseDecimal("1e999"));
  EXPECT_EQ(Bits(ParseDecimal("1e0000000000000000000000000001")), Bits(10.0L));
  EXPECT_EQ(Bits(ParseDecimal("1e499")), Bits(1e499L));
  EXPECT_THROW(ParseDecimal("1e4999"), EConvertError);
  EXPECT_THROW(ParseDecimal("1e50000"), EConvertError);
  EXPECT_EQ(ParseDecimal("1e-4999"), 0.0L);
  EXPECT_FALSE(std::signbit(ParseDecimal("1e-4999")));
  EXPECT_TRUE(std::signbit(ParseDecimal("-1e-4999")));
}

TEST_F(DecimalText, DigitStringBeyondTheRangeIsRejectedWhateverTheExponent) {
  const std::string longOne = "1." + std::string(5000, '0');
  EXPECT_THROW(ParseDecimal(longOne), EConvertError);
  EXPECT_THROW(ParseDecimal("1" + std::string(4933, '0') + "e-4000"), EConvertError);
  // Leading zeros cost nothing, and 5120 or more fraction places give zero.
  EXPECT_EQ(Bits(ParseDecimal("0." + std::string(5119, '0') + "1")), Bits(0.0L));
  EXPECT_EQ(Bits(ParseDecimal(std::string(6000, '0') + "12.5")), Bits(12.5L));
}

TEST_F(DecimalText, CommaSeparatorParsesAndFormatsWithTheComma) {
  SetDecimalSeparator(',');
  EXPECT_EQ(DecimalSeparator(), ',');
  EXPECT_EQ(Bits(ParseDecimal("1,5")), Bits(1.5L));
  EXPECT_EQ(Bits(ParseDecimal("4")), Bits(4.0L));
  EXPECT_THROW(ParseDecimal("1.5"), EConvertError);
  EXPECT_EQ(FormatSixDecimals(2.5L), "2,500000");
  EXPECT_EQ(FormatSixDecimals(0.0L), "0,000000");
  EXPECT_EQ(FormatSixDecimals(2.5e20L), "2,5E20");
  EXPECT_EQ(Bits(ParseDecimal(FormatSixDecimals(2.5e20L))), Bits(2.5e20L));
}

TEST_F(DecimalText, FormatWorkedExamples) {
  struct Case {
    long double value;
    const char* text;
  };
  const Case cases[] = {
      {0.0L, "0.000000"},
      {2.5L, "2.500000"},
      {0.5L, "0.500000"},
      {12.3456789L, "12.345679"},
      {-2.25L, "-2.250000"},
      {0.0000015L, "0.000002"},
      {0.0000005L, "0.000001"},
      {0.00000049L, "0.000000"},
      {-0.0000004L, "0.000000"},
      {1.8e17L, "180000000000000000.000000"},
      {12345678901234567.891L, "12345678901234567.900000"},
      {1e18L, "1E18"},
      {2.5e20L, "2.5E20"},
      {-3e18L, "-3E18"},
      {123456789012345678901.0L, "1.23456789012346E20"},
      {-0.0L, "0.000000"},
      {0.00000099L, "0.000001"},
      {-0.0000005L, "-0.000001"},
      {1e12L + 0.123456789L, "1000000000000.123460"},
      {1234567890123.456789L, "1234567890123.456790"},
      {123456789012345.678901L, "123456789012345.679000"},
      {999999.9999996L, "1000000.000000"},
      {400.0L, "400.000000"},
      {-6.0L, "-6.000000"},
      {99999999999999999.95L, "100000000000000000.000000"},
      {9.99999999999999999e-8L, "0.000000"},
      {std::numeric_limits<long double>::max(), "1.18973149535723E4932"},
      {-std::numeric_limits<long double>::denorm_min(), "0.000000"},
      {std::numeric_limits<long double>::infinity(), "INF"},
      {-std::numeric_limits<long double>::infinity(), "-INF"},
      {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSixDecimals(c.value), c.text) << Bits(c.value);
  EXPECT_EQ(FormatSixDecimals(ParseDecimal("999999999999999999.9")), "1E18");
  EXPECT_EQ(FormatSixDecimals(ParseDecimal("-0")), "0.000000");
}

TEST_F(DecimalText, MultiplyRaisesOverflowBeyondTheRange) {
  EXPECT_EQ(Bits(MultiplyExtended(ParseDecimal("100"), ParseDecimal("4"))), Bits(400.0L));
  EXPECT_EQ(Bits(MultiplyExtended(1e-4940L, 1e-20L)), Bits(0.0L)) << "underflow is not an error";
  try {
    MultiplyExtended(1e4000L, -1e1000L);
    ADD_FAILURE() << "no overflow";
  } catch (const EOverflow& error) {
    EXPECT_STREQ(error.what(), "浮点指针溢出");
  }
}

}  // namespace
}  // namespace metrazil
