#include "base/CodePage.h"

namespace metrazil {

bool EndsInsideCharacter(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t length = CharLengthAt(text, pos);
    if (length == 1 && IsGbLeadByte(static_cast<unsigned char>(text[pos]))) {
      // A lone lead byte: inside a character only when what follows it is the start of one, up to the end.
      const std::string_view rest = text.substr(pos + 1);
      const auto at = [&rest](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
      if (rest.empty() || (rest.size() == 1 && IsGbFourByteDigit(at(0))) ||
          (rest.size() == 2 && IsGbFourByteDigit(at(0)) && IsGbLeadByte(at(1)))) {
        return true;
      }
    }
    pos += length;
  }
  return false;
}

std::string AnsiUpperCase(std::string_view text) {
  std::string result(text);
  std::size_t pos = 0;
  while (pos < result.size()) {
    char& c = result[pos];
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
      ++pos;
    } else if (static_cast<unsigned char>(c) < 0x80) {
      ++pos;
    } else {
      pos += CharLengthAt(result, pos);
    }
  }
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
