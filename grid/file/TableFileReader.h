#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/file/JournalBase.h"
#include "grid/file/ReadLockedFile.h"
#include "grid/file/TableFileLines.h"
#include "grid/file/YieldCadence.h"

namespace metrazil {

class TTableGrid;

// Reading a table file into a grid: a count line, then width lines and cell lines in any order. The grid
// is not emptied first, and lines are applied in file order; lines that do not fit are skipped.

// A line of a table file after the count line, parsed without regard to any grid.
struct TTableFileLine {
  enum class TKind { kWidth, kCell };
  TKind kind = TKind::kCell;
  // False for a width line without a usable index and for a cell line with fewer than two commas or a
  // column or row field that does not start with a number; such lines are skipped.
  bool wellFormed = false;
  int col = 0;  // the cell's column, or the column a width line sets
  int row = 0;  // the cell's row, as far as it could be read (0 otherwise)
  int width = 0;
  std::string_view text;  // a cell line's text field, as in the file (line breaks still mapped)
};
TTableFileLine ParseTableFileLine(std::string_view line);

// What a read could not use. The grid gets every line it can use whatever the report says; a save writes
// back only what the grid holds, so a report with lines in it means the next save loses them.
struct TTableReadReport {
  // Each line is counted once, under the first kind that fits:
  enum class TLeftOut {
    // The first line is neither empty nor "number,number", each number by the integer field rule (blanks,
    // sign, digits or a hex prefix and hex digits) with nothing after it; its values are used as they read.
    kCountLine,
    // A "cw" line whose index has no number or lies outside the column count, or whose width has no number
    // (that one is applied as width 0, as the format says).
    kWidthLine,
    // A cell line whose column or row lies outside the counts.
    kCellOutside,
    // Any other line that is not empty and has fewer than two commas or a column or row field without a
    // number, comment lines ("#", ";") among them. Empty lines hold nothing and are not counted.
    kMalformed,
    // The last line when it has no line end and was malformed, or its text ends inside a double-byte
    // character (code-page reads only; the text is stored all the same). A whole-looking last line without
    // a line end is a usual hand-edited file and is not counted.
    kCutOff,
    // Text after a Ctrl-Z: the rest of a line that one cuts, and each line holding more than CR and Ctrl-Z
    // after one that begins a line. A lone Ctrl-Z at the end of the file is a plain end mark.
    kAfterEndMark,
  };
  static constexpr std::size_t kKinds = 6;
  static constexpr std::size_t kLinesNamed = 5;
  enum class TEncoding { kCodePage, kUtf8 };

  std::array<std::size_t, kKinds> leftOut{};
  std::size_t total = 0;
  std::vector<std::size_t> firstLines;  // the numbers (from 1) of the first kLinesNamed lines counted
  TEncoding encoding = TEncoding::kCodePage;
  bool byteOrderMark = false;  // a UTF-8 byte-order mark before the count line was skipped
  // The file as it was opened (its stamp; the hash is taken later), for a journal of the changes made to the
  // table read. NoFile for reads of bytes in memory.
  TJournalBase file;

  std::size_t Count(TLeftOut kind) const { return leftOut[static_cast<std::size_t>(kind)]; }
  void Add(TLeftOut kind, std::size_t line) {
    ++leftOut[static_cast<std::size_t>(kind)];
    ++total;
    if (firstLines.size() < kLinesNamed) firstLines.push_back(line);
  }
};

// Appends text, a cell text of a file read as UTF-8, to out in the table's code page.
using TCellTextTransform = std::function<void(std::string& out, std::string_view text)>;

// Lets a read take a file written in UTF-8: isUtf8 reads the whole file first, through the source it is
// given, and says whether to read it as UTF-8; then every cell text passes through toCodePage before it is
// stored. Without both, every file is read in the code page, with no first pass. ReadTableFile's first pass
// runs the yield after each kBytesPerYield bytes.
struct TTableTextDecoding {
  std::function<bool(const TTableFileLines::Source& bytes)> isUtf8;
  TCellTextTransform toCodePage;
};

// The decoding every file read wants: a file TTableFileEncoding takes for UTF-8 is converted to GB18030, by
// one converter made for that read; any other file is read byte for byte. The first pass stops as soon as
// the bytes cannot be UTF-8, so a code-page file costs only the bytes up to its first Chinese text; a file
// of ASCII alone is passed over whole. A decoding serves one read at a time.
// Errors (of isUtf8): EConvertError when the system has no UTF-8 to GB18030 converter.
TTableTextDecoding Utf8FileDecoding();

struct TTableReadOptions {
  // How long a read waits for a save that holds the file.
  std::chrono::milliseconds lockWait = TReadLockedFile::kWaitLimit;
  // An empty decoding reads every file in the code page.
  TTableTextDecoding decoding = Utf8FileDecoding();
};

// Reads the bytes that source delivers, passing each cell text through toCodePage when one is given (the
// file is then UTF-8). sizeHint, the expected size, only sizes the buffer. A UTF-8 byte-order mark before
// the count line is skipped. The yield runs between lines on TYieldCadence's cadence and may throw, which
// leaves the grid as read so far. Errors: what the source throws, EInvalidGridOperation (counts too large).
TTableReadReport ReadTable(TTableGrid& grid, const TTableFileLines::Source& source, std::size_t sizeHint,
                           const std::function<void()>& yieldBetweenLines = {},
                           const TCellTextTransform& toCodePage = {});
// Reads a table held in memory.
TTableReadReport ReadTableBytes(TTableGrid& grid, std::string_view bytes,
                                const std::function<void()>& yieldBetweenLines = {},
                                const TTableTextDecoding& decoding = {});
// Reads the file at path, share-locked while it is read, so a save of it is refused meanwhile. A save in
// progress is waited for up to options.lockWait, calling the yield between attempts.
// Errors: ETableGridError "Cannot open file <path>", EInOutError, EInvalidGridOperation; what the yield throws.
TTableReadReport ReadTableFile(TTableGrid& grid, const std::string& path,
                               const std::function<void()>& yieldBetweenLines = {},
                               const TTableReadOptions& options = {});

}  // namespace metrazil
