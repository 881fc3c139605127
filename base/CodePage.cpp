#include "base/CodePage.h"

namespace metrazil {

namespace {

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsFourByteSecond(unsigned char b) { return b >= 0x30 && b <= 0x39; }

}  // namespace

std::size_t CharLengthAt(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (!IsLeadByte(lead) || pos + 1 >= text.size()) return 1;
  const auto second = static_cast<unsigned char>(text[pos + 1]);
  if (IsFourByteSecond(second)) {
    if (pos + 3 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos + 2])) &&
        IsFourByteSecond(static_cast<unsigned char>(text[pos + 3]))) {
      return 4;
    }
    return 1;
  }
  return (second >= 0x40 && second != 0x7F && second != 0xFF) ? 2 : 1;
}

void AnsiUpperCaseInPlace(std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    char& c = text[pos];
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
      ++pos;
    } else if (static_cast<unsigned char>(c) < 0x80) {
      ++pos;
    } else {
      pos += CharLengthAt(text, pos);
    }
  }
}

std::string AnsiUpperCase(std::string_view text) {
  std::string result(text);
  AnsiUpperCaseInPlace(result);
  return result;
}

bool AnsiUpperCaseEquals(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (static_cast<unsigned char>(c) < 0x80) {
      if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != upper[pos]) return false;
      ++pos;
      continue;
    }
    const std::size_t length = CharLengthAt(text, pos);
    if (text.substr(pos, length) != upper.substr(pos, length)) return false;
    pos += length;
  }
  return true;
}

}  // namespace metrazil
