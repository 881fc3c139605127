#include "grid/file/Utf8ToGb18030.h"

#include <algorithm>
#include <cerrno>

#include "base/Exception.h"

namespace metrazil {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

TUtf8ToGb18030::TUtf8ToGb18030() : converter_(iconv_open("GB18030", "UTF-8")) {
  if (converter_ == kNoConverter) throw EConvertError("No converter from UTF-8 to GB18030");
}

TUtf8ToGb18030::~TUtf8ToGb18030() { iconv_close(converter_); }

void TUtf8ToGb18030::Append(std::string& out, std::string_view utf8) {
  // Table texts are mostly ASCII, which both encodings share.
  const auto firstHigh = std::find_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) != 0; });
  const auto asciiLength = static_cast<std::size_t>(firstHigh - utf8.begin());
  const std::size_t start = out.size();
  out.append(utf8.data(), asciiLength);
  if (asciiLength == utf8.size()) return;

  char* in = const_cast<char*>(utf8.data()) + asciiLength;  // iconv does not write through it
  std::size_t inLeft = utf8.size() - asciiLength;
  // GB18030 needs at most twice the UTF-8 bytes (U+0080..U+07FF take 2 and 4).
  std::size_t written = out.size();
  out.resize(written + 2 * inLeft);
  for (;;) {
    char* to = out.data() + written;
    std::size_t outLeft = out.size() - written;
    const std::size_t result = iconv(converter_, &in, &inLeft, &to, &outLeft);
    written = out.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() + inLeft + 4);
      continue;
    }
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    out.resize(start);
    throw EConvertError("Text is not UTF-8 that GB18030 can hold");
  }
  out.resize(written);
}

}  // namespace metrazil
