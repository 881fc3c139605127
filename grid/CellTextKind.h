#pragma once

#include <string>
#include <string_view>

namespace metrazil {

// How a cell's bytes are shown.
enum class TCellTextKind {
  kPlain,   // laid out as it is
  kWide,    // "|\" then byte pairs, each one UTF-16 code unit, high byte first
  kRich,    // "{\": a rich-text document shown as its text
  kMarkup,  // holds "</", "<B" or "<I": tags are interpreted, not shown
};

// Classifies a cell text the way painting does: the text with one blank appended is tested in order for
// length under 2, a leading "=", a leading "|\" (plain when its fourth byte is "="), a leading "{\" and
// the markup openers (capital B and I only).
TCellTextKind ClassifyCellText(std::string_view text);

// The code units of a wide text: the bytes after "|\" of the text with its blank appended, in pairs; an
// odd last byte is dropped.
std::u16string DecodeWideText(std::string_view text);

// The text the in-place editor shows for a cell: each "<BR>" and "<HR>" (any letter case) becomes CR LF,
// then every "<" up to and including the next ">" is removed. A "<" without a ">" after it stays, with
// everything after it.
std::string RemoveMarkup(std::string_view text);

}  // namespace metrazil
