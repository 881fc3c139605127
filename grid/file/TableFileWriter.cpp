#include "grid/file/TableFileWriter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/Exception.h"
#include "grid/file/ReadLockedFile.h"
#include "grid/file/SafeFile.h"
#include "grid/file/TableFile.h"
#include "grid/file/YieldCadence.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

namespace {

// Collects the lines of a save and hands them to the sink in large pieces.
class LineWriter {
 public:
  explicit LineWriter(const TByteSink& sink) : sink_(sink), data_(std::make_unique_for_overwrite<char[]>(kSize)) {}

  void Number(long long value) {
    Ensure(24);
    used_ = static_cast<std::size_t>(std::to_chars(data_.get() + used_, data_.get() + kSize, value).ptr - data_.get());
  }
  void Bytes(std::string_view bytes) {
    if (bytes.size() > kSize / 2) {
      Flush();
      sink_(bytes.data(), bytes.size());
      return;
    }
    Ensure(bytes.size());
    std::memcpy(data_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  // A cell text with CR and LF mapped to TAB and BS whenever it holds either, so it cannot split its line.
  void CellText(std::string_view text) {
    if (!HoldsLineBreak(text)) return Bytes(text);
    std::string mapped;
    AppendEncodedCellText(mapped, text);
    Bytes(mapped);
  }
  void Flush() {
    sink_(data_.get(), used_);
    used_ = 0;
  }

 private:
  static constexpr std::size_t kSize = std::size_t{1} << 20;

  void Ensure(std::size_t size) {
    if (kSize - used_ < size) Flush();
  }

  const TByteSink& sink_;
  std::unique_ptr<char[]> data_;
  std::size_t used_ = 0;
};

// Compares what would be written with a file's bytes, reading the file piece by piece alongside.
class CompareSink {
 public:
  explicit CompareSink(const std::string& path) : file_(path), buffer_(std::make_unique_for_overwrite<char[]>(kSize)) {}

  void Write(const char* data, std::size_t size) {
    while (same_ && size > 0) {
      if (at_ == held_ && !Refill()) {
        same_ = false;  // the file is shorter
        return;
      }
      const std::size_t n = std::min(size, held_ - at_);
      same_ = std::memcmp(buffer_.get() + at_, data, n) == 0;
      at_ += n;
      data += n;
      size -= n;
    }
  }
  // Whether everything written matched and the file holds nothing more.
  bool Same() { return same_ && at_ == held_ && !Refill(); }

 private:
  static constexpr std::size_t kSize = std::size_t{1} << 20;

  bool Refill() {
    held_ = file_.Read(buffer_.get(), kSize);
    at_ = 0;
    return held_ > 0;
  }

  TReadLockedFile file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t held_ = 0;
  std::size_t at_ = 0;
  bool same_ = true;
};

}  // namespace

void WriteTable(const TTableGrid& grid, const TByteSink& sink, const std::function<void()>& yieldBetweenRows) {
  LineWriter out(sink);
  const int colCount = grid.ColCount();
  const int rowCount = grid.RowCount();
  out.Number(colCount);
  out.Bytes(",");
  out.Number(rowCount);
  out.Bytes("\r\n");
  for (int col = 0; col < colCount; ++col) {
    out.Bytes("cw ");
    out.Number(col);
    out.Bytes(",");
    out.Number(grid.ColWidth(col));
    out.Bytes("\r\n");
  }
  TYieldCadence cadence(yieldBetweenRows);
  grid.ForEachStoredRow(0, rowCount, [&](int row, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (cell.col >= colCount) break;
      out.Number(cell.col);
      out.Bytes(",");
      out.Number(row);
      out.Bytes(",");
      const std::string_view text = cell.Text();
      out.CellText(text);
      out.Bytes("\r\n");
      cadence.Add(1, text.size());
    }
    cadence.YieldIfDue();
    return true;
  });
  out.Flush();
}

void WriteTableFile(const TTableGrid& grid, const std::string& path, TSafeFile::TBackup backup,
                    const std::function<void()>& yieldBetweenRows) {
  TSafeFile file(path, backup);
  WriteTable(
      grid, [&file](const char* bytes, std::size_t size) { file.Write(bytes, size); }, yieldBetweenRows);
  file.Commit();
}

std::string TableFileBytes(const TTableGrid& grid) {
  std::string bytes;
  WriteTable(grid, [&bytes](const char* data, std::size_t size) { bytes.append(data, size); });
  return bytes;
}

bool MatchesTableFile(const TTableGrid& grid, const std::string& path) {
  std::optional<CompareSink> sink;
  try {
    sink.emplace(path);
    WriteTable(grid, [&sink](const char* bytes, std::size_t size) { sink->Write(bytes, size); });
    return sink->Same();
  } catch (const Exception&) {
    return false;  // a file that cannot be read matches nothing
  }
}

}  // namespace metrazil
