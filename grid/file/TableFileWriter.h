#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "grid/file/SafeFile.h"

namespace metrazil {

class TTableGrid;

// Writing a grid as a table file: the count line, one width line per column and one line per non-empty
// cell inside the counts, rows top to bottom and columns left to right, every line ending in CR LF.

// Takes the bytes in pieces of up to a megabyte, a longer cell text in one piece of its own.
using TByteSink = std::function<void(const char* bytes, std::size_t size)>;

// Hands the grid's table file bytes to sink.
// The yield, when set, runs between rows once kLinesPerYield lines or kBytesPerYield bytes of cell text have
// been written since it last ran; it must not change the grid, and what it throws ends the write.
// Errors: what the sink or the yield throws.
void WriteTable(const TTableGrid& grid, const TByteSink& sink, const std::function<void()>& yieldBetweenRows = {});
// Writes the grid through a temporary file renamed over the target, so a failure leaves the old file as it
// was.
// With TBackup::kKeepOld the old file is first kept as "<path>.bak".
// The yield is WriteTable's; a write it ends leaves the old file as it was.
// Errors: ETableGridError "Cannot Create <path>" (also while a reader holds the file), EInOutError; what the
// yield throws.
void WriteTableFile(const TTableGrid& grid, const std::string& path,
                    TSafeFile::TBackup backup = TSafeFile::TBackup::kNone,
                    const std::function<void()>& yieldBetweenRows = {});

// The bytes WriteTableFile would write.
std::string TableFileBytes(const TTableGrid& grid);
// Whether WriteTableFile would write exactly the bytes the file at path holds now; false when the file
// cannot be read. Compares as it goes, so a large table needs no copy of its file in memory.
bool MatchesTableFile(const TTableGrid& grid, const std::string& path);

}  // namespace metrazil
