#include "ui/ItemListModel.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "base/CodePage.h"
#include "grid/view/CodePageText.h"

namespace metrazil {

namespace {

constexpr int kNamesPerYield = 1 << 16;

// The case-folded code point of every two-byte character, built once: comparing a million names must
// not decode a million strings.
class TTwoByteFolds {
 public:
  TTwoByteFolds() {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const QList<uint> decoded = FromTableBytes(std::string_view(pair, 2)).toUcs4();
        folds_[Index(lead, trail)] = decoded.size() == 1 ? QChar::toCaseFolded(static_cast<char32_t>(decoded[0])) : 0;
      }
    }
  }
  // 0 where the pair is no single character.
  char32_t Fold(unsigned char lead, unsigned char trail) const { return folds_[Index(lead, trail)]; }

 private:
  static std::size_t Index(int lead, int trail) {
    return static_cast<std::size_t>(lead - 0x81) * 191 + static_cast<std::size_t>(trail - 0x40);
  }
  std::array<char32_t, 126 * 191> folds_{};
};

const TTwoByteFolds& TwoByteFolds() {
  static const auto folds = std::make_unique<TTwoByteFolds>();
  return *folds;
}

// The folded code point of the character at text[pos], and its length in bytes.
char32_t FoldedCharAt(std::string_view text, std::size_t pos, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    length = 1;
    return lead >= 'A' && lead <= 'Z' ? lead + ('a' - 'A') : lead;
  }
  length = CharLengthAt(text, pos);
  if (length == 2) {
    const char32_t fold = TwoByteFolds().Fold(lead, static_cast<unsigned char>(text[pos + 1]));
    if (fold != 0) return fold;
  }
  const QList<uint> decoded = FromTableBytes(text.substr(pos, length)).toUcs4();
  return decoded.size() == 1 ? QChar::toCaseFolded(static_cast<char32_t>(decoded[0]))
                             : char32_t{QChar::ReplacementCharacter};
}

std::uint64_t KeyOf(char32_t first, char32_t second) { return (std::uint64_t{first} << 32) | second; }

std::uint64_t KeyOfName(std::string_view name) {
  char32_t folds[2] = {0, 0};
  std::size_t pos = 0;
  for (char32_t& fold : folds) {
    if (pos >= name.size()) break;
    std::size_t length = 1;
    fold = FoldedCharAt(name, pos, length);
    pos += length;
  }
  return KeyOf(folds[0], folds[1]);
}

std::vector<char32_t> Folded(const QString& text) {
  std::vector<char32_t> folded;
  for (const uint codePoint : text.toUcs4()) folded.push_back(QChar::toCaseFolded(static_cast<char32_t>(codePoint)));
  return folded;
}

}  // namespace

void TItemListModel::Fill(const TTableGrid& grid, const std::function<void()>& yield) {
  // Counted first, so the snapshot takes exactly its size.
  std::size_t names = 0;
  std::size_t totalBytes = 0;
  grid.ForEachTextInColumn(0, 1, grid.RowCount(), [&](int, std::string_view name) {
    totalBytes += name.size();
    if ((++names % kNamesPerYield) == 0) yield();
  });
  decltype(bytes_) bytes;
  bytes.reserve(totalBytes);
  decltype(starts_) starts;
  starts.reserve(names + 1);
  starts.push_back(0);
  grid.ForEachTextInColumn(0, 1, grid.RowCount(), [&](int, std::string_view name) {
    bytes.insert(bytes.end(), name.begin(), name.end());
    starts.push_back(bytes.size());
    if ((starts.size() % kNamesPerYield) == 0) yield();
  });
  // Sorted through packed (key, position) pairs: the names are decoded once, not once per comparison.
  std::vector<std::pair<std::uint64_t, std::int32_t>> keyed;
  keyed.reserve(names);
  for (std::size_t item = 0; item < names; ++item) {
    const std::string_view name(bytes.data() + starts[item], starts[item + 1] - starts[item]);
    keyed.emplace_back(KeyOfName(name), static_cast<std::int32_t>(item));
    if ((item % kNamesPerYield) == 0) yield();
  }
  std::sort(keyed.begin(), keyed.end());
  decltype(byKey_) byKey;
  byKey.reserve(names);
  for (const auto& [key, item] : keyed) byKey.push_back(item);
  keyed = {};
  beginResetModel();
  bytes_ = std::move(bytes);
  starts_ = std::move(starts);
  byKey_ = std::move(byKey);
  endResetModel();
}

std::string_view TItemListModel::Bytes(int item) const {
  const auto at = static_cast<std::size_t>(item);
  return {bytes_.data() + starts_[at], starts_[at + 1] - starts_[at]};
}

int TItemListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant TItemListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole) {
    return FromTableBytes(Bytes(index.row()));
  }
  return {};
}

bool TItemListModel::StartsWithFolded(std::string_view item, const std::vector<char32_t>& folded, bool whole) {
  std::size_t pos = 0;
  for (const char32_t wanted : folded) {
    if (pos >= item.size()) return false;
    std::size_t length = 1;
    if (FoldedCharAt(item, pos, length) != wanted) return false;
    pos += length;
  }
  return !whole || pos == item.size();
}

std::uint64_t TItemListModel::KeyOf(int item) const { return KeyOfName(Bytes(item)); }

int TItemListModel::FindFolded(const std::vector<char32_t>& folded, bool whole, int from) const {
  if (folded.empty() || byKey_.size() != static_cast<std::size_t>(Count())) return -1;
  const auto keyBefore = [this](std::int32_t item, std::uint64_t key) { return KeyOf(item) < key; };
  const auto keyAfter = [this](std::uint64_t key, std::int32_t item) { return key < KeyOf(item); };
  if (folded.size() == 1 && !whole) {
    // Every item whose first character matches is a hit: the first from the top among them wins.
    const auto first = std::lower_bound(byKey_.begin(), byKey_.end(), metrazil::KeyOf(folded[0], 0), keyBefore);
    const auto last = std::upper_bound(first, byKey_.end(), metrazil::KeyOf(folded[0], 0xFFFFFFFF), keyAfter);
    int found = -1;
    for (auto at = first; at != last; ++at) {
      if (*at >= from && (found < 0 || *at < found)) found = *at;
    }
    return found;
  }
  // Only the items with the same first two characters can match, in their order in the list.
  const std::uint64_t key = metrazil::KeyOf(folded[0], folded.size() > 1 ? folded[1] : 0);
  const auto first = std::lower_bound(byKey_.begin(), byKey_.end(), key, keyBefore);
  const auto last = std::upper_bound(first, byKey_.end(), key, keyAfter);
  for (auto at = std::lower_bound(first, last, from); at != last; ++at) {
    if (StartsWithFolded(Bytes(*at), folded, whole)) return *at;
  }
  return -1;
}

int TItemListModel::FindPrefix(const QString& prefix) const { return FindFolded(Folded(prefix), false, 0); }

QModelIndexList TItemListModel::match(const QModelIndex& start, int role, const QVariant& value, int hits,
                                      Qt::MatchFlags flags) const {
  const Qt::MatchFlags kind = flags & (Qt::MatchTypeMask | Qt::MatchCaseSensitive | Qt::MatchWrap | Qt::MatchRecursive);
  const bool exact = kind == Qt::MatchFixedString || kind == (Qt::MatchFixedString | Qt::MatchCaseSensitive) ||
                     kind == Qt::MatchExactly || kind == (Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (!exact || hits != 1 || (role != Qt::DisplayRole && role != Qt::EditRole) || start.parent().isValid()) {
    return QAbstractListModel::match(start, role, value, hits, flags);
  }
  const QString text = value.toString();
  int found = -1;
  if ((flags & Qt::MatchCaseSensitive) != 0 || (flags & Qt::MatchTypeMask) == Qt::MatchExactly) {
    const std::string bytes = ToTableBytes(text);
    for (int item = start.row(); item < Count() && found < 0; ++item) {
      if (Bytes(item) == bytes) found = item;
    }
  } else {
    found = FindFolded(Folded(text), true, start.row());
  }
  if (found < 0) return {};
  return {index(found, 0)};
}

}  // namespace metrazil
