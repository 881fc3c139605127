#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "grid/model/CellStore.h"

namespace metrazil {
namespace {

using Reference = std::map<std::pair<int, int>, std::string>;  // (row, col) -> text

void ExpectSame(const TCellStore& store, const Reference& reference) {
  ASSERT_EQ(store.CellCount(), reference.size());
  for (const auto& [key, text] : reference) {
    ASSERT_EQ(store.Get(key.second, key.first), text) << "row " << key.first << " col " << key.second;
  }
  Reference seen;
  store.ForEachRow(0, INT32_MAX, [&](int row, std::span<const TCellStore::Cell> cells) {
    for (const auto& cell : cells) seen[{row, cell.col}] = std::string(cell.Text());
    return true;
  });
  ASSERT_EQ(seen, reference);
  // Backwards, over the whole store and over ranges that cut blocks, the same rows in the opposite order.
  const int lastRow = reference.empty() ? 0 : reference.rbegin()->first.first;
  for (const auto& [first, last] :
       {std::pair{0, INT32_MAX}, {lastRow / 3, lastRow / 3 * 2 + 1}, {lastRow, lastRow + 1}}) {
    std::vector<int> forward;
    store.ForEachRow(first, last, [&](int row, std::span<const TCellStore::Cell>) {
      forward.push_back(row);
      return true;
    });
    std::vector<int> backward;
    Reference seenBackward;
    store.ForEachRowBackward(first, last, [&](int row, std::span<const TCellStore::Cell> cells) {
      backward.push_back(row);
      for (const auto& cell : cells) seenBackward[{row, cell.col}] = std::string(cell.Text());
      return true;
    });
    ASSERT_EQ(std::vector<int>(forward.rbegin(), forward.rend()), backward) << first << ".." << last;
    if (first == 0) {
      ASSERT_EQ(seenBackward, reference);
    }
  }
}

// The row moves of the store, done on a plain map.
Reference Rotated(const Reference& reference, int row, int last) {
  Reference moved;
  for (const auto& [key, text] : reference) {
    int r = key.first;
    if (r == row) {
      r = last;
    } else if (r > row && r <= last) {
      --r;
    }
    moved[{r, key.second}] = text;
  }
  return moved;
}

Reference Inserted(const Reference& reference, int first, int oldEnd, int count, int colLimit) {
  Reference moved;
  for (const auto& [key, text] : reference) {
    const auto [r, c] = key;
    if (c >= colLimit) {
      moved[key] = text;
    } else if (r >= first && r < oldEnd) {
      moved[{r + count, c}] = text;
    } else if (r < oldEnd || r >= oldEnd + count) {
      moved[key] = text;
    }
  }
  return moved;
}

// Random writes, batches of writes and row moves against a plain map, across block splits, arena compactions
// and inline and out-of-line texts.
TEST(CellStoreTest, MatchesPlainMapUnderRandomOperations) {
  std::mt19937 random(12345);
  TCellStore store;
  Reference reference;
  const auto text = [&](unsigned n) { return std::string(n % 23, static_cast<char>('a' + n % 26)); };
  for (int step = 0; step < 12000; ++step) {
    const int op = static_cast<int>(random() % 21);
    const int row = static_cast<int>(random() % 1500);
    const int col = static_cast<int>(random() % 8);
    if (op < 16) {
      const std::string t = text(static_cast<unsigned>(random()));
      store.Set(col, row, t);
      if (t.empty()) {
        reference.erase({row, col});
      } else {
        reference[{row, col}] = t;
      }
    } else if (op < 18) {
      const int last = row + static_cast<int>(random() % 200);
      store.RotateRowToEnd(row, last);
      reference = Rotated(reference, row, last);
    } else if (op == 20) {
      // A block command's batch: a rectangle up to past a block's rows, some of it left out by the filter.
      const int rows = 1 + static_cast<int>(random() % (random() % 8 == 0 ? 1200 : 100));
      const int lastCol = col + static_cast<int>(random() % 3);
      const unsigned leaveOut = random() % 4;
      std::vector<std::string> texts;
      for (int r = row; r < row + rows; ++r) {
        for (int c = col; c <= lastCol; ++c) texts.push_back(text(static_cast<unsigned>(random())));
      }
      std::vector<TCellStore::Write> writes;
      for (int r = row, i = 0; r < row + rows; ++r) {
        for (int c = col; c <= lastCol; ++c, ++i)
          writes.push_back(TCellStore::Write{c, r, texts[static_cast<std::size_t>(i)]});
      }
      store.SetSorted(writes, [&](std::size_t i, std::string_view before) {
        const auto stored = reference.find({writes[i].row, writes[i].col});
        EXPECT_EQ(before, stored == reference.end() ? std::string() : stored->second);
        return leaveOut == 0 || i % leaveOut != 0;
      });
      for (std::size_t i = 0; i < writes.size(); ++i) {
        if (leaveOut != 0 && i % leaveOut == 0) continue;
        if (writes[i].text.empty()) {
          reference.erase({writes[i].row, writes[i].col});
        } else {
          reference[{writes[i].row, writes[i].col}] = std::string(writes[i].text);
        }
      }
    } else {
      const int oldEnd = row + static_cast<int>(random() % 300);
      const int count = 1 + static_cast<int>(random() % 3);
      const int colLimit = 1 + static_cast<int>(random() % 8);
      store.InsertRows(row, oldEnd, count, colLimit);
      reference = Inserted(reference, row, oldEnd, count, colLimit);
    }
    if (step % 3000 == 0) ExpectSame(store, reference);
  }
  ExpectSame(store, reference);
}

TEST(CellStoreTest, OverwritesGiveTheirBytesBack) {
  TCellStore store;
  for (int i = 0; i < 200000; ++i) {
    store.Set(i % 7, i % 3, std::string(20 + i % 5, static_cast<char>('a' + i % 7)));
  }
  for (int i = 200000 - 21; i < 200000; ++i) {
    EXPECT_EQ(store.Get(i % 7, i % 3), std::string(20 + i % 5, static_cast<char>('a' + i % 7)));
  }
  EXPECT_EQ(store.CellCount(), 21u);
}

TEST(CellStoreTest, AppendFastPathAndReadsDoNotInsert) {
  TCellStore store;
  for (int row = 0; row < 2000; ++row) {
    for (int col = 0; col < 3; ++col) store.Append(col, row, "cell text " + std::to_string(row), 3);
  }
  store.Append(1, 5, "back", 3);  // out of order goes the general way
  EXPECT_EQ(store.Get(1, 5), "back");
  EXPECT_EQ(store.Get(2, 1999), "cell text 1999");
  EXPECT_EQ(store.Get(7, 100000), "");
  std::size_t rows = 0;
  store.ForEachRow(0, 200000, [&rows](int, std::span<const TCellStore::Cell>) { return ++rows > 0; });
  EXPECT_EQ(rows, 2000u);
  EXPECT_EQ(store.CellCount(), 6000u);
}

// A long read puts its blocks and text chunks into the pool's regions; edits that outgrow them, row moves,
// compaction and move assignments must keep every text and give every region back.
TEST(CellStoreTest, PooledStoreOfALongReadSurvivesEditsAndGivesItsRegionsBack) {
  TCellStore store;
  Reference reference;
  const auto text = [](int row, int col) { return "pooled text " + std::to_string(row * 7 + col); };
  for (int row = 0; row < 40000; ++row) {
    for (int col = 0; col < 4; ++col) {
      store.Append(col, row, text(row, col), 4);
      reference[{row, col}] = text(row, col);
    }
  }
  EXPECT_GT(store.PooledBytes(), 0u);
  std::mt19937 random(99);
  for (int step = 0; step < 2000; ++step) {
    const int row = static_cast<int>(random() % 45000);
    const int col = static_cast<int>(random() % 6);
    if (step % 500 == 499) {
      store.RotateRowToEnd(row, row + 1000);
      reference = Rotated(reference, row, row + 1000);
    } else if (step % 500 == 250) {
      store.InsertRows(row, 40000, 2, 6);
      reference = Inserted(reference, row, 40000, 2, 6);
    } else {
      // Longer texts than before: blocks grow out of their pooled room and old chunks turn dead.
      const std::string t = step % 7 == 0 ? std::string() : std::string(40, static_cast<char>('a' + step % 26));
      store.Set(col, row, t);
      if (t.empty()) {
        reference.erase({row, col});
      } else {
        reference[{row, col}] = t;
      }
    }
  }
  ExpectSame(store, reference);
  for (int row = 0; row < 40000; ++row) {
    for (int col = 0; col < 3; ++col) {
      store.Set(col, row, "");  // more dead bytes than live ones: a compaction
      reference.erase({row, col});
    }
  }
  ExpectSame(store, reference);

  TCellStore other;
  for (int row = 0; row < 40000; ++row) other.Append(0, row, text(row, 0), 1);
  other = std::move(store);
  ExpectSame(other, reference);
  other = TCellStore();
  EXPECT_EQ(other.PooledBytes(), 0u);
  EXPECT_EQ(other.CellCount(), 0u);
}

TEST(CellStoreTest, WideRowsSplitBlocksByCells) {
  TCellStore store;
  Reference reference;
  for (int row = 0; row < 60; ++row) {
    for (int col = 0; col < 1000; col += 2) {
      const std::string text = std::to_string(row * 1000 + col);
      store.Append(col, row, text, 500);
      reference[{row, col}] = text;
    }
  }
  for (int i = 0; i < 3000; ++i) {
    const int row = (i * 7) % 60;
    const int col = (i * 13) % 1000;
    std::string text;
    if (i % 5 != 0) text.append("w").append(std::to_string(i));
    store.Set(col, row, text);
    if (text.empty()) {
      reference.erase({row, col});
    } else {
      reference[{row, col}] = text;
    }
  }
  store.RotateRowToEnd(3, 70);
  store.InsertRows(1, 60, 2, 500);
  const Reference moved = Inserted(Rotated(reference, 3, 70), 1, 60, 2, 500);
  ExpectSame(store, moved);
}

}  // namespace
}  // namespace metrazil
