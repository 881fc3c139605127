#include "grid/CellTextKind.h"

#include <algorithm>
#include <vector>

namespace metrazil {

namespace {

bool IsLineTag(std::string_view text, std::size_t at) {
  if (at + 4 > text.size() || text[at + 3] != '>') return false;
  const char first = static_cast<char>(text[at + 1] & ~0x20);
  const char second = static_cast<char>(text[at + 2] & ~0x20);
  return (first == 'B' || first == 'H') && second == 'R';
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Elements that never enclose content, or that the parser closes when the next of their kind opens.
bool IsFlatElement(std::string_view lowerName) {
  static constexpr std::string_view kFlat[] = {"br",  "hr",    "img",  "input", "meta", "link",   "col",
                                               "area", "base", "wbr",  "param", "source", "track", "embed",
                                               "p",   "li",    "dt",   "dd",    "tr",   "td",     "th",
                                               "option", "thead", "tbody", "tfoot"};
  for (std::string_view flat : kFlat) {
    if (lowerName == flat) return true;
  }
  return false;
}

}  // namespace

// The text is tested as if a blank were appended, which can only matter for its length and fourth byte.
TCellTextKind ClassifyCellText(std::string_view text) {
  if (text.empty()) return TCellTextKind::kPlain;
  if (text.starts_with('=')) return TCellTextKind::kPlain;
  if (text.starts_with("|\\")) return text.size() >= 4 && text[3] == '=' ? TCellTextKind::kPlain : TCellTextKind::kWide;
  if (text.starts_with("{\\")) return TCellTextKind::kRich;
  if (text.find("</") != std::string_view::npos || text.find("<B") != std::string_view::npos ||
      text.find("<I") != std::string_view::npos) {
    return TCellTextKind::kMarkup;
  }
  return TCellTextKind::kPlain;
}

std::u16string DecodeWideText(std::string_view text, std::size_t maxUnits) {
  std::u16string units;
  // The appended blank completes an odd last byte; past it the pair is incomplete and dropped.
  const std::size_t padded = text.size() + 1;
  for (std::size_t i = 2; i + 1 < padded && units.size() < maxUnits; i += 2) {
    const auto high = static_cast<unsigned char>(text[i]);
    const auto low = static_cast<unsigned char>(i + 1 < text.size() ? text[i + 1] : ' ');
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

namespace metrazil {

std::size_t VisibleCharLimit(int width, int height, int lineHeight) {
  if (width <= 0 || height <= 0) return 0;
  const std::size_t lines = static_cast<std::size_t>(height) / static_cast<std::size_t>(std::max(lineHeight, 1)) + 1;
  return lines * (static_cast<std::size_t>(width) + 1);
}

std::size_t MarkupBytesShown(std::size_t visibleChars) {
  return visibleChars >= kMaxMarkupBytes / 32 ? kMaxMarkupBytes : visibleChars * 32;
}

bool MarkupNestsShallowly(std::string_view markup) {
  std::vector<bool> open;  // the counted elements open now: whether each is a table
  int tables = 0;
  std::string name;
  std::size_t close = 0;
  for (std::size_t i = markup.find('<'); i != std::string_view::npos; i = markup.find('<', i + 1)) {
    const bool closing = i + 1 < markup.size() && markup[i + 1] == '/';
    std::size_t end = i + (closing ? 2 : 1);
    if (end >= markup.size() || !IsAsciiLetter(markup[end])) continue;
    name.clear();
    for (; end < markup.size() && (IsAsciiLetter(markup[end]) || (markup[end] >= '0' && markup[end] <= '9')); ++end) {
      name.push_back(static_cast<char>(markup[end] | 0x20));
    }
    if (IsFlatElement(name)) continue;
    if (closing) {
      if (!open.empty()) {
        tables -= open.back() ? 1 : 0;
        open.pop_back();
      }
      continue;
    }
    // The next ">" is searched for again only once passed: a text of many "<" and no ">" stays linear.
    if (close != std::string_view::npos && close < end) close = markup.find('>', end);
    if (close != std::string_view::npos && close > end && markup[close - 1] == '/') continue;  // "<x/>"
    open.push_back(name == "table");
    tables += open.back() ? 1 : 0;
    if (open.size() > static_cast<std::size_t>(kMaxMarkupDepth) || tables > kMaxMarkupTableDepth) return false;
  }
  return true;
}

}  // namespace metrazil
