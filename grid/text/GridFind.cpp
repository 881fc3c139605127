#include "grid/text/GridFind.h"

#include <algorithm>
#include <span>
#include <utility>

#include "base/CodePage.h"
#include "grid/text/CellTextKind.h"

namespace metrazil {

namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// The GB18030 character at pos as one number, a Latin letter upper-cased. Lengths never share numbers:
// one byte below 0x100, two bytes 0x1xxxx, four bytes from 0x81000000 on. Comparing whole characters
// keeps a trail byte that looks like a letter from being folded or matched on its own.
std::uint32_t CharAt(std::string_view text, std::size_t pos, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    length = 1;
    return static_cast<unsigned char>(UpperAscii(static_cast<char>(lead)));
  }
  length = CharLengthAt(text, pos);
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < length; ++i) value = value << 8 | static_cast<unsigned char>(text[pos + i]);
  return length == 2 ? value | 0x10000 : value;
}

// The prefix function of a pattern: for each length, the longest proper prefix that is also a suffix.
// Matching with it looks at each symbol of a text once, whatever the text holds.
template <typename Pattern>
std::vector<std::size_t> PrefixFunction(const Pattern& pattern) {
  std::vector<std::size_t> prefix(pattern.size(), 0);
  for (std::size_t i = 1, k = 0; i < pattern.size(); ++i) {
    while (k > 0 && pattern[i] != pattern[k]) k = prefix[k - 1];
    if (pattern[i] == pattern[k]) ++k;
    prefix[i] = k;
  }
  return prefix;
}

// Advances the match of pattern by one symbol; true when the whole pattern has matched.
template <typename Pattern, typename Symbol>
bool Step(const Pattern& pattern, const std::vector<std::size_t>& prefix, std::size_t& matched, Symbol symbol) {
  while (matched > 0 && pattern[matched] != symbol) matched = prefix[matched - 1];
  if (pattern[matched] == symbol) ++matched;
  return matched == pattern.size();
}

// The character an entity stands for, when it is one of the common ones and ASCII (a no-break space shows
// as a blank in the document's plain text); else 0.
char EntityChar(std::string_view name) {
  static constexpr std::pair<std::string_view, char> kNamed[] = {{"amp", '&'},  {"lt", '<'},    {"gt", '>'},
                                                                 {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
  for (const auto& [entity, c] : kNamed) {
    if (name == entity) return c;
  }
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  unsigned value = 0;
  for (const char digit : name.substr(hex ? 2 : 1)) {
    const bool decimal = digit >= '0' && digit <= '9';
    const bool hexLetter = hex && ((digit >= 'a' && digit <= 'f') || (digit >= 'A' && digit <= 'F'));
    if (!decimal && !hexLetter) return 0;
    value = value * (hex ? 16 : 10) + static_cast<unsigned>(decimal ? digit - '0' : (digit | 0x20) - 'a' + 10);
  }
  if (value == 0xA0) return ' ';
  return value > 0 && value < 0x80 ? static_cast<char>(value) : 0;
}

constexpr std::size_t kMaxEntityName = 8;

// Markup's text without a document: tags removed (RemoveMarkup), then the common entities decoded.
std::string MarkupTextBytes(std::string_view markup) {
  std::string text = RemoveMarkup(markup);
  std::size_t out = 0;
  for (std::size_t in = 0; in < text.size();) {
    // "&" and ";" never occur inside a GB18030 character. An entity name is short, so the ";" is looked
    // for only that far: a text of many "&" stays linear.
    const std::size_t semicolon =
        text[in] == '&' ? std::string_view(text).substr(in + 1, kMaxEntityName + 1).find(';') : std::string::npos;
    const char c = semicolon != std::string::npos ? EntityChar(std::string_view(text).substr(in + 1, semicolon)) : 0;
    if (c != 0) {
      text[out++] = c;
      in += semicolon + 2;
    } else {
      text[out++] = text[in++];
    }
  }
  text.resize(out);
  return text;
}

}  // namespace

TGridFind::TGridFind(const TTableGrid& grid, std::string_view text, TDecodeBytes decodeBytes, TMarkupText markupText,
                     std::int64_t cellsPerChunk)
    : grid_(grid),
      decodeBytes_(std::move(decodeBytes)),
      markupText_(std::move(markupText)),
      cellsPerChunk_(std::max<std::int64_t>(cellsPerChunk, 1)) {
  for (std::size_t pos = 0, length = 0; pos < text.size(); pos += length) chars_.push_back(CharAt(text, pos, length));
  charPrefix_ = PrefixFunction(chars_);
  if (!text.empty()) {
    firstByte_ = UpperAscii(text[0]);
    firstLower_ = firstByte_ >= 'A' && firstByte_ <= 'Z' ? static_cast<char>(firstByte_ - 'A' + 'a') : firstByte_;
    units_ = decodeBytes_(text);
    for (char16_t& unit : units_) unit = UpperAscii(unit);
  }
  unitPrefix_ = PrefixFunction(units_);
  Start(TCellAddress{0, grid.FixedRows()}, TFindDirection::kNext);
}

void TGridFind::Start(TCellAddress from, TFindDirection direction, bool withStartCell) {
  fixedRows_ = grid_.FixedRows();
  cols_ = grid_.ColCount();
  cellCount_ = static_cast<std::int64_t>(grid_.RowCount() - fixedRows_) * cols_;
  direction_ = direction;
  if (from.row < fixedRows_) {
    // Just before the first body cell, or just after the last one: the whole body without a wrap.
    start_ = direction == TFindDirection::kNext ? -1 : cellCount_;
  } else {
    const int row = std::min(from.row, grid_.RowCount() - 1);
    start_ = static_cast<std::int64_t>(row - fixedRows_) * cols_ + std::clamp(from.col, 0, cols_ - 1);
    // One cell back is the search that takes the start cell first; from the first (or last) cell that is
    // the whole body without a wrap.
    if (withStartCell) start_ += direction == TFindDirection::kNext ? -1 : 1;
  }
  searched_ = 0;
  result_ = TFindResult{};
  if (chars_.empty() || cellCount_ <= 0) result_ = TFindResult{TFindState::kNotFound, {}, false};
}

TCellAddress TGridFind::AddressOf(std::int64_t index) const {
  return TCellAddress{static_cast<int>(index % cols_), static_cast<int>(index / cols_) + fixedRows_};
}

TFindResult TGridFind::Run(TClock::time_point deadline) {
  const bool forward = direction_ == TFindDirection::kNext;
  while (result_.state == TFindState::kSearching) {
    // The next chunk, never across the table's end: the cells before the wrap, then those after it.
    std::int64_t from = 0;
    std::int64_t to = 0;
    bool wrapped = false;
    if (forward) {
      std::int64_t next = start_ + 1 + searched_;
      wrapped = next >= cellCount_;
      if (wrapped) next -= cellCount_;
      from = next;
      to = std::min({next + cellsPerChunk_, wrapped ? start_ + 1 : cellCount_});
    } else {
      std::int64_t next = start_ - 1 - searched_;
      wrapped = next < 0;
      if (wrapped) next += cellCount_;
      to = next + 1;
      from = std::max(next + 1 - cellsPerChunk_, wrapped ? start_ : std::int64_t{0});
    }
    const std::int64_t found = SearchChunk(from, to);
    if (found >= 0) {
      result_ = TFindResult{TFindState::kFound, AddressOf(found), wrapped};
      searched_ += forward ? found - from + 1 : to - found;
      break;
    }
    searched_ += to - from;
    result_.wrapped = wrapped;
    if (searched_ >= cellCount_) {
      result_ = TFindResult{TFindState::kNotFound, {}, wrapped};
    } else if (TClock::now() >= deadline) {
      break;
    }
  }
  return result_;
}

std::int64_t TGridFind::SearchChunk(std::int64_t from, std::int64_t to) const {
  const int firstRow = static_cast<int>(from / cols_) + fixedRows_;
  const int endRow = static_cast<int>((to - 1) / cols_) + fixedRows_ + 1;
  std::int64_t found = -1;
  // Row by row through the stored rows only, so empty rows and cells cost nothing, in the search's own
  // order: the first match met is the answer.
  const auto visitRow = [&](int row, std::span<const TCellStore::Cell> cells, bool forward) {
    const std::int64_t rowStart = static_cast<std::int64_t>(row - fixedRows_) * cols_;
    const auto visitCell = [&](const TCellStore::Cell& cell) {
      // Texts kept past the column count are not shown.
      const std::int64_t index = rowStart + cell.col;
      if (cell.col >= cols_ || index < from || index >= to) return true;
      const std::string_view text = cell.Text();
      if (!MayMatch(text) || !Matches(text)) return true;
      found = index;
      return false;
    };
    if (forward) return std::all_of(cells.begin(), cells.end(), visitCell);
    return std::all_of(cells.rbegin(), cells.rend(), visitCell);
  };
  if (direction_ == TFindDirection::kNext) {
    grid_.ForEachStoredRow(firstRow, endRow, [&](int row, auto cells) { return visitRow(row, cells, true); });
  } else {
    grid_.ForEachStoredRowBackward(firstRow, endRow, [&](int row, auto cells) { return visitRow(row, cells, false); });
  }
  return found;
}

bool TGridFind::Matches(std::string_view cellText) const {
  if (chars_.empty() || cellText.size() < units_.size()) return false;  // a shown unit takes a byte at least
  const TShownCellText shown = ShownCellText(cellText, kMaxEditedChars, decodeBytes_);
  switch (shown.kind) {
    case TCellTextKind::kPlain:
      return MatchesBytes(shown.bytes);
    case TCellTextKind::kWide:
    case TCellTextKind::kRich:
      return MatchesUnits(shown.units);
    case TCellTextKind::kMarkup:
      return markupText_ ? MatchesUnits(markupText_(shown.bytes)) : MatchesBytes(MarkupTextBytes(shown.bytes));
  }
  return false;
}

bool TGridFind::MayMatch(std::string_view cellText) const {
  // A cell shows other text than its bytes only when it opens as wide or rich text or holds a "<"; else
  // its bytes must hold the first byte of the search text, in either case. Most cells fail both tests in
  // one short pass, which is what keeps a search through a large table fast.
  if (cellText.size() >= 2 && cellText[1] == '\\' && (cellText[0] == '|' || cellText[0] == '{')) return true;
  for (const char c : cellText) {
    if (c == firstByte_ || c == firstLower_ || c == '<') return true;
  }
  return false;
}

bool TGridFind::MatchesBytes(std::string_view shown) const {
  if (shown.size() < chars_.size()) return false;
  std::size_t matched = 0;
  for (std::size_t pos = 0, length = 0; pos < shown.size(); pos += length) {
    if (Step(chars_, charPrefix_, matched, CharAt(shown, pos, length))) return true;
  }
  return false;
}

bool TGridFind::MatchesUnits(std::u16string_view shown) const {
  if (units_.empty()) return false;
  std::size_t matched = 0;
  for (char16_t unit : shown) {
    if (Step(units_, unitPrefix_, matched, UpperAscii(unit))) return true;
  }
  return false;
}

}  // namespace metrazil
