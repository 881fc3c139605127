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
// table order), kept as the table's own bytes one after the other; an item becomes a QString only when it
// is shown or asked for. A million names take their bytes plus 8 bytes each, in huge pages: the snapshot is
// written in one go right after the read, with an index of the items by their first two characters.
class TItemListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  // Replaces the list with the grid's names; yield runs now and then and may throw, which leaves the list
  // as it was.
  void Fill(const TTableGrid& grid, const std::function<void()>& yield);
  int Count() const { return static_cast<int>(starts_.size()) - 1; }
  std::string_view Bytes(int item) const;
  // Memory the snapshot holds, mapped or from the heap, for memory figures.
  std::size_t SnapshotBytes() const {
    return bytes_.capacity() + starts_.capacity() * sizeof(std::size_t) + byKey_.capacity() * sizeof(std::int32_t);
  }
  // The first item from the top that starts with prefix, compared as QString's case-insensitive
  // startsWith does; -1 when none does or the prefix is empty.
  int FindPrefix(const QString& prefix) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // Whole-text look-ups (the combo box's findText) go through the bytes; other kinds of match are Qt's.
  QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                        Qt::MatchFlags flags) const override;

 private:
  // Whether item's text starts with (or, whole, is) the characters of folded, given case-folded.
  static bool StartsWithFolded(std::string_view item, const std::vector<char32_t>& folded, bool whole);
  int FindFolded(const std::vector<char32_t>& folded, bool whole, int from) const;
  // The folded first two characters of item (0 for a missing second one), the order of the index.
  std::uint64_t KeyOf(int item) const;

  std::vector<char, THugePageAllocator<char>> bytes_;
  std::vector<std::size_t, THugePageAllocator<std::size_t>> starts_{0};  // item i is bytes_[starts_[i], starts_[i + 1])
  // The items sorted by their folded first two characters, then by position: the items a typed prefix can
  // match are one run of it, so a look-up compares a few names instead of all of them.
  std::vector<std::int32_t, THugePageAllocator<std::int32_t>> byKey_;
};

}  // namespace metrazil
