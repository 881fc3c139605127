// Tab-separated block text: any bytes parse without failing into a consistent shape, and a rectangle of
// fields written out and read back comes back field for field. The input serves twice: as clipboard text,
// and as a rectangle (its first byte the column count, fields split at 0xFF bytes).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "grid/text/BlockText.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "block text: %s\n", what);
  std::abort();
}

void CheckParsed(std::string_view text) {
  const metrazil::TCellBlock block = metrazil::ParseBlockText(text);
  std::size_t fieldBytes = 0;
  std::size_t widest = 0;
  for (std::size_t row = 0; row < block.RowCount(); ++row) {
    Check(block.FieldCount(row) >= 1, "a row without fields");
    widest = std::max(widest, block.FieldCount(row));
    for (std::size_t col = 0; col < block.FieldCount(row); ++col) fieldBytes += block.Field(col, row).size();
  }
  Check(widest == block.ColCount(), "the column count is not the widest row");
  Check(fieldBytes <= text.size(), "fields hold more bytes than the text");
  Check(block.RowCount() <= text.size(), "more rows than bytes");
  // Written out in the normal form and read again, the parsed fields stay, short rows padded.
  const std::string normal = metrazil::FormatBlockText(
      block.ColCount(), block.RowCount(), [&block](std::size_t col, std::size_t row) { return block.Field(col, row); });
  const metrazil::TCellBlock again = metrazil::ParseBlockText(normal);
  Check(again.RowCount() == block.RowCount() && again.ColCount() == block.ColCount(), "normal form changes shape");
  for (std::size_t row = 0; row < block.RowCount(); ++row) {
    Check(again.FieldCount(row) == block.ColCount(), "normal form leaves a short row");
    for (std::size_t col = 0; col < block.ColCount(); ++col) {
      Check(again.Field(col, row) == block.Field(col, row), "normal form changes a field");
    }
  }
}

void CheckRoundTrip(std::string_view data) {
  if (data.empty()) return;
  const std::size_t cols = 1 + static_cast<unsigned char>(data[0]) % 8;
  std::vector<std::string_view> fields;
  for (std::size_t from = 1;;) {
    const std::size_t split = data.find('\xff', from);
    fields.push_back(data.substr(from, split == std::string_view::npos ? std::string_view::npos : split - from));
    if (split == std::string_view::npos) break;
    from = split + 1;
  }
  const std::size_t rows = (fields.size() + cols - 1) / cols;
  fields.resize(rows * cols);
  const std::string text =
      metrazil::FormatBlockText(cols, rows, [&](std::size_t col, std::size_t row) { return fields[row * cols + col]; });
  const metrazil::TCellBlock block = metrazil::ParseBlockText(text);
  Check(block.RowCount() == rows, "a rectangle reads back with another row count");
  for (std::size_t row = 0; row < rows; ++row) {
    Check(block.FieldCount(row) == cols, "a rectangle's row reads back with another field count");
    for (std::size_t col = 0; col < cols; ++col) {
      Check(block.Field(col, row) == fields[row * cols + col], "a field reads back changed");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckParsed(text);
  CheckRoundTrip(text);
  return 0;
}
