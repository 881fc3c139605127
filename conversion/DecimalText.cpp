#include "conversion/DecimalText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "conversion/DecimalPowers.h"

namespace metrazil {

static_assert(std::numeric_limits<long double>::digits == 64 && std::numeric_limits<long double>::max_exponent == 16384,
              "long double must be the 80-bit extended format");

namespace {

__extension__ typedef unsigned __int128 Uint128;

char decimalSeparator = '.';

template <std::size_t N>
constexpr std::array<uint64_t, N> IntegerPowers(uint64_t base) {
  std::array<uint64_t, N> powers{};
  uint64_t power = 1;
  for (auto& entry : powers) {
    entry = power;
    power *= base;
  }
  return powers;
}

constexpr std::array<uint64_t, 20> kPow10Integer = IntegerPowers<20>(10);
// 5^27 is the largest power of five below 2^63, so a significand times any entry still fits 128 bits.
constexpr std::array<uint64_t, 28> kPow5Integer = IntegerPowers<28>(5);

constexpr uint64_t kTen17 = kPow10Integer[17];
constexpr uint64_t kTen18 = kPow10Integer[18];

[[noreturn, gnu::cold, gnu::noinline]] void ThrowConvertError(std::string_view text) {
  std::string message;
  message.reserve(text.size() + 40);
  message.append("'").append(text).append("' is 不是一个有效的浮点值");
  throw EConvertError(std::move(message));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Multiplies (n > 0) or divides (n < 0) by 10^|n| with one constant per table, each step rounded; |n| < 5120.
long double ScaleByPowerOfTen(long double value, int64_t n) {
  const int64_t m = n < 0 ? -n : n;
  const long double small = kPow10Small[m % 32];
  const long double medium = kPow10Medium[(m / 32) % 16];
  const long double large = kPow10Large[m / 512];
  if (n > 0) {
    if (m % 32 != 0) value *= small;
    if ((m / 32) % 16 != 0) value *= medium;
    if (m >= 512) value *= large;
  } else if (n < 0) {
    if (m % 32 != 0) value /= small;
    if ((m / 32) % 16 != 0) value /= medium;
    if (m >= 512) value /= large;
  }
  return value;
}

// A finite non-zero extended value as significand × 2^exponent, sign dropped.
struct BinaryParts {
  uint64_t significand;
  int exponent;
};

BinaryParts Decompose(long double value) {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &value, sizeof bytes);
  uint64_t significand;
  uint16_t signAndExponent;
  std::memcpy(&significand, bytes, 8);
  std::memcpy(&signAndExponent, bytes + 8, 2);
  const int biased = signAndExponent & 0x7fff;
  // Subnormals keep the exponent of the smallest normal value.
  return {significand, (biased == 0 ? 1 : biased) - 16383 - 63};
}

// Rounds value / 2^shift to the nearest integer, ties to even; 0 < shift < 128.
Uint128 ShiftRightRounded(Uint128 value, int shift) {
  Uint128 quotient = value >> shift;
  const Uint128 remainder = value - (quotient << shift);
  const Uint128 half = Uint128{1} << (shift - 1);
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
  return quotient;
}

// Just enough unsigned arithmetic to compare the huge values exactly.
class BigInteger {
 public:
  explicit BigInteger(uint64_t value) : limbs_{value} { Trim(); }

  void MultiplyBy(uint64_t factor) {
    uint64_t carry = 0;
    for (auto& limb : limbs_) {
      const Uint128 product = Uint128{limb} * factor + carry;
      limb = static_cast<uint64_t>(product);
      carry = static_cast<uint64_t>(product >> 64);
    }
    if (carry != 0) limbs_.push_back(carry);
    Trim();
  }

  void ShiftLeft(int bits) {
    if (limbs_.empty() || bits == 0) return;
    const int limbShift = bits / 64;
    const int bitShift = bits % 64;
    if (bitShift != 0) {
      uint64_t carry = 0;
      for (auto& limb : limbs_) {
        const uint64_t next = limb >> (64 - bitShift);
        limb = (limb << bitShift) | carry;
        carry = next;
      }
      if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), limbShift, 0);
  }

  friend int Compare(const BigInteger& a, const BigInteger& b) {
    if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (size_t i = a.limbs_.size(); i-- > 0;) {
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    }
    return 0;
  }

 private:
  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  std::vector<uint64_t> limbs_;
};

// round(significand × 2^exponent / 10^t) for values too large for 128-bit arithmetic. An estimate from extended
// arithmetic is off by at most one and is corrected by exact comparison with the neighbouring half-way points.
uint64_t DivideByPowerOfTenExact(long double magnitude, uint64_t significand, int exponent, int t) {
  uint64_t estimate = static_cast<uint64_t>(ScaleByPowerOfTen(magnitude, -t) + 0.5L);
  BigInteger power5(1);
  int remaining = t;
  for (; remaining >= 27; remaining -= 27) power5.MultiplyBy(kPow5Integer[27]);
  power5.MultiplyBy(kPow5Integer[remaining]);
  // 2·value·10^−t against an odd c compares significand·2^(exponent+1−t) with c·5^t.
  const int shift = exponent + 1 - t;
  BigInteger doubled(significand);
  doubled.ShiftLeft(shift > 0 ? shift : 0);
  const auto compareWithHalfWay = [&](uint64_t odd) {
    BigInteger bound = power5;
    bound.MultiplyBy(odd);
    bound.ShiftLeft(shift < 0 ? -shift : 0);
    return Compare(doubled, bound);
  };
  for (;;) {
    const int above = compareWithHalfWay(2 * estimate + 1);
    if (above > 0) {
      ++estimate;
      continue;
    }
    if (above == 0) return estimate + (estimate & 1);
    const int below = compareWithHalfWay(2 * estimate - 1);
    if (below < 0) {
      --estimate;
      continue;
    }
    if (below == 0) return estimate - (estimate & 1);
    return estimate;
  }
}

// round(magnitude × 10^s), ties to even, where magnitude = significand × 2^exponent and the result is below 2^64.
uint64_t RoundScaled(long double magnitude, const BinaryParts& parts, int s) {
  if (s >= 0) {
    // 10^s = 5^s × 2^s keeps the product within 128 bits for s up to 27.
    const Uint128 product = Uint128{parts.significand} * kPow5Integer[s];
    const int shift = parts.exponent + s;
    if (shift >= 0) return static_cast<uint64_t>(product << shift);
    return static_cast<uint64_t>(ShiftRightRounded(product, -shift));
  }
  const int t = -s;
  if (t <= 25 && parts.exponent >= -10 && parts.exponent <= 63) {
    Uint128 numerator = parts.significand;
    Uint128 denominator = Uint128{kPow10Integer[t <= 19 ? t : 19]} * kPow10Integer[t <= 19 ? 0 : t - 19];
    if (parts.exponent >= 0) {
      numerator <<= parts.exponent;
    } else {
      denominator <<= -parts.exponent;
    }
    uint64_t quotient = static_cast<uint64_t>(numerator / denominator);
    const Uint128 twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && (quotient & 1) != 0)) ++quotient;
    return quotient;
  }
  return DivideByPowerOfTenExact(magnitude, parts.significand, parts.exponent, t);
}

char* WriteUnsigned(char* out, uint64_t value) { return std::to_chars(out, out + 20, value).ptr; }

std::string ZeroText() { return std::string{'0', decimalSeparator, '0', '0', '0', '0', '0', '0'}; }

// digits (18 of them, d1 not zero) and e describe 0.d1…d18 × 10^e with e ≥ 19; 15 digits are kept.
std::string ExponentText(bool negative, uint64_t digits, int e) {
  uint64_t kept = digits / 1000;
  if (digits % 1000 >= 500) ++kept;
  if (kept == kPow10Integer[15]) {
    kept = kPow10Integer[14];
    ++e;
  }
  while (kept % 10 == 0) kept /= 10;
  char buffer[48];
  char* out = buffer;
  if (negative) *out++ = '-';
  // Written one place to the right, the first digit then moves left over the separator's place.
  char* const digitEnd = WriteUnsigned(out + 1, kept);
  out[0] = out[1];
  if (digitEnd - out > 2) {
    out[1] = decimalSeparator;
    out = digitEnd;
  } else {
    out += 1;
  }
  *out++ = 'E';
  out = WriteUnsigned(out, static_cast<uint64_t>(e - 1));
  return std::string(buffer, out);
}

}  // namespace

void SetDecimalSeparator(char separator) { decimalSeparator = separator; }

bool IsPlainDecimal(std::string_view text) {
  if (text.empty() || text.front() == '.' || text.back() == '.') return false;
  bool seenPoint = false;
  for (const char c : text) {
    if (c == '.') {
      if (seenPoint) return false;
      seenPoint = true;
    } else if (!IsDigit(c)) {
      return false;
    }
  }
  return true;
}

long double ParseDecimal(std::string_view text) {
  const char separator = decimalSeparator;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end && *p == ' ') ++p;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* const numberStart = p;

  // Digits accumulate in 64-bit integers while they fit, which extended arithmetic would do just as exactly; from
  // then on in extended, each multiplication and addition rounded.
  uint64_t exact = 0;
  long double rounded = 0;
  bool isRounded = false;
  const auto accumulate = [&](char c) {
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (!isRounded) {
      if (exact <= (std::numeric_limits<uint64_t>::max() - 9) / 10) {
        exact = exact * 10 + digit;
        return;
      }
      rounded = static_cast<long double>(exact);
      isRounded = true;
    }
    rounded = rounded * 10 + digit;
  };
  while (p != end && IsDigit(*p)) accumulate(*p++);
  int64_t fractionDigits = 0;
  if (p != end && *p == separator) {
    ++p;
    const char* const fractionStart = p;
    while (p != end && IsDigit(*p)) accumulate(*p++);
    fractionDigits = p - fractionStart;
  }
  if (p == numberStart) ThrowConvertError(text);

  int exponent = 0;
  if (p != end && (*p == 'E' || *p == 'e')) {
    ++p;
    bool negativeExponent = false;
    if (p != end && (*p == '+' || *p == '-')) {
      negativeExponent = *p == '-';
      ++p;
    }
    // Reading stops once the exponent reaches 500; a digit left over is then an error below.
    while (p != end && exponent < 500 && IsDigit(*p)) exponent = exponent * 10 + (*p++ - '0');
    if (negativeExponent) exponent = -exponent;
  }
  while (p != end && *p == ' ') ++p;
  if (p != end) ThrowConvertError(text);

  long double value = isRounded ? rounded : static_cast<long double>(exact);
  // The digit string alone must fit, whatever the exponent would make of it.
  if (std::isinf(value)) ThrowConvertError(text);
  const int64_t n = exponent - fractionDigits;
  if (n <= -5120) {
    value = 0;
  } else {
    value = ScaleByPowerOfTen(value, n);
    if (std::isinf(value)) ThrowConvertError(text);
  }
  return negative ? -value : value;
}

std::string FormatSixDecimals(long double value) {
  if (std::isnan(value)) return "NAN";
  const bool negative = std::signbit(value);
  if (std::isinf(value)) return negative ? "-INF" : "INF";
  const long double magnitude = std::fabs(value);
  // Below 10^-8 the six decimals are all zero whatever the digits; subnormal values have none.
  if (!(magnitude >= 1e-8L)) return ZeroText();

  // 18 significant digits and the decimal exponent e: magnitude ≈ 0.d1…d18 × 10^e. The first guess for e, from the
  // binary exponent, is exact or one too large.
  const BinaryParts parts = Decompose(magnitude);
  const int64_t binaryExponent = parts.exponent + 63;
  int e = static_cast<int>(((binaryExponent + 1) * 1292913986) >> 32) + 1;
  uint64_t digits = RoundScaled(magnitude, parts, 18 - e);
  if (digits <= kTen17) {
    const uint64_t retry = RoundScaled(magnitude, parts, 19 - e);
    if (retry < kTen18) {
      digits = retry;
      --e;
    } else {
      digits = kTen17;
    }
  } else if (digits >= kTen18) {
    digits = kTen17;
    ++e;
  }
  if (e >= 19) return ExponentText(negative, digits, e);

  // Keep e + 6 digits, rounding half away from zero on the digit string; the result counts millionths.
  const int keep = e + 6;
  uint64_t integerPart;
  uint64_t millionths;
  if (keep < 0) {
    return ZeroText();
  } else if (keep >= 18) {
    const int fractionPlaces = 18 - e;
    integerPart = digits / kPow10Integer[fractionPlaces];
    millionths = digits % kPow10Integer[fractionPlaces] * kPow10Integer[6 - fractionPlaces];
  } else {
    uint64_t kept = digits / kPow10Integer[18 - keep];
    if (digits % kPow10Integer[18 - keep] >= 5 * kPow10Integer[17 - keep]) ++kept;
    integerPart = kept / 1000000;
    millionths = kept % 1000000;
  }
  if (integerPart == 0 && millionths == 0) return ZeroText();

  char buffer[40];
  char* out = buffer;
  if (negative) *out++ = '-';
  out = WriteUnsigned(out, integerPart);
  *out++ = decimalSeparator;
  for (int place = 5; place >= 0; --place) {
    out[place] = static_cast<char>('0' + millionths % 10);
    millionths /= 10;
  }
  out += 6;
  return std::string(buffer, out);
}

long double MultiplyExtended(long double a, long double b) {
  const long double product = a * b;
  if (std::isinf(product)) throw EOverflow();
  return product;
}

}  // namespace metrazil
