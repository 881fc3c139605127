#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace metrazil {

// Field and text rules of table files, shared by the reader and the writer.

struct TTableFileNumber {
  int value = 0;
  bool hasDigits = false;   // false when no digit stood where the number should begin (value 0)
  bool wholeField = false;  // the digits run to the field's end: the number is all the field holds
};

// Blanks, an optional sign, then decimal digits, or hexadecimal ones after "$", "x", "X", "0x" or "0X".
// Reading stops at the first byte that does not fit; the sign counts only when the field ends right after
// the digits. The value saturates to the 32-bit signed range.
TTableFileNumber ParseTableFileNumber(std::string_view field);

// Whether the text holds a CR or an LF, either of which would split its line in a table file.
inline bool HoldsLineBreak(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

// CR and LF become TAB and BS when the text holds either, so no cell text can split its line.
void AppendEncodedCellText(std::string& out, std::string_view text);
// The reverse: when the field holds a BS, every TAB becomes CR and every BS becomes LF.
void AppendDecodedCellText(std::string& out, std::string_view field);

}  // namespace metrazil
