#include "ui/ItemListModel.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "base/CodePage.h"
#include "grid/view/CodePageText.h"

namespace metrazil {

namespace {

// The grid is walked in runs of rows with the yield between them, never inside a walk: what the yield lets
// through may change the grid.
constexpr int kRowsPerYield = 1 << 16;
constexpr int kMarkStride = 16;
// 2^64 over the golden ratio: multiplying by it spreads keys over the top bits.
constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15;
constexpr std::uint64_t kEmptySlot = ~std::uint64_t{0};

// The case-folded code point of every two-byte character, built once: comparing a million names must
// not decode a million strings.
class TTwoByteFolds {
 public:
  TTwoByteFolds() {
    // One decode per lead byte: each of its 190 trail bytes (0x7F is none) makes one character.
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      std::string pairs;
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        pairs += static_cast<char>(lead);
        pairs += static_cast<char>(trail);
      }
      const QList<uint> decoded = FromTableBytes(pairs).toUcs4();
      if (decoded.size() * 2 != static_cast<qsizetype>(pairs.size())) {
        FoldOneByOne(lead);
        continue;
      }
      auto next = decoded.begin();
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail != 0x7F) folds_[Index(lead, trail)] = QChar::toCaseFolded(static_cast<char32_t>(*next++));
      }
    }
  }
  // 0 where the pair is no single character.
  char32_t Fold(unsigned char lead, unsigned char trail) const { return folds_[Index(lead, trail)]; }

 private:
  static std::size_t Index(int lead, int trail) {
    return static_cast<std::size_t>(lead - 0x81) * 191 + static_cast<std::size_t>(trail - 0x40);
  }
  void FoldOneByOne(int lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const QList<uint> decoded = FromTableBytes(std::string_view(pair, 2)).toUcs4();
      folds_[Index(lead, trail)] = decoded.size() == 1 ? QChar::toCaseFolded(static_cast<char32_t>(decoded[0])) : 0;
    }
  }
  std::array<char32_t, 126 * 191> folds_{};
};

const TTwoByteFolds& TwoByteFolds() {
  static const auto folds = std::make_unique<TTwoByteFolds>();
  return *folds;
}

// The folded code point of one character's bytes, decoded.
char32_t DecodedFold(std::string_view character) {
  const QList<uint> decoded = FromTableBytes(character).toUcs4();
  return decoded.size() == 1 ? QChar::toCaseFolded(static_cast<char32_t>(decoded[0]))
                             : char32_t{QChar::ReplacementCharacter};
}

// The folded code point of the character at text[pos], and its length in bytes. A two-byte character is
// looked up; the others, and pairs that make no single character, are decoded.
inline char32_t FoldedCharAt(const TTwoByteFolds& folds, std::string_view text, std::size_t pos, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    length = 1;
    return lead >= 'A' && lead <= 'Z' ? lead + ('a' - 'A') : lead;
  }
  const auto trail = static_cast<unsigned char>(pos + 1 < text.size() ? text[pos + 1] : 0);
  if (lead != 0x80 && lead != 0xFF && trail >= 0x40 && trail != 0x7F && trail != 0xFF) {
    length = 2;
    if (const char32_t fold = folds.Fold(lead, trail); fold != 0) return fold;
  } else {
    length = CharLengthAt(text, pos);
  }
  return DecodedFold(text.substr(pos, length));
}

std::uint64_t KeyOf(char32_t first, char32_t second) { return (std::uint64_t{first} << 32) | second; }
char32_t FirstOf(std::uint64_t key) { return static_cast<char32_t>(key >> 32); }

// The folded first two characters of name, 0 for a missing one.
std::uint64_t KeyOfName(const TTwoByteFolds& folds, std::string_view name) {
  if (name.empty()) return 0;
  std::size_t firstLength = 1;
  const char32_t first = FoldedCharAt(folds, name, 0, firstLength);
  std::size_t secondLength = 1;
  return KeyOf(first, firstLength < name.size() ? FoldedCharAt(folds, name, firstLength, secondLength) : 0);
}

std::vector<char32_t> Folded(const QString& text) {
  std::vector<char32_t> folded;
  for (const uint codePoint : text.toUcs4()) folded.push_back(QChar::toCaseFolded(static_cast<char32_t>(codePoint)));
  return folded;
}

// The key of a folded text, as KeyOfName gives it for the names it can match.
std::uint64_t KeyOfFolded(const std::vector<char32_t>& folded) {
  return KeyOf(folded.empty() ? 0 : folded[0], folded.size() > 1 ? folded[1] : 0);
}

// Whether item's text starts with (or, whole, is) the characters of folded, given case-folded.
bool StartsWithFolded(std::string_view item, const std::vector<char32_t>& folded, bool whole) {
  const TTwoByteFolds& folds = TwoByteFolds();
  std::size_t pos = 0;
  for (const char32_t wanted : folded) {
    if (pos >= item.size()) return false;
    std::size_t length = 1;
    if (FoldedCharAt(folds, item, pos, length) != wanted) return false;
    pos += length;
  }
  return !whole || pos == item.size();
}

// Lengths before the names: 7 bits a byte, lowest first, the top bit set on all but the last byte.
std::size_t LengthSize(std::size_t length) {
  std::size_t size = 1;
  for (; length >= 0x80; length >>= 7) ++size;
  return size;
}

template <class Bytes>
void AppendLength(Bytes& bytes, std::size_t length) {
  for (; length >= 0x80; length >>= 7) bytes.push_back(static_cast<char>((length & 0x7F) | 0x80));
  bytes.push_back(static_cast<char>(length));
}

// The name at at, which then points past it.
std::string_view NextName(const char*& at) {
  std::size_t length = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*at++);
    length |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) break;
  }
  const std::string_view name(at, length);
  at += length;
  return name;
}

// Calls visit(name) for column 0 of rows 1 on, with the yield between runs of rows.
template <class Visit>
void ForEachGridName(const TTableGrid& grid, const std::function<void()>& yield, Visit&& visit) {
  for (int first = 1; first < grid.RowCount(); first += kRowsPerYield) {
    grid.ForEachTextInColumn(0, first, std::min(grid.RowCount(), first + kRowsPerYield),
                             [&](int, std::string_view name) { visit(name); });
    yield();
  }
}

// The names are copied in one walk into room foreseen from the first run of rows, with some to spare: room
// mapped past what is written is never touched, so it costs nothing, and a table whose later names are
// longer only makes the copy grow. The room is bounded, as the first names may be far longer than the rest.
std::size_t ForeseenSize(const TTableGrid& grid) {
  constexpr std::size_t kMostRoom = std::size_t{256} << 20;
  const int sampled = std::min(grid.RowCount() - 1, kRowsPerYield);
  if (sampled <= 0) return 0;
  std::size_t bytes = 0;
  grid.ForEachTextInColumn(0, 1, 1 + sampled,
                           [&](int, std::string_view name) { bytes += LengthSize(name.size()) + name.size(); });
  const double rows = static_cast<double>(grid.RowCount() - 1);
  const double room = static_cast<double>(bytes) / sampled * rows * 1.25;
  return std::max(bytes, static_cast<std::size_t>(std::min(room, static_cast<double>(kMostRoom))));
}

std::size_t BucketOf(std::uint64_t key, int bits) { return static_cast<std::size_t>((key * kGolden) >> (64 - bits)); }

// A bucket for about every 128 names, at most 65,536 of them: the sort then writes to few enough places at
// once to stay in the cache, and a look-up compares a hundred names or so, a few microseconds.
constexpr int kMaxBucketBits = 16;
static_assert((std::size_t{1} << kMaxBucketBits) - 1 <= std::numeric_limits<std::uint16_t>::max());
int BucketBitsFor(std::size_t names) {
  constexpr int kMinBits = 4;
  return std::clamp(static_cast<int>(std::bit_width(names / 128)), kMinBits, kMaxBucketBits);
}

// The open-addressed table of first items: slots of (character << 32 | item), kEmptySlot where free.
std::size_t SlotOf(char32_t first, const std::vector<std::uint64_t>& table) {
  return BucketOf(first, std::countr_zero(table.size()));
}

// Adds first's item unless first has one already.
void AddFirstItem(std::vector<std::uint64_t>& table, std::size_t& used, char32_t first, std::size_t item) {
  const std::size_t mask = table.size() - 1;
  for (std::size_t at = SlotOf(first, table);; at = (at + 1) & mask) {
    if (table[at] == kEmptySlot) break;
    if (FirstOf(table[at]) == first) return;
  }
  if ((used + 1) * 2 > table.size()) {
    std::vector<std::uint64_t> grown(table.size() * 2, kEmptySlot);
    for (const std::uint64_t slot : table) {
      if (slot == kEmptySlot) continue;
      std::size_t at = SlotOf(FirstOf(slot), grown);
      while (grown[at] != kEmptySlot) at = (at + 1) & (grown.size() - 1);
      grown[at] = slot;
    }
    table = std::move(grown);
  }
  std::size_t at = SlotOf(first, table);
  while (table[at] != kEmptySlot) at = (at + 1) & (table.size() - 1);
  table[at] = (std::uint64_t{first} << 32) | item;
  ++used;
}

}  // namespace

void TItemListModel::Fill(const TTableGrid& grid, const std::function<void()>& yield) {
  // At most a name a row; room reserved for names that are missing is never touched.
  const std::size_t rows = grid.RowCount() > 1 ? static_cast<std::size_t>(grid.RowCount() - 1) : 0;
  // The copy decodes each name's key while its bytes are at hand, notes and counts its bucket and notes
  // each first character's first item.
  const int bits = BucketBitsFor(rows);
  std::vector<std::int32_t> starts((std::size_t{1} << bits) + 1, 0);
  decltype(itemBuckets_) buckets;
  buckets.reserve(rows);
  std::vector<std::uint64_t> firstItems(256, kEmptySlot);
  std::size_t firstCount = 0;
  const TTwoByteFolds& folds = TwoByteFolds();
  decltype(names_) names;
  names.reserve(ForeseenSize(grid));
  decltype(marks_) marks;
  marks.reserve(rows / kMarkStride + 1);
  ForEachGridName(grid, yield, [&](std::string_view name) {
    const std::size_t item = buckets.size();
    if (item % kMarkStride == 0) marks.push_back(names.size());
    AppendLength(names, name.size());
    names.append(name);
    const std::uint64_t key = KeyOfName(folds, name);
    const auto bucket = static_cast<std::uint16_t>(BucketOf(key, bits));
    buckets.push_back(bucket);
    ++starts[bucket + 1];
    AddFirstItem(firstItems, firstCount, FirstOf(key), item);
  });
  for (std::size_t bucket = 1; bucket < starts.size(); ++bucket) starts[bucket] += starts[bucket - 1];

  beginResetModel();
  count_ = static_cast<int>(buckets.size());
  names_ = std::move(names);
  marks_ = std::move(marks);
  bucketStarts_ = std::move(starts);
  bucketBits_ = bits;
  itemBuckets_ = std::move(buckets);
  byKey_ = {};
  firstItems_ = std::move(firstItems);
  endResetModel();
}

void TItemListModel::SortIntoBuckets() const {
  if (itemBuckets_.empty()) return;
  // A counting sort: every item goes behind those before it in its bucket.
  std::vector<std::int32_t> next(bucketStarts_.begin(), bucketStarts_.end() - 1);
  decltype(byKey_) byKey(itemBuckets_.size());
  for (std::size_t item = 0; item < itemBuckets_.size(); ++item) {
    byKey[static_cast<std::size_t>(next[itemBuckets_[item]]++)] = static_cast<std::int32_t>(item);
  }
  byKey_ = std::move(byKey);
  itemBuckets_ = {};
}

std::size_t TItemListModel::SnapshotBytes() const {
  return names_.size() + marks_.size() * sizeof(std::size_t) + bucketStarts_.size() * sizeof(std::int32_t) +
         itemBuckets_.size() * sizeof(std::uint16_t) + byKey_.size() * sizeof(std::int32_t) +
         firstItems_.size() * sizeof(std::uint64_t);
}

std::string_view TItemListModel::Bytes(int item) const {
  const auto at = static_cast<std::size_t>(item);
  const char* name = names_.data() + marks_[at / kMarkStride];
  for (std::size_t skip = at % kMarkStride; skip > 0; --skip) NextName(name);
  return NextName(name);
}

int TItemListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant TItemListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole) {
    return FromTableBytes(Bytes(index.row()));
  }
  return {};
}

template <class Accept>
int TItemListModel::FindInBucket(std::uint64_t key, int from, Accept&& accept) const {
  if (Count() == 0) return -1;
  SortIntoBuckets();
  const std::size_t bucket = BucketOf(key, bucketBits_);
  const auto last = byKey_.begin() + bucketStarts_[bucket + 1];
  for (auto at = std::lower_bound(byKey_.begin() + bucketStarts_[bucket], last, from); at != last; ++at) {
    if (accept(Bytes(*at))) return *at;
  }
  return -1;
}

int TItemListModel::FirstItemStartingWith(char32_t first) const {
  if (Count() == 0) return -1;
  const std::size_t mask = firstItems_.size() - 1;
  for (std::size_t at = SlotOf(first, firstItems_); firstItems_[at] != kEmptySlot; at = (at + 1) & mask) {
    if (FirstOf(firstItems_[at]) == first) return static_cast<int>(firstItems_[at] & 0xFFFFFFFF);
  }
  return -1;
}

int TItemListModel::FindPrefix(const QString& prefix) const {
  const std::vector<char32_t> folded = Folded(prefix);
  if (folded.empty()) return -1;
  // Every item whose first character matches is a hit: the first from the top among them wins.
  if (folded.size() == 1) return FirstItemStartingWith(folded[0]);
  return FindInBucket(KeyOfFolded(folded), 0,
                      [&](std::string_view name) { return StartsWithFolded(name, folded, false); });
}

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
    // Equal bytes make equal keys, whatever the text's characters.
    const std::string bytes = ToTableBytes(text);
    found = FindInBucket(KeyOfName(TwoByteFolds(), bytes), start.row(),
                         [&](std::string_view name) { return name == bytes; });
  } else {
    const std::vector<char32_t> folded = Folded(text);
    if (!folded.empty()) {
      found = FindInBucket(KeyOfFolded(folded), start.row(),
                           [&](std::string_view name) { return StartsWithFolded(name, folded, true); });
    }
  }
  if (found < 0) return {};
  return {index(found, 0)};
}

}  // namespace metrazil
