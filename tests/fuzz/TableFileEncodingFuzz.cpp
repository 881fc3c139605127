// Feeds arbitrary bytes to the table file encoding classifier, whole and in small pieces, and checks its
// verdict against the system's converter and a character-by-character GB18030 reading; a file it takes for
// UTF-8 must convert to GB18030 and back to the same bytes.
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/CodePage.h"
#include "base/Exception.h"
#include "grid/file/TableFileEncoding.h"
#include "grid/file/Utf8ToGb18030.h"

namespace {

using metrazil::TTableFileEncoding;
using metrazil::TTextEncoding;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "table file encoding: %s\n", what);
  std::abort();
}

// Converts through iconv; false when some byte does not convert.
bool Convert(std::string_view bytes, const char* from, const char* to, std::string& out) {
  static const iconv_t toGb18030 = iconv_open("GB18030", "UTF-8");
  static const iconv_t toUtf8 = iconv_open("UTF-8", "GB18030");
  const iconv_t converter = std::string_view(to) == "GB18030" ? toGb18030 : toUtf8;
  Check(std::string_view(from) != to && converter != reinterpret_cast<iconv_t>(-1), "no system converter");
  out.assign(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  const bool ok = iconv(converter, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  out.resize(out.size() - outLeft);
  return ok;
}

// Whether the text is GB18030 with at least half its multi-byte characters common hanzi (rows B0..D7,
// second byte A1..FE), as GBK text is and UTF-8 read as GB18030 seldom is.
bool IsGb18030OfCommonHanzi(std::string_view text) {
  std::size_t multiByte = 0;
  std::size_t common = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    const std::size_t length = byte < 0x80 ? 1 : metrazil::CharLengthAt(text, pos);
    if (byte >= 0x80 && length == 1) return false;
    if (length > 1) ++multiByte;
    if (length == 2 && byte >= 0xB0 && byte <= 0xD7 && static_cast<unsigned char>(text[pos + 1]) >= 0xA1) ++common;
    pos += length;
  }
  return 2 * common >= multiByte;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  TTableFileEncoding whole;
  whole.Feed(bytes);
  const TTextEncoding result = whole.Result();

  // Pieces of 1 to 7 bytes, their sizes taken from the input; a decided verdict stays.
  TTableFileEncoding pieces;
  bool decided = false;
  for (std::size_t at = 0; at < size;) {
    const std::size_t length = 1 + data[at] % 7;
    pieces.Feed(bytes.substr(at, length));
    at += length;
    if (decided) Check(pieces.Decided(), "a decided verdict undone");
    decided = pieces.Decided();
  }
  Check(pieces.Result() == result, "the verdict depends on the buffer boundaries");
  if (decided) Check(result == TTextEncoding::kOther8Bit, "decided on something else than other 8-bit");

  const bool bom = bytes.starts_with("\xEF\xBB\xBF");
  Check(whole.HasByteOrderMark() == bom, "byte-order mark");
  const std::string_view body = bom ? bytes.substr(3) : bytes;
  const bool ascii = std::all_of(body.begin(), body.end(), [](char c) { return (c & 0x80) == 0; });
  std::string gb18030;
  const bool convertible = Convert(body, "UTF-8", "GB18030", gb18030);
  const TTextEncoding expected = ascii                                                   ? TTextEncoding::kAscii
                                 : convertible && (bom || !IsGb18030OfCommonHanzi(body)) ? TTextEncoding::kUtf8
                                                                                         : TTextEncoding::kOther8Bit;
  Check(result == expected, "verdict differs from the reference");

  if (result == TTextEncoding::kUtf8) {
    static metrazil::TUtf8ToGb18030 converter;
    std::string out = "x";
    try {
      converter.Append(out, body);
    } catch (const metrazil::Exception&) {
      Check(false, "a file classified UTF-8 does not convert");
    }
    Check(out.substr(1) == gb18030, "conversion differs from the system's");
    std::string back;
    Check(Convert(gb18030, "GB18030", "UTF-8", back) && back == body, "conversion does not round-trip");
  }
  return 0;
}
