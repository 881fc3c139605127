#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace metrazil {

// Turns a rich-text (RTF) cell into the text it shows: control words and destinations that hold no body
// text (font and colour tables, pictures, "{\*...}" groups) are dropped, "\par" and "\line" become line
// breaks, "\tab" a tab, "\'hh" a byte of the code page and "\uN" a UTF-16 code unit (skipping its "\ucN"
// fallback characters). Code-page bytes are handed to decodeBytes in runs. Malformed input (unbalanced
// braces, a cut control word) never fails: what can be read is returned. Reading stops after maxUnits code
// units; groups nested more than a few hundred deep share one state.
std::u16string ReadRichText(std::string_view rtf, const std::function<std::u16string(std::string_view)>& decodeBytes,
                            std::size_t maxUnits = std::u16string::npos);

}  // namespace metrazil
