#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace metrazil {

// Cell texts and table files are GB18030 bytes; these are the only conversions at the UI boundary.
// Undecodable bytes become U+FFFD; characters GB18030 cannot hold do not exist (it covers all of Unicode).
QString FromTableBytes(std::string_view bytes);
// A character takes at most this many bytes.
inline constexpr std::size_t kMaxBytesPerChar = 4;
// The first maxChars characters of the bytes, decoding no more of them than that needs; cut, when given,
// tells whether the text went on.
QString FromTableBytes(std::string_view bytes, std::size_t maxChars, bool* cut = nullptr);
std::string ToTableBytes(const QString& text);

// How an editor shows a cell text: the in-place editor with markup removed and line breaks as "\n", the
// header editor as it stands.
enum class TEditorTextForm { kWithoutMarkup, kAsStored };

// A cell text as an editor shows it, at most kMaxEditedChars characters (a longer text opens read-only);
// cut, when given, tells whether the text went on.
QString EditorText(std::string_view cellText, bool* cut = nullptr,
                   TEditorTextForm form = TEditorTextForm::kWithoutMarkup);

}  // namespace metrazil
