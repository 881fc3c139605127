// Writing the grid as a table file: a count line, one width line per column and one line per stored cell.
#include <charconv>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "grid/file/SafeFile.h"
#include "grid/file/TableFile.h"
#include "grid/file/TableFileProgress.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

namespace {

// Collects the lines of a save and writes them out in large pieces.
class LineWriter {
 public:
  explicit LineWriter(TSafeFile& file) : file_(file), data_(std::make_unique_for_overwrite<char[]>(kSize)) {}

  void Number(long long value) {
    Ensure(24);
    used_ = static_cast<std::size_t>(std::to_chars(data_.get() + used_, data_.get() + kSize, value).ptr - data_.get());
  }
  void Bytes(std::string_view bytes) {
    if (bytes.size() > kSize / 2) {
      Flush();
      file_.Write(bytes.data(), bytes.size());
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
    file_.Write(data_.get(), used_);
    used_ = 0;
  }

 private:
  static constexpr std::size_t kSize = std::size_t{1} << 20;

  void Ensure(std::size_t size) {
    if (kSize - used_ < size) Flush();
  }

  TSafeFile& file_;
  std::unique_ptr<char[]> data_;
  std::size_t used_ = 0;
};

}  // namespace

void TTableGrid::WriteTableFile(const std::string& path) const {
  TSafeFile file(path);
  LineWriter out(file);
  out.Number(colCount_);
  out.Bytes(",");
  out.Number(rowCount_);
  out.Bytes("\r\n");
  for (int col = 0; col < colCount_; ++col) {
    out.Bytes("cw ");
    out.Number(col);
    out.Bytes(",");
    out.Number(ColWidth(col));
    out.Bytes("\r\n");
  }
  TTableFileProgress progress(OnTableFileProgress, rowCount_);
  long long nextRow = 0;  // first row whose progress is not announced yet
  store_.ForEachRow(0, rowCount_, [&](int row, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (cell.col >= colCount_) break;
      out.Number(cell.col);
      out.Bytes(",");
      out.Number(row);
      out.Bytes(",");
      out.CellText(cell.Text());
      out.Bytes("\r\n");
    }
    if (progress.Active()) {
      progress.ReportRun(nextRow, row);
      nextRow = static_cast<long long>(row) + 1;
    }
    return true;
  });
  if (progress.Active() && nextRow < rowCount_) progress.ReportRun(nextRow, rowCount_ - 1);
  out.Flush();
  file.Commit();
}

}  // namespace metrazil
