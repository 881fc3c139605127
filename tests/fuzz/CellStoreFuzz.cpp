// Drives the cell store with a sequence of operations decoded from the input and compares it with a plain
// map after every step: the cell a step wrote, and the whole store unless it is large and the step touched
// one cell. A long text costs three input bytes (a size class, an offset from it and a fill byte) and a run
// of rows a few more, so texts across the arena's chunk sizes and its own-allocation threshold, block
// splits and the pooled blocks of a long read are all reached by short inputs.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "grid/model/CellStore.h"
#include "grid/model/TableGrid.h"

namespace {

using metrazil::TCellStore;
// (row, col) -> text; row first, so the map iterates in the store's order.
using Model = std::map<std::pair<int, int>, std::string>;

// Bounds that keep one input to a fraction of a second and the process well inside its memory limit.
constexpr std::size_t kMaxLiveBytes = std::size_t{48} << 20;
constexpr std::size_t kMaxCells = 100000;
constexpr std::size_t kMaxWork = std::size_t{1} << 20;  // cells written or compared, plus text bytes / 256
// Up to this many cells every step compares the whole store; above it, structural steps still do.
constexpr std::size_t kFullCheckCells = 2048;
// Texts longer than this are compared in samples between steps and in full at the end.
constexpr std::size_t kSampledTextSize = 4096;

// Lengths at which the store keeps a text differently: inline up to 8 bytes, arena chunks that grow from
// 16 KB to 2 MB, an allocation of its own above 512 KB. Each is reached with an offset of -128..127.
constexpr std::size_t kSizeClasses[] = {8, 4096, 16384, 32768, 65536, 131072, 262144, 524288, 1048576, 2097152};
constexpr std::size_t kMaxRawSize = (std::size_t{2} << 20) + 4096;

enum Op : unsigned {
  kSet,
  kAppend,
  kRewrite,  // an existing cell gets a new text
  kErase,    // an existing cell gets the empty text
  kAppendRun,
  kSetRun,
  kInsertRows,
  kRotateRow,
  kRemoveRows,  // rotations as the grid removes rows
  kClear,
  kMove,
  kQuery,
  kOpCount,
};

[[noreturn]] void Fail(const char* what, long long row, long long col) {
  std::fprintf(stderr, "cell store differs from the model: %s (row %lld, column %lld)\n", what, row, col);
  std::abort();
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  unsigned U16() {
    const unsigned low = Byte();
    return low | unsigned{Byte()} << 8;
  }
  unsigned U24() {
    const unsigned low = U16();
    return low | unsigned{Byte()} << 16;
  }
  std::string_view Bytes(std::size_t n) {
    n = std::min(n, size_ - std::min(pos_, size_));
    const std::string_view bytes(reinterpret_cast<const char*>(data_) + pos_, n);
    pos_ += n;
    return bytes;
  }
  // A row or column: one byte for the small dense indexes most steps want, three for a wider range, and
  // the block sizes and int limits where index arithmetic goes wrong first.
  int Index() {
    static constexpr int kSpecial[16] = {255,
                                         256,
                                         511,
                                         512,
                                         513,
                                         1023,
                                         1024,
                                         16384,
                                         32767,
                                         32768,
                                         65536,
                                         1 << 20,
                                         metrazil::TTableGrid::kMaxCount - 1,
                                         metrazil::TTableGrid::kMaxCount,
                                         INT_MAX - 1,
                                         INT_MAX};
    const std::uint8_t b = Byte();
    if (b < 0xE0) return b;
    if (b < 0xF0) return 0xE0 + static_cast<int>(U16());
    return kSpecial[b - 0xF0];
  }
  // The rows of a run: mostly a few, or the counts around a block (512 rows, split in halves) and the
  // 64 full blocks after which a read in order takes its blocks from the pool.
  std::size_t RunRows() {
    static constexpr std::size_t kSpecial[16] = {255,  256,  257,   511,   512,   513,   1023,  1024,
                                                 1025, 4096, 16384, 16385, 32767, 32768, 32769, 40000};
    const std::uint8_t b = Byte();
    return b < 0xF0 ? b + 1u : kSpecial[b - 0xF0];
  }
  // The columns of a run: mostly a few, or enough for a block to fill by cells (16384) before rows.
  std::size_t RunCols() {
    static constexpr std::size_t kSpecial[8] = {8, 16, 31, 32, 33, 64, 128, 256};
    const std::uint8_t b = Byte();
    return b < 0xF8 ? 1u + b % 4 : kSpecial[b - 0xF8];
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A text whose bytes differ along it (a period of 251, a multiple of no block or chunk size) and from one
// write to the next, so a text read from a wrong place or a stale one shows. Built by doubling, so a long
// one costs little more than its copies.
std::string Pattern(std::size_t size, std::uint8_t fill, unsigned serial) {
  std::string text;
  text.reserve(size);
  for (std::size_t i = 0; i < std::min<std::size_t>(size, 251); ++i) {
    text.push_back(static_cast<char>(fill + i * 7 + serial * 29));
  }
  while (text.size() < size) text.append(text, 0, std::min(text.size(), size - text.size()));
  return text;
}

bool SameText(std::string_view stored, std::string_view expected, bool whole) {
  if (stored.size() != expected.size()) return false;
  if (whole || stored.size() <= kSampledTextSize) return stored == expected;
  const std::size_t n = stored.size();
  if (stored.substr(0, 64) != expected.substr(0, 64) || stored.substr(n - 64) != expected.substr(n - 64)) {
    return false;
  }
  for (std::size_t i = 0; i < n; i += 4093) {
    if (stored[i] != expected[i]) return false;
  }
  return true;
}

class Harness {
 public:
  void Run(Input& in) {
    while (!in.Empty() && work_ < kMaxWork) {
      const bool structural = Step(in);
      ++step_;
      if (structural || model_.size() <= kFullCheckCells || step_ % 16 == 0) {
        CheckAll(false);
      } else if (store_.CellCount() != model_.size()) {
        Fail("cell count", -1, -1);
      }
    }
    CheckAll(true);
  }

 private:
  // Returns whether the step moved or wrote many rows at once.
  bool Step(Input& in) {
    const std::uint8_t code = in.Byte();
    const unsigned variant = code / kOpCount;
    switch (static_cast<Op>(code % kOpCount)) {
      case kSet: {
        const int col = in.Index();
        const int row = in.Index();
        Write(col, row, Text(in, col, row), false, 0);
        return false;
      }
      case kAppend: {
        const int col = in.Index();
        const int row = in.Index();
        Write(col, row, Text(in, col, row), true, variant);
        return false;
      }
      case kRewrite:
      case kErase: {
        if (model_.empty()) return false;
        const auto it = std::next(model_.begin(), static_cast<std::ptrdiff_t>(in.U16() % model_.size()));
        work_ += model_.size() / 16;
        const auto [row, col] = it->first;
        Write(col, row, code % kOpCount == kErase ? std::string() : Text(in, col, row), false, 0);
        return false;
      }
      case kAppendRun:
      case kSetRun:
        Run(in, code % kOpCount == kAppendRun, variant);
        return true;
      case kInsertRows: {
        const int first = in.Index();
        const int span = in.Index();
        const int countIndex = in.Index();
        const int colLimit = in.Index();
        // Either a range from first on, or an end of its own that may lie before first (no move then).
        long long oldEnd = (variant & 1) != 0 ? span : static_cast<long long>(first) + span;
        oldEnd = std::min<long long>(oldEnd, INT_MAX);
        // The grid keeps every moved row inside int; so does this.
        const int count = static_cast<int>(std::min<long long>(countIndex, INT_MAX - oldEnd));
        store_.InsertRows(first, static_cast<int>(oldEnd), count, colLimit);
        ModelInsertRows(first, static_cast<int>(oldEnd), count, colLimit);
        return true;
      }
      case kRotateRow: {
        const int row = in.Index();
        const int span = in.Index();
        const long long last = (variant & 1) != 0 ? span : static_cast<long long>(row) + span;
        Rotate(row, static_cast<int>(std::min<long long>(last, INT_MAX)));
        return true;
      }
      case kRemoveRows: {
        // As the grid removes `count` rows at `row` from a table whose last row is `last`.
        const int row = in.Index();
        const long long last = std::min<long long>(static_cast<long long>(row) + in.Index(), INT_MAX);
        const long long count = std::min<long long>(1 + in.Byte() % 16, last - row + 1);
        for (long long i = 0; i < count; ++i) Rotate(row, static_cast<int>(last - i));
        return true;
      }
      case kClear:
        store_ = TCellStore();
        model_.clear();
        liveBytes_ = 0;
        return true;
      case kMove:
        if (variant % 3 == 0) {
          TCellStore moved(std::move(store_));
          store_ = std::move(moved);
        } else if (variant % 3 == 1) {
          // Everything the old store took from its pool goes back before the pool itself.
          store_ = TCellStore();
          model_.clear();
          liveBytes_ = 0;
        } else {
          TCellStore other;
          other.Set(1, 1, "a text the assignment frees");
          other = std::move(store_);
          store_ = std::move(other);
        }
        return true;
      case kQuery:
        Query(in);
        return false;
      case kOpCount:
        break;
    }
    return false;
  }

  std::string Text(Input& in, int col, int row) {
    const unsigned serial = ++serial_;
    const std::uint8_t kind = in.Byte();
    if (kind < 0x20) return std::string(in.Bytes(kind));
    std::size_t size = 0;
    if (kind < 0x80) {
      size = kind - 0x20u;
    } else if (const unsigned c = (kind - 0x80u) % 11; c < std::size(kSizeClasses)) {
      const long long offset = static_cast<std::int8_t>(in.Byte());
      size = static_cast<std::size_t>(std::max<long long>(0, static_cast<long long>(kSizeClasses[c]) + offset));
    } else {
      size = in.U24() % (kMaxRawSize + 1);
    }
    // The budget counts the text this one replaces as freed.
    const auto old = model_.find({row, col});
    const std::size_t used = liveBytes_ - (old == model_.end() ? 0 : old->second.size());
    size = std::min(size, kMaxLiveBytes - std::min(kMaxLiveBytes, used));
    work_ += size / 256;
    return Pattern(size, in.Byte(), serial);
  }

  void Write(int col, int row, std::string text, bool append, std::size_t hint) {
    if (append) {
      store_.Append(col, row, text, hint);
    } else {
      store_.Set(col, row, text);
    }
    ModelSet(col, row, std::move(text));
    CheckCell(col, row, true);
  }

  // Writes a rectangle of rows and columns in row order through Append, as a file is read, or through Set
  // in either order.
  void Run(Input& in, bool append, unsigned variant) {
    const int firstRow = in.Index();
    std::size_t rows = in.RunRows();
    const int rowStep = 1 + in.Byte() % 4;
    const std::size_t cols = in.RunCols();
    const int colStep = 1 + static_cast<int>(variant % 3);
    const std::uint8_t sizeByte = in.Byte();
    const std::uint8_t fill = in.Byte();
    const bool descending = !append && (variant & 4) != 0;
    const bool varySize = (variant & 8) != 0;
    rows = std::min(rows, (kMaxCells - std::min(kMaxCells, model_.size())) / cols);
    // A cell set inside a block moves the block's later cells.
    if (!append) rows = std::min<std::size_t>(rows, descending ? 2048 / cols : 16384);
    rows = std::min<std::size_t>(rows, (INT_MAX - static_cast<long long>(firstRow)) / rowStep + 1);
    work_ += rows * cols;
    for (std::size_t i = 0; i < rows; ++i) {
      const std::size_t r = descending ? rows - 1 - i : i;
      const int row = firstRow + static_cast<int>(r) * rowStep;
      for (std::size_t j = 0; j < cols; ++j) {
        const std::size_t c = descending ? cols - 1 - j : j;
        const int col = static_cast<int>(c) * colStep;
        const std::size_t size = (sizeByte + (varySize ? r + c : 0)) % 20;
        const std::string text = Pattern(size, fill, static_cast<unsigned>(row) * 31u + static_cast<unsigned>(col));
        if (append) {
          store_.Append(col, row, text, cols);
        } else {
          store_.Set(col, row, text);
        }
        ModelSet(col, row, text);
      }
    }
  }

  void Rotate(int row, int last) {
    store_.RotateRowToEnd(row, last);
    if (row >= last) return;
    // Only the rows from `row` to `last` change: their entries are taken out, renamed and put back.
    std::vector<Model::node_type> moved;
    for (auto it = model_.lower_bound({row, INT_MIN}); it != model_.end() && it->first.first <= last;) {
      moved.push_back(model_.extract(it++));
    }
    work_ += moved.size();
    for (Model::node_type& node : moved) {
      node.key().first = node.key().first == row ? last : node.key().first - 1;
      if (!model_.insert(std::move(node)).inserted) Fail("model: rotation collides", row, last);
    }
  }

  void ModelInsertRows(int first, int oldEnd, int count, int colLimit) {
    if (count <= 0 || first > oldEnd) return;
    const long long moveEnd = static_cast<long long>(oldEnd) + count;
    std::vector<Model::node_type> moved;
    for (auto it = model_.lower_bound({first, INT_MIN}); it != model_.end() && it->first.first < moveEnd;) {
      const auto [r, c] = it->first;
      if (c >= colLimit) {
        ++it;
      } else if (r >= oldEnd) {
        // A row the move lands on keeps only the columns that stay.
        liveBytes_ -= it->second.size();
        it = model_.erase(it);
      } else {
        moved.push_back(model_.extract(it++));
      }
    }
    work_ += moved.size();
    for (Model::node_type& node : moved) {
      node.key().first += count;
      if (!model_.insert(std::move(node)).inserted) Fail("model: insertion collides", first, oldEnd);
    }
  }

  void ModelSet(int col, int row, std::string text) {
    liveBytes_ += text.size();
    const auto it = model_.find({row, col});
    if (it != model_.end()) {
      liveBytes_ -= it->second.size();
      if (text.empty()) {
        model_.erase(it);
      } else {
        it->second = std::move(text);
      }
    } else if (!text.empty()) {
      model_.emplace(std::pair{row, col}, std::move(text));
    }
  }

  // A look-up of one row through the block search, another path than a walk from the first row.
  bool StoreHasRow(int row) const {
    bool found = false;
    store_.ForEachRow(row, static_cast<long long>(row) + 1, [&found](int, std::span<const TCellStore::Cell>) {
      found = true;
      return false;
    });
    return found;
  }

  bool ModelHasRow(int row) const {
    const auto it = model_.lower_bound({row, INT_MIN});
    return it != model_.end() && it->first.first == row;
  }

  void CheckCell(int col, int row, bool whole) const {
    const auto it = model_.find({row, col});
    const std::string_view expected = it == model_.end() ? std::string_view() : it->second;
    if (!SameText(store_.Get(col, row), expected, whole)) Fail("Get", row, col);
    if (StoreHasRow(row) != ModelHasRow(row)) Fail("HasRow", row, col);
  }

  // Reads that change nothing: single cells and a walk over part of the rows that may stop early.
  void Query(Input& in) {
    const int col = in.Index();
    const int row = in.Index();
    CheckCell(col, row, false);
    const long long first = row;
    const long long last = first + in.Index();
    const std::size_t stopAfter = 1 + in.Byte();
    auto expected = model_.lower_bound({row, INT_MIN});
    std::size_t visited = 0;
    store_.ForEachRow(first, last, [&](int index, std::span<const TCellStore::Cell> cells) {
      if (expected == model_.end() || expected->first.first != index) Fail("ForEachRow range: row", index, -1);
      for (const TCellStore::Cell& cell : cells) {
        if (expected == model_.end() || expected->first != std::pair{index, cell.col}) {
          Fail("ForEachRow range: cell", index, cell.col);
        }
        ++expected;
      }
      return ++visited < stopAfter;
    });
    // It stopped at `last` or when told to, not before.
    if (visited < stopAfter && expected != model_.end() && expected->first.first < last) {
      Fail("ForEachRow range: stopped early", expected->first.first, -1);
    }
    work_ += visited;
  }

  // Between steps long texts are compared in samples and only some rows are looked up; at the end all.
  void CheckAll(bool whole) {
    if (store_.CellCount() != model_.size()) Fail("cell count", -1, -1);
    work_ += model_.size();
    auto expected = model_.begin();
    std::size_t rows = 0;
    long long previousRow = LLONG_MIN;
    store_.ForEachRow(INT64_MIN, INT64_MAX, [&](int row, std::span<const TCellStore::Cell> cells) {
      if (row <= previousRow) Fail("rows out of order", row, -1);
      if (cells.empty()) Fail("stored row without cells", row, -1);
      // The lookups take another path than the walk: a row just above a stored one must be absent there too.
      const bool lookUp = whole || rows % 16 == 0;
      if (lookUp && row > 0 && previousRow != row - 1 && StoreHasRow(row - 1)) {
        Fail("HasRow of an absent row", row - 1, -1);
      }
      previousRow = row;
      ++rows;
      int previousCol = INT_MIN;
      for (const TCellStore::Cell& cell : cells) {
        if (cell.col <= previousCol) Fail("columns out of order", row, cell.col);
        previousCol = cell.col;
        if (expected == model_.end() || expected->first != std::pair{row, cell.col}) Fail("extra cell", row, cell.col);
        if (!SameText(cell.Text(), expected->second, whole)) Fail("text", row, cell.col);
        ++expected;
      }
      if (lookUp) {
        if (!StoreHasRow(row)) Fail("HasRow", row, -1);
        const TCellStore::Cell& last = cells.back();
        if (!SameText(store_.Get(last.col, row), last.Text(), false)) Fail("Get", row, last.col);
      }
      return true;
    });
    if (expected != model_.end()) Fail("missing cell", expected->first.first, expected->first.second);
  }

  TCellStore store_;
  Model model_;
  std::size_t liveBytes_ = 0;
  std::size_t work_ = 0;
  std::size_t step_ = 0;
  unsigned serial_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  Harness().Run(in);
  return 0;
}
