#include "grid/file/TableFileReader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "grid/file/ReadLockedFile.h"
#include "grid/file/TableFile.h"
#include "grid/file/TableFileEncoding.h"
#include "grid/file/Utf8ToGb18030.h"
#include "grid/file/YieldCadence.h"
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

bool IsPlainCountLine(std::string_view line) {
  const std::size_t comma = line.find(',');
  return comma != std::string_view::npos && ParseTableFileNumber(line.substr(0, comma)).wholeField &&
         ParseTableFileNumber(line.substr(comma + 1)).wholeField;
}

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

TTableReadReport ReadLines(TTableGridLoader& loader, TTableFileLines& lines,
                           const std::function<void()>& yieldBetweenLines, const TCellTextTransform& toCodePage) {
  using TLeftOut = TTableReadReport::TLeftOut;
  TTableReadReport report;
  if (toCodePage) report.encoding = TTableReadReport::TEncoding::kUtf8;
  std::string_view line;
  std::size_t lineNumber = 1;
  if (lines.Next(line)) {
    // No count line starts with one; many editors put it before the first line of a UTF-8 file.
    if (line.starts_with(kUtf8ByteOrderMark)) {
      line.remove_prefix(kUtf8ByteOrderMark.size());
      report.byteOrderMark = true;
    }
    ReadCountLine(line, loader);
    if (!line.empty() && !IsPlainCountLine(line)) {
      report.Add(TLeftOut::kCountLine, lineNumber);
    } else if (lines.LineCutAtMark()) {
      report.Add(TLeftOut::kAfterEndMark, lineNumber);
    }
  }
  std::string decoded;
  std::string converted;
  TYieldCadence cadence(yieldBetweenLines);
  const auto afterLine = [&cadence](std::size_t bytes) {
    cadence.Add(1, bytes);
    cadence.YieldIfDue();
  };
  bool lineLeftOut = false;
  // A malformed last line without its line end was most likely cut short.
  const auto leaveOut = [&](TLeftOut kind, bool malformed) {
    report.Add(malformed && !lines.LineEnded() ? TLeftOut::kCutOff : kind, lineNumber);
    lineLeftOut = true;
  };
  while (lines.Next(line)) {
    ++lineNumber;
    lineLeftOut = false;
    const TTableFileLine parsed = ParseTableFileLine(line);
    if (parsed.kind == TTableFileLine::TKind::kWidth) {
      if (parsed.wellFormed && parsed.col >= 0 && parsed.col < loader.ColCount()) {
        loader.SetColWidth(parsed.col, parsed.width);
        if (!ParseTableFileNumber(line.substr(line.find(',') + 1, 255)).hasDigits) {
          leaveOut(TLeftOut::kWidthLine, true);
        }
      } else {
        leaveOut(TLeftOut::kWidthLine, !parsed.wellFormed);
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
        if (toCodePage) {
          converted.clear();
          toCodePage(converted, text);
          text = converted;
        }
        loader.Append(parsed.col, parsed.row, text);
      } else if (parsed.wellFormed) {
        leaveOut(TLeftOut::kCellOutside, false);
      } else if (!line.empty()) {
        leaveOut(TLeftOut::kMalformed, true);
      }
    }
    if ((!lines.LineEnded() || lines.LineCutAtMark()) && !lineLeftOut) [[unlikely]] {
      if (lines.LineCutAtMark()) {
        report.Add(TLeftOut::kAfterEndMark, lineNumber);
      } else if (!toCodePage && EndsInsideCharacter(parsed.text)) {
        report.Add(TLeftOut::kCutOff, lineNumber);
      }
    }
    afterLine(line.size());
  }
  if (lines.EndedAtMark()) {
    const std::size_t markLine = lineNumber + 1;
    lines.ReadPastEndMark([&](std::size_t index, bool holdsText) {
      if (holdsText) report.Add(TLeftOut::kAfterEndMark, markLine + index);
      afterLine(0);
    });
  }
  return report;
}

// The buffer need not be larger than the table.
std::size_t BufferSizeFor(std::size_t sizeHint) {
  return std::clamp<std::size_t>(sizeHint + 1, 4096, std::size_t{1} << 20);
}

// Reads through source, then runs close before the grid hears of the cells (when the loader goes), so a
// failing close is a failed read.
TTableReadReport ReadThrough(TTableGrid& grid, const TTableFileLines::Source& source, std::size_t sizeHint,
                             const std::function<void()>& yieldBetweenLines, const TCellTextTransform& toCodePage,
                             const std::function<void()>& close) {
  TTableGridLoader loader(grid);
  TTableFileLines lines(source, BufferSizeFor(sizeHint));
  // What a yield lets through may paint the cells read so far.
  std::function<void()> yield;
  if (yieldBetweenLines) {
    yield = [&] {
      loader.Announce();
      yieldBetweenLines();
    };
  }
  TTableReadReport report = ReadLines(loader, lines, yield, toCodePage);
  if (close) close();
  return report;
}

// The transform for a file that decoding classifies as UTF-8; none otherwise, or without a decoding.
TCellTextTransform TransformFor(const TTableTextDecoding& decoding, const TTableFileLines::Source& firstPass) {
  if (!decoding.isUtf8 || !decoding.toCodePage || !decoding.isUtf8(firstPass)) return {};
  return decoding.toCodePage;
}

TTableFileLines::Source BytesSource(std::string_view bytes, std::size_t& at) {
  return [bytes, &at](char* buffer, std::size_t capacity) {
    const std::size_t n = std::min(capacity, bytes.size() - at);
    std::memcpy(buffer, bytes.data() + at, n);
    at += n;
    return n;
  };
}

}  // namespace

TTableTextDecoding Utf8FileDecoding() {
  auto converter = std::make_shared<std::optional<TUtf8ToGb18030>>();
  return {
      [converter](const TTableFileLines::Source& bytes) {
        // Small pieces: a code-page file is decided by its first Chinese text, near its start.
        constexpr std::size_t kPiece = std::size_t{64} << 10;
        std::vector<char> buffer(kPiece);
        TTableFileEncoding encoding;
        while (!encoding.Decided()) {
          const std::size_t got = bytes(buffer.data(), buffer.size());
          if (got == 0) break;
          encoding.Feed(std::string_view(buffer.data(), got));
        }
        if (encoding.Result() != TTextEncoding::kUtf8) return false;
        converter->emplace();
        return true;
      },
      [converter](std::string& out, std::string_view text) {
        if (!converter->has_value()) converter->emplace();
        (*converter)->Append(out, text);
      },
  };
}

TTableFileLine ParseTableFileLine(std::string_view line) {
  TTableFileLine parsed;
  if (line.size() >= 2 && line[0] == 'c' && line[1] == 'w') {
    ParseWidthLine(line, parsed);
  } else {
    ParseCellLine(line, parsed);
  }
  return parsed;
}

TTableReadReport ReadTable(TTableGrid& grid, const TTableFileLines::Source& source, std::size_t sizeHint,
                           const std::function<void()>& yieldBetweenLines, const TCellTextTransform& toCodePage) {
  return ReadThrough(grid, source, sizeHint, yieldBetweenLines, toCodePage, {});
}

TTableReadReport ReadTableBytes(TTableGrid& grid, std::string_view bytes,
                                const std::function<void()>& yieldBetweenLines, const TTableTextDecoding& decoding) {
  std::size_t classified = 0;
  const TCellTextTransform toCodePage = TransformFor(decoding, BytesSource(bytes, classified));
  std::size_t at = 0;
  return ReadTable(grid, BytesSource(bytes, at), bytes.size(), yieldBetweenLines, toCodePage);
}

TTableReadReport ReadTableFile(TTableGrid& grid, const std::string& path,
                               const std::function<void()>& yieldBetweenLines, const TTableReadOptions& options) {
  // The same yield keeps the window responsive while a save holds the file.
  TReadLockedFile file(
      path,
      [&yieldBetweenLines] {
        if (yieldBetweenLines) yieldBetweenLines();
        return true;
      },
      options.lockWait);
  const TTableFileLines::Source source = [&file](char* buffer, std::size_t capacity) {
    return file.Read(buffer, capacity);
  };
  TCellTextTransform toCodePage;
  if (options.decoding.isUtf8 && options.decoding.toCodePage) {
    // The first pass yields by its bytes as the read does.
    TYieldCadence cadence(yieldBetweenLines);
    toCodePage = TransformFor(options.decoding, [&](char* buffer, std::size_t capacity) {
      const std::size_t got = file.Read(buffer, capacity);
      cadence.Add(0, got);
      cadence.YieldIfDue();
      return got;
    });
    file.Rewind();
  }
  TTableReadReport report =
      ReadThrough(grid, source, file.Size(), yieldBetweenLines, toCodePage, [&file] { file.Close(); });
  report.file = TJournalBase::OfStat(file.Opened());
  return report;
}

}  // namespace metrazil
