#include "grid/file/TableFileEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "base/CodePage.h"

namespace metrazil {

namespace {

constexpr std::array<unsigned char, 3> kBom{0xEF, 0xBB, 0xBF};

// Private-use code points that GB18030-2005 gave two-byte codes which now belong to standard characters;
// glibc's converter has no code for them.
constexpr std::array<char32_t, 24> kNoGb18030Code{0xE78D, 0xE78E, 0xE78F, 0xE790, 0xE791, 0xE792, 0xE793, 0xE794,
                                                  0xE795, 0xE796, 0xE816, 0xE817, 0xE818, 0xE81E, 0xE826, 0xE82B,
                                                  0xE82C, 0xE831, 0xE832, 0xE83B, 0xE843, 0xE854, 0xE855, 0xE864};

// The first byte at or after p above 0x7F, 16 bytes a step; end when there is none.
const unsigned char* SkipAscii(const unsigned char* p, const unsigned char* end) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  while (end - p >= 16) {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    if (((a | b) & kHighBits) != 0) break;
    p += 16;
  }
  while (p < end && *p < 0x80) ++p;
  return p;
}

bool InRange(unsigned char byte, unsigned char low, unsigned char high) { return byte >= low && byte <= high; }

}  // namespace

std::size_t Utf8ByteOrderMarkLength(std::string_view fileStart) {
  return fileStart.size() >= kBom.size() && std::memcmp(fileStart.data(), kBom.data(), kBom.size()) == 0 ? kBom.size()
                                                                                                         : 0;
}

void TTableFileEncoding::Feed(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* end = p + bytes.size();
  if (!bomDecided_) {
    while (p < end && bomMatched_ < kBomLength && *p == kBom[static_cast<std::size_t>(bomMatched_)]) {
      ++bomMatched_;
      ++p;
    }
    if (bomMatched_ < kBomLength && p == end) return;  // maybe a mark split between buffers
    bomDecided_ = true;
    if (bomMatched_ < kBomLength) {
      // The bytes that looked like a mark are text.
      const int matched = bomMatched_;
      bomMatched_ = 0;
      FeedBody(kBom.data(), kBom.data() + matched);
    }
  }
  FeedBody(p, end);
}

TTextEncoding TTableFileEncoding::Result() const {
  if (!bomDecided_ && bomMatched_ > 0) {
    // The file ended inside what looked like a mark.
    TTableFileEncoding whole = *this;
    whole.bomDecided_ = true;
    whole.bomMatched_ = 0;
    whole.FeedBody(kBom.data(), kBom.data() + bomMatched_);
    return whole.Result();
  }
  if (!nonAscii_) return TTextEncoding::kAscii;
  if (!utf8Valid_ || utf8Need_ != 0) return TTextEncoding::kOther8Bit;
  const bool gb18030 = gbValid_ && gbSeen_ == 0;
  const bool mostlyCommonHanzi = 2 * gbCommonHanzi_ >= gbMultiByte_;
  return HasByteOrderMark() || !gb18030 || !mostlyCommonHanzi ? TTextEncoding::kUtf8 : TTextEncoding::kOther8Bit;
}

void TTableFileEncoding::FeedBody(const unsigned char* p, const unsigned char* end) {
  while (p < end && utf8Valid_) {
    if (utf8Need_ == 0 && gbSeen_ == 0) {
      p = SkipAscii(p, end);
      if (p == end) return;
      if (!gbValid_) {
        // Only UTF-8 is left to check: whole characters at a time while the buffer holds them.
        p = SkipUtf8(p, end);
        if (p == end || !utf8Valid_) return;
      }
    }
    const unsigned char byte = *p++;
    StepUtf8(byte);
    if (gbValid_) StepGb18030(byte);
  }
}

const unsigned char* TTableFileEncoding::SkipUtf8(const unsigned char* p, const unsigned char* end) {
  while (end - p >= 4) {
    const unsigned char lead = p[0];
    if (lead < 0x80) {
      p = SkipAscii(p + 1, end);
      continue;
    }
    nonAscii_ = true;
    const auto continuation = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
    if (InRange(lead, 0xC2, 0xDF) && continuation(p[1])) {
      p += 2;
    } else if (InRange(lead, 0xE1, 0xEC) && continuation(p[1]) && continuation(p[2])) {
      p += 3;  // no overlong form, surrogate or code point without GB18030 code starts with these
    } else {
      return p;  // the rarer leads, and invalid bytes, one byte at a time
    }
  }
  return p;
}

void TTableFileEncoding::StepUtf8(unsigned char byte) {
  if (utf8Need_ > 0) {
    if (!InRange(byte, utf8Low_, utf8High_)) {
      utf8Valid_ = false;
      return;
    }
    codePoint_ = (codePoint_ << 6) | (byte & 0x3Fu);
    utf8Low_ = 0x80;
    utf8High_ = 0xBF;
    if (--utf8Need_ == 0 && codePoint_ >= kNoGb18030Code.front() && codePoint_ <= kNoGb18030Code.back() &&
        std::binary_search(kNoGb18030Code.begin(), kNoGb18030Code.end(), codePoint_)) {
      utf8Valid_ = false;
    }
    return;
  }
  if (byte < 0x80) return;
  nonAscii_ = true;
  // The second byte's range excludes overlong forms, surrogates (ED A0..BF) and code points past U+10FFFF.
  if (InRange(byte, 0xC2, 0xDF)) {
    utf8Need_ = 1;
    codePoint_ = byte & 0x1Fu;
  } else if (InRange(byte, 0xE0, 0xEF)) {
    utf8Need_ = 2;
    codePoint_ = byte & 0x0Fu;
    if (byte == 0xE0) utf8Low_ = 0xA0;
    if (byte == 0xED) utf8High_ = 0x9F;
  } else if (InRange(byte, 0xF0, 0xF4)) {
    utf8Need_ = 3;
    codePoint_ = byte & 0x07u;
    if (byte == 0xF0) utf8Low_ = 0x90;
    if (byte == 0xF4) utf8High_ = 0x8F;
  } else {
    utf8Valid_ = false;
  }
}

void TTableFileEncoding::StepGb18030(unsigned char byte) {
  // Strict, unlike CharLengthAt: one byte that completes no character makes the bytes no GB18030 text.
  bool valid = true;
  switch (gbSeen_) {
    case 0:
      if (byte < 0x80) return;
      valid = IsGbLeadByte(byte);
      gbLead_ = byte;
      gbSeen_ = 1;
      break;
    case 1:
      if (IsGbFourByteDigit(byte)) {
        gbSeen_ = 2;
      } else {
        valid = IsGbTrailByte(byte);
        gbSeen_ = 0;
        ++gbMultiByte_;
        if (InRange(gbLead_, 0xB0, 0xD7) && InRange(byte, 0xA1, 0xFE)) ++gbCommonHanzi_;
      }
      break;
    case 2:
      valid = IsGbLeadByte(byte);
      gbSeen_ = 3;
      break;
    default:
      valid = IsGbFourByteDigit(byte);
      gbSeen_ = 0;
      ++gbMultiByte_;
      break;
  }
  if (!valid) {
    gbValid_ = false;
    gbSeen_ = 0;
  }
}

}  // namespace metrazil
