#pragma once

#include <cstddef>
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
// odd last byte is dropped. At most maxUnits of them.
std::u16string DecodeWideText(std::string_view text, std::size_t maxUnits = std::u16string::npos);

// The text the in-place editor shows for a cell: each "<BR>" and "<HR>" (any letter case) becomes CR LF,
// then every "<" up to and including the next ">" is removed. A "<" without a ">" after it stays, with
// everything after it. At most maxBytes bytes of that text.
std::string RemoveMarkup(std::string_view text, std::size_t maxBytes = std::string::npos);

// Bounds that keep showing one cell cheap whatever its text holds.
//
// The most characters a text rectangle can show: a wrapped line holds at most one character per pixel of
// its width, and lines are lineHeight apart. Painting lays out no more of a text than this.
std::size_t VisibleCharLimit(int width, int height, int lineHeight);
// A rich text is read for painting from its first kMaxRichTextBytes bytes only.
inline constexpr std::size_t kMaxRichTextBytes = 256 * 1024;
// Markup is laid out as a document from its first bytes only: no more than 8 bytes per character that
// can show (tags take bytes too), and never more than kMaxMarkupBytes.
inline constexpr std::size_t kMaxMarkupBytes = 8 * 1024;
std::size_t MarkupBytesShown(std::size_t visibleChars);
// Whether markup nests shallowly enough to be laid out as a document; deeper markup is shown as plain
// text. The document layout's cost grows steeply with nesting, doubling with each table inside a table.
// Elements that hold no content (line breaks, pictures) and those that the next of their kind closes
// (paragraphs, list items, table rows and cells) do not count.
inline constexpr int kMaxMarkupDepth = 16;
inline constexpr int kMaxMarkupTableDepth = 6;
bool MarkupNestsShallowly(std::string_view markup);

// The in-place editors take texts of up to this many characters; a longer one is shown cut there and
// read-only, which leaves the cell as it is. An editor lays out a long unbroken line in a time that grows
// with its square.
inline constexpr std::size_t kMaxEditedChars = 8 * 1024;

}  // namespace metrazil
