#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace metrazil {

// Byte length of the GB18030 character that starts at text[pos] (1, 2 or 4); an incomplete or stray
// lead byte counts as a single byte.
std::size_t CharLengthAt(std::string_view text, std::size_t pos);

// Upper-cases the ASCII letters of GB18030 text in place, character by character, so the trailing bytes
// of a multi-byte character (which may look like ASCII letters) are never changed.
void AnsiUpperCaseInPlace(std::string& text);
std::string AnsiUpperCase(std::string_view text);
// Whether AnsiUpperCase(text) equals `upper`, without building the upper-cased copy.
bool AnsiUpperCaseEquals(std::string_view text, std::string_view upper);

}  // namespace metrazil
