#include "grid/layout/ShownCellText.h"

#include "grid/layout/RichTextReader.h"

namespace metrazil {

std::string_view CodePagePrefix(std::string_view bytes, std::size_t maxChars) {
  if (maxChars >= bytes.size()) return bytes;  // a character takes at least one byte
  std::size_t at = 0;
  for (std::size_t chars = 0; chars < maxChars && at < bytes.size(); ++chars) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x81 || lead == 0xFF || at + 1 == bytes.size()) {
      ++at;
      continue;
    }
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    at += second >= 0x30 && second <= 0x39 ? 4 : 2;  // a digit second byte makes a four-byte character
  }
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
