#include "grid/CellTextKind.h"

namespace metrazil {

namespace {

std::string WithBlank(std::string_view text) {
  std::string padded(text);
  padded.push_back(' ');
  return padded;
}

bool IsLineTag(std::string_view text, std::size_t at) {
  if (at + 4 > text.size() || text[at + 3] != '>') return false;
  const char first = static_cast<char>(text[at + 1] & ~0x20);
  const char second = static_cast<char>(text[at + 2] & ~0x20);
  return (first == 'B' || first == 'H') && second == 'R';
}

}  // namespace

TCellTextKind ClassifyCellText(std::string_view text) {
  const std::string padded = WithBlank(text);
  const std::string_view s = padded;
  if (s.size() < 2) return TCellTextKind::kPlain;
  if (s.starts_with('=')) return TCellTextKind::kPlain;
  if (s.starts_with("|\\")) return s.size() >= 4 && s[3] == '=' ? TCellTextKind::kPlain : TCellTextKind::kWide;
  if (s.starts_with("{\\")) return TCellTextKind::kRich;
  if (s.find("</") != std::string_view::npos || s.find("<B") != std::string_view::npos ||
      s.find("<I") != std::string_view::npos) {
    return TCellTextKind::kMarkup;
  }
  return TCellTextKind::kPlain;
}

std::u16string DecodeWideText(std::string_view text) {
  const std::string padded = WithBlank(text);
  std::u16string units;
  for (std::size_t i = 2; i + 1 < padded.size(); i += 2) {
    const auto high = static_cast<unsigned char>(padded[i]);
    const auto low = static_cast<unsigned char>(padded[i + 1]);
    units.push_back(static_cast<char16_t>(high << 8 | low));
  }
  return units;
}

std::string RemoveMarkup(std::string_view text) {
  // "<" and ">" never occur as the second byte of a double-byte character, so bytes can be scanned.
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<' && IsLineTag(text, i)) {
      lines += "\r\n";
      i += 3;
    } else {
      lines.push_back(text[i]);
    }
  }
  std::string result;
  result.reserve(lines.size());
  std::size_t i = 0;
  while (i < lines.size()) {
    const std::size_t open = lines.find('<', i);
    if (open == std::string::npos) break;
    const std::size_t close = lines.find('>', open);
    if (close == std::string::npos) break;
    result.append(lines, i, open - i);
    i = close + 1;
  }
  result.append(lines, i, std::string::npos);
  return result;
}

}  // namespace metrazil
