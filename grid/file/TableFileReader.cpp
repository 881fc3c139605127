#include "grid/file/TableFileReader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "grid/file/ReadLockedFile.h"
#include "grid/file/TableFile.h"
#include "grid/file/TableFileProgress.h"
#include "grid/model/TableGrid.h"
#include "grid/model/TableGridLoader.h"

namespace metrazil {

namespace {

// The common shape of a cell line, "digits,digits,", read in one step; anything else (signs, blanks, hex
// prefixes, long numbers) is left to the full field rule.
bool ParsePlainCellIndexes(std::string_view line, TTableFileLine& parsed, std::size_t& textStart) {
  std::size_t pos = 0;
  const auto plain = [&](int& number) {
    int value = 0;
    const std::size_t begin = pos;
    while (pos < line.size() && pos - begin < 9 && static_cast<unsigned>(line[pos] - '0') < 10) {
      value = value * 10 + (line[pos] - '0');
      ++pos;
    }
    if (pos == begin || pos == line.size() || line[pos] != ',') return false;
    number = value;
    ++pos;
    return true;
  };
  if (!plain(parsed.col) || !plain(parsed.row)) return false;
  textStart = pos;
  return true;
}

void ParseWidthLine(std::string_view line, TTableFileLine& parsed) {
  parsed.kind = TTableFileLine::TKind::kWidth;
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos || comma < 3) return;
  const TTableFileNumber index = ParseTableFileNumber(line.substr(3, comma - 3));
  parsed.wellFormed = index.hasDigits;
  parsed.col = index.value;
  parsed.width = ParseTableFileNumber(line.substr(comma + 1, 255)).value;
}

void ParseCellLine(std::string_view line, TTableFileLine& parsed) {
  std::size_t textStart = 0;
  if (ParsePlainCellIndexes(line, parsed, textStart)) {
    parsed.wellFormed = true;
    parsed.text = line.substr(textStart);
    return;
  }
  parsed.col = parsed.row = 0;
  const std::size_t firstComma = line.find(',');
  const TTableFileNumber col = ParseTableFileNumber(line.substr(0, firstComma));
  parsed.col = col.value;
  if (firstComma == std::string_view::npos) return;
  const std::size_t secondComma = line.find(',', firstComma + 1);
  const TTableFileNumber row = ParseTableFileNumber(line.substr(firstComma + 1, secondComma - firstComma - 1));
  parsed.row = row.value;
  if (secondComma == std::string_view::npos || !col.hasDigits || !row.hasDigits) return;
  parsed.wellFormed = true;
  parsed.text = line.substr(secondComma + 1);
}

// The first line, whatever it holds: columns before its first comma (none without one), rows after it
// (the whole line without one). An empty line leaves the counts alone.
void ReadCountLine(std::string_view line, TTableGridLoader& loader) {
  if (line.empty()) return;
  const std::size_t comma = line.find(',');
  const std::string_view colField = comma == std::string_view::npos ? std::string_view() : line.substr(0, comma);
  const std::string_view rowField = comma == std::string_view::npos ? line : line.substr(comma + 1);
  loader.SetCounts(ParseTableFileNumber(colField).value, ParseTableFileNumber(rowField).value);
}

void ReadLines(TTableGrid& grid, TTableGridLoader& loader, TTableFileLines& lines,
               const std::function<void()>& yieldBetweenLines) {
  std::string_view line;
  if (lines.Next(line)) ReadCountLine(line, loader);
  TTableFileProgress progress(grid.OnTableFileProgress, loader.RowCount());
  std::string decoded;
  std::size_t linesSinceYield = 0;
  std::size_t bytesSinceYield = 0;
  while (lines.Next(line)) {
    const TTableFileLine parsed = ParseTableFileLine(line);
    if (parsed.kind == TTableFileLine::TKind::kWidth) {
      if (parsed.wellFormed && parsed.col >= 0 && parsed.col < loader.ColCount()) {
        loader.SetColWidth(parsed.col, parsed.width);
      }
    } else {
      // The counts as they are now: the yield lets the user add rows and columns meanwhile.
      if (parsed.wellFormed && parsed.col >= 0 && parsed.col < loader.ColCount() && parsed.row >= 0 &&
          parsed.row < loader.RowCount()) {
        std::string_view text = parsed.text;
        if (lines.LineHasBackspace()) {
          decoded.clear();
          AppendDecodedCellText(decoded, text);
          text = decoded;
        }
        loader.Append(parsed.col, parsed.row, text);
      }
      if (progress.Active()) progress.Report(parsed.row);
    }
    bytesSinceYield += line.size();
    if (yieldBetweenLines && (++linesSinceYield >= kLinesPerYield || bytesSinceYield >= kBytesPerYield)) {
      linesSinceYield = 0;
      bytesSinceYield = 0;
      yieldBetweenLines();
    }
  }
}

// The buffer need not be larger than the table.
std::size_t BufferSizeFor(std::size_t sizeHint) {
  return std::clamp<std::size_t>(sizeHint + 1, 4096, std::size_t{1} << 20);
}

// Reads through source, then runs close before the grid hears of the cells, so a failing close is a failed
// read.
void ReadThrough(TTableGrid& grid, const TTableFileLines::Source& source, std::size_t sizeHint,
                 const std::function<void()>& yieldBetweenLines, const std::function<void()>& close) {
  TTableGridLoader loader(grid);
  TTableFileLines lines(source, BufferSizeFor(sizeHint));
  try {
    ReadLines(grid, loader, lines, yieldBetweenLines);
    if (close) close();
  } catch (...) {
    loader.Abandon();
    throw;
  }
  loader.Finish();
}

}  // namespace

TTableFileLine ParseTableFileLine(std::string_view line) {
  TTableFileLine parsed;
  if (line.size() >= 2 && line[0] == 'c' && line[1] == 'w') {
    ParseWidthLine(line, parsed);
  } else {
    ParseCellLine(line, parsed);
  }
  return parsed;
}

void ReadTable(TTableGrid& grid, const TTableFileLines::Source& source, std::size_t sizeHint,
               const std::function<void()>& yieldBetweenLines) {
  ReadThrough(grid, source, sizeHint, yieldBetweenLines, {});
}

void ReadTableBytes(TTableGrid& grid, std::string_view bytes, const std::function<void()>& yieldBetweenLines) {
  std::size_t at = 0;
  ReadTable(
      grid,
      [bytes, &at](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min(capacity, bytes.size() - at);
        std::memcpy(buffer, bytes.data() + at, n);
        at += n;
        return n;
      },
      bytes.size(), yieldBetweenLines);
}

void ReadTableFile(TTableGrid& grid, const std::string& path, const std::function<void()>& yieldBetweenLines) {
  TReadLockedFile file(path);
  ReadThrough(
      grid, [&file](char* buffer, std::size_t capacity) { return file.Read(buffer, capacity); }, file.Size(),
      yieldBetweenLines, [&file] { file.Close(); });
}

}  // namespace metrazil
