#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// Rounds the digit string half up so that `keep` digits stay; a carry out of the first digit is reported.
bool RoundDigits(std::string& digits, size_t keep) {
  const bool up = keep < digits.size() && digits[keep] >= '5';
  digits.resize(keep);
  if (!up) return false;
  for (size_t i = keep; i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

// The six-decimal rules done on text, from the exactly rounded 18 digits printf gives.
std::string ReferenceFormat(long double value) {
  if (std::fpclassify(value) == FP_ZERO || std::fpclassify(value) == FP_SUBNORMAL) return "0.000000";
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.17Le", std::fabs(value));
  std::string digits = std::string(1, printed[0]) + std::string(printed + 2, 17);
  int e = std::atoi(std::strchr(printed, 'e') + 1) + 1;
  const std::string sign = std::signbit(value) ? "-" : "";
  if (e >= 19) {
    if (RoundDigits(digits, 15)) ++e;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string text = sign + digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    return text + "E" + std::to_string(e - 1);
  }
  const int keep = e + 6;
  if (keep < 0) return "0.000000";
  if (keep < 18 && RoundDigits(digits, static_cast<size_t>(keep))) ++e;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (digits.empty()) return "0.000000";
  const auto digitAt = [&](int place) {  // place 0 is d1
    return place >= 0 && place < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(place)] : '0';
  };
  std::string text = sign;
  if (e <= 0) text += '0';
  for (int place = 0; place < e; ++place) text += digitAt(place);
  text += '.';
  for (int place = e; place < e + 6; ++place) text += digitAt(place);
  return text;
}

long double FromBits(uint16_t signAndExponent, uint64_t significand) {
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &significand, 8);
  std::memcpy(bytes + 8, &signAndExponent, 2);
  long double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Any finite value, subnormals included, with uniformly drawn exponent bits.
long double RandomFinite(std::mt19937_64& random) {
  const auto exponent = static_cast<uint16_t>(random() % 0x7fff);
  uint64_t significand = random();
  significand = exponent == 0 ? significand >> 1 : significand | (uint64_t{1} << 63);
  return FromBits(static_cast<uint16_t>(exponent | (random() & 0x8000)), significand);
}

// Log-uniform magnitudes between 10^-8 and 10^40, either sign.
long double RandomModerate(std::mt19937_64& random) {
  const auto exponent = static_cast<uint16_t>(16383 - 27 + random() % 160);
  return FromBits(static_cast<uint16_t>(exponent | (random() & 0x8000)), random() | (uint64_t{1} << 63));
}

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

// Expected bits from tests/conversion/parse_cases.py, which repeats every rounding step with exact rationals. Many
// of these differ in the last bits from the correctly rounded value; nullptr marks a rejected text.
TEST_F(DecimalText, ParseMatchesTheStepByStepReference) {
  struct Case {
    std::string text;
    const char* bits;
  };
  const Case cases[] = {
      {"1e999", "4CF5:C2D7C194B0FE2337"},
      {"1e4932", "7FFE:D72CB2A95C7EF6CD"},
      {"1.18973149535723176502e4932", "7FFE:FFFFFFFFFFFFFFFC"},
      {"1.18973149535723176e4932", "7FFE:FFFFFFFFFFFFFFB0"},
      {"1.1897314953572317649e4932", "7FFE:FFFFFFFFFFFFFFFC"},
      {"1e-4950", "0000:0000000000000003"},
      {"3.6e-4951", "0000:0000000000000001"},
      {"3.7e-4951", "0000:0000000000000001"},
      {"1.9e-4951", "0000:0000000000000001"},
      {"1.8e-4951", "0000:0000000000000000"},
      {"5e-4951", "0000:0000000000000001"},
      {"1e-4940", "0000:0000000663278E62"},
      {"3.3621e-4932", "0000:7FFFF828649B4313"},
      {"123456789012345678901234567890", "405F:C77487FB61B9F076"},
      {"18446744073709551615", "403E:FFFFFFFFFFFFFFFF"},
      {"18446744073709551616", "403F:8000000000000000"},
      {"18446744073709551617", "403F:8000000000000000"},
      {"18446744073709551625", "403F:8000000000000004"},
      {"99999999999999999999", "4041:AD78EBC5AC620000"},
      {"184467440737095516150", "4042:9FFFFFFFFFFFFFFF"},
      {"0.1", "3FFB:CCCCCCCCCCCCCCCD"},
      {"0.3", "3FFD:999999999999999A"},
      {"0.7", "3FFE:B333333333333333"},
      {"1e28", "405C:813F3978F8940984"},
      {"1e31", "4065:FC6F7C4045812296"},
      {"1e32", "4069:9DC5ADA82B70B59E"},
      {"1e33", "406C:C5371912364CE306"},
      {"1e-28", "3FA1:FD87B5F28300CA0E"},
      {"1e-33", "3F91:A6274BBDD0FADD62"},
      {"1e64", "40D3:C2781F49FFCFA6D5"},
      {"1e-64", "3F2A:A87FEA27A539E9A5"},
      {"1.7976931348623157e308", "43FE:FFFFFFFFFFFFF7AC"},
      {"4.9e-324", "3BCC:FDE4B4FB194FCED9"},
      {"3.14159265358979323846264338327950288", "4000:C90FDAA22168C236"},
      {"12345678901234567890e-20", "3FFB:FCD6E9BA37B2F8E2"},
      {"123.456e-300", "3C21:A55AEEEDB832D997"},
      {"9e4931", "7FFE:C1A83A6539A577B7"},
      {"0.000000000000000000000000000001", "3F9B:A2425FF75E14FC31"},
      {"1" + std::string(100, '0') + "", "414B:924D692CA61BE759"},
      {"1" + std::string(4931, '0') + "e1", "7FFE:D72CB2A95C7EF6CD"},
      {"1" + std::string(4932, '0') + "", "7FFE:D72CB2A95C7EF6CD"},
      {"0." + std::string(4900, '0') + "1e4900", "3FFB:CCCCCCCCCCCCCCCD"},
      {"1" + std::string(4900, '0') + "e-4900", "3FFF:8000000000000002"},
      {"1" + std::string(4932, '9') + ".e-4932", nullptr},
      {"0." + std::string(5200, '7') + "", nullptr},
      {"-2.5e-4950", "8000:0000000000000007"},
      {"11111111111111111111111.1e-5", "4037:C55F7BC23038E38E"},
      {"0.123456789012345678901234567890123456789", "3FFB:FCD6E9BA37B2F8E2"},
      {"1e-9", "3FE1:89705F4136B4A597"},
      {"2.5e-3", "3FF6:A3D70A3D70A3D70A"},
      {"999999999999999999.9", "403A:DE0B6B3A763FFFFE"},
      {"-0.0000005", "BFEA:8637BD05AF6C69B6"},
      {"1e4931", "7FFB:AC23C22116CBF8A3"},
      {"1e-4931", "0002:BE5B66ECBCE0B7B1"},
      {"1.5e-4945", "0000:000000000006476C"},
      {"1e480", "4639:B83ED8DC0795A262"},
      {"1e512", "46A3:E319A0AEA60E91C7"},
      {"1e4608", "7BCA:AE3511626ED559F0"},
      {"1e-512", "395A:9049EE32DB23D21C"},
      {"1e-4608", "0433:BC1905F3E898CCA3"},
      {"7e-5119", nullptr},
      {"4773264415822789088137156.70696564659e59", "4114:FB9A7E6BD5DC6A8B"},
      {"933174514270676.6732022741", "4030:D42DE7DBF0752B16"},
      {"08135827032327128973.03473506468e-22", "3FF4:D5469C69727B4E00"},
      {"42127010661579846454131185614706969.e1963", "59EA:F9E3EA12731CB9E0"},
      {"72984.e-2978", "196A:AF44D523C4CE58D4"},
      {"2479710.048", "4014:9759783126E978D5"},
      {".92191", "3FFE:EC024B33DAF8DF7A"},
      {"1585.47444778247051e-27", "3FAF:F5571D15410B75CB"},
      {"974.2705025001044e3027", "6750:A96D5DCB52AB8539"},
      {".98661861619812043277e-1346", "2E87:CB0075D74C0B5787"},
      {"72.e-24", "3FB5:AE15D766ED03E2BD"},
      {"99318.3740634401372051576452736382", "400F:C1FB2FE14F91025F"},
      {"1007928135.865e-29", "3FBC:BE6469F60A5C2D55"},
      {"273050122006647020881945350952359683.e16", "40A9:E9891CAA8337F3B0"},
      {"09949.466241e-3514", "1273:823E93A704A6769F"},
      {"9275954212.965855755973930191", "4020:8A38F5093DD094AA"},
      {"98693225.9523701722860157500484e-717", "36CB:D4E5534FA5709397"},
      {"6904.2846e263", "4375:AB4C4F0084D7BEC1"},
      {"72831.280235415e-38", "3F90:F2060045882C20AA"},
      {"64240.7293654024664371e35", "4083:97077B8BF6648402"},
      {"920641559.6175815599473381587548574221037e-1231", "3023:B31843DDF92C4516"},
      {"210427264088631945.30301818852115281e-3404", "140C:D0598FD22604D9B8"},
      {"6377529.029513529e-3515", "1279:8272430313E708F1"},
      {"67007318719491687763427.69272e29", "40AB:8F469D48321DFD6C"},
      {"68575258.19292e29", "4079:A516C40CFF051AD6"},
      {"023020151363374126910086995.15894707", "4053:9855A73F65BCF395"},
      {"14292802.255507641767678", "4016:DA17424168F2E545"},
      {"9509958893773382370109611.74723875786915", "4051:FBB9FCF2D7A75366"},
      {"049.2002645714276924637817766513e-4187", "09AF:D10B31105C884945"},
      {"7.91183", "4001:FD2DB61BB05FAEBC"},
      {"5.e-1741", "2969:E5F0B0E3D96AABAA"},
      {"2876584337.629387e2045", "5AA7:D977F9D4305DC4D9"},
      {"792027279.440487908407040432277317733461e-2", "4015:F1B52196BC3C7EE5"},
      {"2227611470.11962804e2", "4024:CF76656A0FD9E94B"},
      {"01.60065953864e-2255", "22BC:D46CE75C9C6151EF"},
      {"5406.8816315452070479307848233005119", "400B:A8F70D94D6EE4A2B"},
      {"3733279586558435.6020175507943294513622", "4032:D4365E39AA1E39A3"},
      {"00198021.345914453613289584662593796e195", "4298:A59141EE95233988"},
      {"333671418696.754584566539e-58", "3F64:C31085081C223296"},
      {"746.5602843160861780", "4008:BAA3DBB2BF8351B2"},
  };
  for (const Case& c : cases) {
    const std::string shown = c.text.size() > 60 ? c.text.substr(0, 60) + "…" : c.text;
    if (c.bits == nullptr) {
      EXPECT_THROW(ParseDecimal(c.text), EConvertError) << shown;
    } else {
      try {
        EXPECT_EQ(Bits(ParseDecimal(c.text)), c.bits) << shown;
      } catch (const EConvertError&) {
        ADD_FAILURE() << "rejected " << shown;
      }
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
      {999999999999999999.0L, "999999999999999999.000000"},
      {1e18L - 0.0625L, "1E18"},
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

TEST_F(DecimalText, FormatMatchesExactDigitsAcrossTheRange) {
  std::mt19937_64 random(20261210);
  for (int i = 0; i < 20000; ++i) {
    const long double value = i % 2 == 0 ? RandomFinite(random) : RandomModerate(random);
    ASSERT_EQ(FormatSixDecimals(value), ReferenceFormat(value)) << Bits(value);
  }
}

TEST_F(DecimalText, FormatBreaksExactTiesOfTheEighteenthDigitToEven) {
  std::mt19937_64 random(7);
  for (int e = -6; e <= 20; ++e) {
    for (int i = 0; i < 200; ++i) {
      long double value;
      if (e <= 18) {
        // value × 10^(18−e) is an odd multiple of one half when value = odd / 2^(19−e).
        const long double low = e >= 1 ? std::pow(10.0L, e - 1) : 1 / std::pow(10.0L, 1 - e);
        const long double unit = std::ldexp(1.0L, e - 19);
        const auto odd = static_cast<uint64_t>(low / unit + static_cast<long double>(random() % (1u << 20))) | 1;
        value = std::ldexp(static_cast<long double>(odd), e - 19);
      } else {
        // (2n + 1) × 10^t / 2 with an 18-digit n.
        const int t = e - 18;
        const uint64_t n = 100000000000000000 + random() % 100000000000000000;
        value = std::ldexp(static_cast<long double>((2 * n + 1) * (t == 1 ? 5 : 25)), t - 1);
      }
      ASSERT_EQ(FormatSixDecimals(value), ReferenceFormat(value)) << Bits(value);
    }
  }
}

TEST_F(DecimalText, FormattedTextParsesBack) {
  std::mt19937_64 random(1210);
  for (int i = 0; i < 20000; ++i) {
    const long double value = RandomFinite(random);
    const std::string text = FormatSixDecimals(value);
    EXPECT_NO_THROW(ParseDecimal(text)) << text;
  }
  // Between 10^-6 and 10^17 the text survives a second round unchanged.
  for (int i = 0; i < 20000; ++i) {
    const auto exponent = static_cast<uint16_t>(16383 - 20 + random() % 77);
    const long double value =
        FromBits(static_cast<uint16_t>(exponent | (random() & 0x8000)), random() | (uint64_t{1} << 63));
    if (std::fabs(value) < 1e-6L || std::fabs(value) > 1e17L) continue;
    const std::string text = FormatSixDecimals(value);
    ASSERT_EQ(FormatSixDecimals(ParseDecimal(text)), text) << Bits(value);
  }
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
