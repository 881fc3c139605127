#include "grid/text/ShownCellText.h"

#include "base/CodePage.h"
#include "grid/text/RichTextReader.h"

namespace metrazil {

std::string_view CodePagePrefix(std::string_view bytes, std::size_t maxChars) {
  if (maxChars >= bytes.size()) return bytes;  // a character takes at least one byte
  std::size_t at = 0;
  for (std::size_t chars = 0; chars < maxChars && at < bytes.size(); ++chars) at += CharLengthAt(bytes, at);
  return bytes.substr(0, at);
}

TShownCellText ShownCellText(std::string_view cellText, std::size_t maxChars, const TDecodeBytes& decodeBytes) {
  TShownCellText shown;
  shown.kind = ClassifyCellText(cellText);
  switch (shown.kind) {
    case TCellTextKind::kWide:
      shown.units = DecodeWideText(cellText, maxChars);
      break;
    case TCellTextKind::kRich:
      shown.units = ReadRichText(cellText.substr(0, kMaxRichTextBytes), decodeBytes, maxChars);
      break;
    case TCellTextKind::kMarkup:
      shown.bytes = cellText.substr(0, MarkupBytesShown(maxChars));
      if (MarkupNestsShallowly(shown.bytes)) break;
      shown.kind = TCellTextKind::kPlain;
      shown.bytes = CodePagePrefix(cellText, maxChars);
      break;
    case TCellTextKind::kPlain:
      shown.bytes = CodePagePrefix(cellText, maxChars);
      break;
  }
  return shown;
}

}  // namespace metrazil
