#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "grid/text/CellTextKind.h"

namespace metrazil {

// Turns a run of code-page (GB18030) bytes into UTF-16; the caller's converter.
using TDecodeBytes = std::function<std::u16string(std::string_view)>;

// The text a cell shows, as the user sees it: what painting lays out, before any line breaking.
struct TShownCellText {
  // kPlain: bytes shows as it stands (plain text, and markup nested too deeply to lay out as a document).
  // kMarkup: bytes is markup laid out as a document; its tags are not shown.
  // kWide, kRich: units shows.
  TCellTextKind kind = TCellTextKind::kPlain;
  std::string_view bytes;  // a prefix of the cell's text
  std::u16string units;
};

// What a cell with this text shows, within the bounds painting keeps: at most maxChars characters, a rich
// text read from its first kMaxRichTextBytes bytes, markup laid out from its first MarkupBytesShown(maxChars)
// bytes when it nests shallowly enough, else shown as plain text. decodeBytes is called for the code-page
// characters of a rich text only, so a plain text costs no conversion and no copy.
TShownCellText ShownCellText(std::string_view cellText, std::size_t maxChars, const TDecodeBytes& decodeBytes);

// The bytes of the first maxChars GB18030 characters of a text. A byte that begins no character counts as
// one, as a decoder turns it into one replacement character.
std::string_view CodePagePrefix(std::string_view bytes, std::size_t maxChars);

}  // namespace metrazil
