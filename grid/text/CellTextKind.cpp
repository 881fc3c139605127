#include "grid/text/CellTextKind.h"

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
  static constexpr std::string_view kFlat[] = {
      "br",    "hr", "img", "input", "meta", "link", "col", "area", "base",   "wbr",   "param", "source", "track",
      "embed", "p",  "li",  "dt",    "dd",   "tr",   "td",  "th",   "option", "thead", "tbody", "tfoot"};
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
  // One pass over the "<"s: the text may be megabytes long and is classified on every paint.
  for (std::size_t at = text.find('<'); at != std::string_view::npos && at + 1 < text.size();
       at = text.find('<', at + 1)) {
    const char next = text[at + 1];
    if (next == '/' || next == 'B' || next == 'I') return TCellTextKind::kMarkup;
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

std::string RemoveMarkup(std::string_view text, std::size_t maxBytes) {
  // One pass doing what two would: line tags become CR LF first, so a tag's end is the next ">" that does
  // not end a line tag. "<" and ">" never occur as the second byte of a double-byte character, so bytes
  // can be scanned.
  const auto endsLineTag = [text](std::size_t at) { return at >= 3 && text[at - 3] == '<' && IsLineTag(text, at - 3); };
  std::string result;
  result.reserve(std::min(text.size(), maxBytes));
  std::size_t i = 0;
  bool inTags = true;  // until a "<" without a tag end: from there on, only line tags change
  while (i < text.size() && result.size() < maxBytes) {
    if (text[i] == '<' && IsLineTag(text, i)) {
      result += "\r\n";
      i += 4;
    } else if (text[i] != '<' || !inTags) {
      result.push_back(text[i++]);
    } else {
      std::size_t close = text.find('>', i);
      while (close != std::string_view::npos && endsLineTag(close)) close = text.find('>', close + 1);
      if (close == std::string_view::npos) {
        inTags = false;
      } else {
        i = close + 1;
      }
    }
  }
  if (result.size() > maxBytes) result.resize(maxBytes);
  return result;
}

std::size_t VisibleCharLimit(int width, int height, int lineHeight) {
  if (width <= 0 || height <= 0) return 0;
  const std::size_t lines = static_cast<std::size_t>(height) / static_cast<std::size_t>(std::max(lineHeight, 1)) + 1;
  return lines * (static_cast<std::size_t>(width) + 1);
}

std::size_t MarkupBytesShown(std::size_t visibleChars) {
  return visibleChars >= kMaxMarkupBytes / 8 ? kMaxMarkupBytes : visibleChars * 8;
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
