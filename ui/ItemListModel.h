#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/HugePages.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// The item list of the calculation page: a snapshot of the non-empty names of column 0 (rows 1 on, in
// table order), kept as the table's own bytes one after the other, each after its length; an item becomes
// a QString only when it is shown or asked for, and an index of the items by their first two characters.
// The snapshot is written in one walk of the grid right after the read, in huge pages: a million names take
// their bytes plus about 4 bytes each, and 2 more once the index is first used.
class TItemListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  // Replaces the list with the grid's names; yield runs now and then and may throw, which leaves the list
  // as it was.
  void Fill(const TTableGrid& grid, const std::function<void()>& yield);
  int Count() const { return count_; }
  std::string_view Bytes(int item) const;
  // Memory the snapshot fills, mapped or from the heap, for memory figures (room reserved and never
  // touched is left out).
  std::size_t SnapshotBytes() const;
  // The first item from the top that starts with prefix, compared as QString's case-insensitive
  // startsWith does; -1 when none does or the prefix is empty.
  int FindPrefix(const QString& prefix) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // Whole-text look-ups (the combo box's findText) go through the bytes; other kinds of match are Qt's.
  QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                        Qt::MatchFlags flags) const override;

 private:
  // Sorts the items into their buckets, once.
  void SortIntoBuckets() const;
  // The first item at or after from, in list order, among those sharing key's bucket for which accept(bytes)
  // holds; -1 when there is none.
  template <class Accept>
  int FindInBucket(std::uint64_t key, int from, Accept&& accept) const;
  // The first item whose first character folds to first; -1 when none does.
  int FirstItemStartingWith(char32_t first) const;

  int count_ = 0;
  // Each item's length, 7 bits a byte from the lowest with the top bit set on all but the last, then its
  // bytes (in a string, whose copies go by the character traits whatever the allocator); an item is found
  // from the offset of every 16th.
  std::basic_string<char, std::char_traits<char>, THugePageAllocator<char>> names_;
  std::vector<std::size_t> marks_;
  // The index: the items by a hash of their folded first two characters (0 for a missing second), each
  // bucket in list order, so a prefix's candidates are a hundred names or so instead of all of them; items
  // of other keys may share a bucket. Bucket b holds byKey_[bucketStarts_[b], bucketStarts_[b + 1]). The
  // fill counts the buckets and notes each item's; a counting sort puts the items in place on the first
  // look-up that needs them, as the first letter typed needs only the first items below.
  std::vector<std::int32_t> bucketStarts_;
  int bucketBits_ = 0;
  mutable std::vector<std::uint16_t, THugePageAllocator<std::uint16_t>> itemBuckets_;
  mutable std::vector<std::int32_t, THugePageAllocator<std::int32_t>> byKey_;
  // The first item of each folded first character, as (character << 32 | item) in an open-addressed table
  // of a power-of-two size; a one-character prefix needs no more.
  std::vector<std::uint64_t> firstItems_;
};

}  // namespace metrazil
