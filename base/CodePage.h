#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace metrazil {

// GB18030 characters: one byte below 0x80; two bytes, a lead byte and a trail byte; four bytes, a lead
// byte, a digit, a lead byte and a digit. A lead byte whose next bytes complete no character is a
// character of one byte, as a decoder turns it into one replacement character, and the bytes after it
// begin characters of their own: "\x81 " is two characters, the second a blank. Every reader of
// characters (file reads, shown text, find, measuring) counts with this rule, so they all agree.

constexpr bool IsGbLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsGbTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
// The second and fourth bytes of a four-byte character.
constexpr bool IsGbFourByteDigit(unsigned char b) { return b >= 0x30 && b <= 0x39; }

// Byte length of the GB18030 character that starts at text[pos] (1, 2 or 4). Inline: hot loops over
// whole tables call it per character.
inline std::size_t CharLengthAt(std::string_view text, std::size_t pos) {
  const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  if (!IsGbLeadByte(byte(pos)) || pos + 1 >= text.size()) return 1;
  if (IsGbTrailByte(byte(pos + 1))) return 2;
  if (IsGbFourByteDigit(byte(pos + 1)) && pos + 3 < text.size() && IsGbLeadByte(byte(pos + 2)) &&
      IsGbFourByteDigit(byte(pos + 3))) {
    return 4;
  }
  return 1;
}

// Whether the text stops inside a character: its last bytes begin a two- or four-byte character that more
// bytes would complete, as in a file cut short.
bool EndsInsideCharacter(std::string_view text);

// Upper-cases the ASCII letters of GB18030 text, character by character, so the trailing bytes of a
// multi-byte character (which may look like ASCII letters) are never changed.
std::string AnsiUpperCase(std::string_view text);
// Whether AnsiUpperCase(text) equals `upper`, without building the upper-cased copy.
bool AnsiUpperCaseEquals(std::string_view text, std::string_view upper);

}  // namespace metrazil
