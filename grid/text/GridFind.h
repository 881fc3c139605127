#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/model/TableGrid.h"
#include "grid/text/ShownCellText.h"

namespace metrazil {

enum class TFindDirection { kNext, kPrevious };
enum class TFindState {
  kSearching,  // not done yet: run again to go on
  kFound,
  kNotFound,  // every body cell was searched
};

struct TFindResult {
  TFindState state = TFindState::kSearching;
  TCellAddress cell;     // the match when found, else {-1, -1}
  bool wrapped = false;  // the search went past the table's end (or, backwards, its start) and on from the other
};

// The plain text of markup as the grid lays it out (tags interpreted, not shown), in UTF-16.
using TMarkupText = std::function<std::u16string(std::string_view markup)>;

// Finds a text in the texts cells show, as the user sees them (ShownCellText within kMaxEditedChars
// characters, the bound of the editor and of what assistive tools read): plain text as its bytes, wide and
// rich text decoded, markup without its tags. A cell matches when its shown text contains the search text,
// Latin letters compared without regard to case; other characters compare as they are.
//
// The search covers the body rows (from FixedRows on) and every column, row by row and left to right
// within a row, from the cell after the start cell (or before it, backwards) around the table and back to
// the start cell itself, which is searched last. It runs in slices: each Run goes on where the last one
// stopped, so a caller can let the window breathe between slices and get the same answer as from one
// call. Start again after the grid's counts change.
//
// Plain cells are searched in place, without a copy or a conversion. Markup cells take markupText when
// given. Without it their text is approximated: tags removed as the editor removes them (RemoveMarkup:
// "<BR>" becomes a line break) and the entities of ASCII characters and the no-break space decoded. Its
// limits: other entities ("&#20013;", "&copy;") stay as written, runs of blanks that a document collapses
// into one stay, and the texts of elements a document hides (a style sheet, a title) are searched.
class TGridFind {
 public:
  using TClock = std::chrono::steady_clock;
  // Cells looked at between two looks at the clock.
  static constexpr std::int64_t kCellsPerChunk = 16384;

  // The grid must outlive the search. decodeBytes turns GB18030 bytes into UTF-16 (the search text, once,
  // and the code-page parts of rich texts). An empty search text matches nothing.
  TGridFind(const TTableGrid& grid, std::string_view text, TDecodeBytes decodeBytes, TMarkupText markupText = {},
            std::int64_t cellsPerChunk = kCellsPerChunk);

  // Begins a search from a cell. From above the body rows (the header row) the search takes the whole body
  // from its first cell (or backwards from its last) and does not wrap; other cells outside the body are
  // taken as the nearest body cell.
  // With withStartCell the start cell is searched first instead of last, as a search-as-you-type wants:
  // the match stays where it is while it still matches.
  void Start(TCellAddress from, TFindDirection direction, bool withStartCell = false);
  // Searches on until a match, the end of the search or the deadline, looking at one chunk of cells at the
  // least. A finished search answers the same again.
  TFindResult Run(TClock::time_point deadline);

 private:
  // Whether a cell holding this text shows the search text.
  bool Matches(std::string_view cellText) const;
  // A quick test that rules out most cells before their shown text is worked out.
  bool MayMatch(std::string_view cellText) const;
  bool MatchesBytes(std::string_view shown) const;
  bool MatchesUnits(std::u16string_view shown) const;
  // The first (forward) or last (backward) matching cell with a linear index in [from, to), or -1.
  std::int64_t SearchChunk(std::int64_t from, std::int64_t to) const;
  TCellAddress AddressOf(std::int64_t index) const;

  const TTableGrid& grid_;
  TDecodeBytes decodeBytes_;
  TMarkupText markupText_;
  std::int64_t cellsPerChunk_;
  // The search text upper-cased, as whole characters, and its prefix function (one pass per cell).
  std::vector<std::uint32_t> chars_;
  std::vector<std::size_t> charPrefix_;
  std::u16string units_;
  std::vector<std::size_t> unitPrefix_;
  // The first byte of the search text in either case: a plain cell without it cannot match.
  char firstByte_ = 0;
  char firstLower_ = 0;

  // Body cells are numbered row by row from the first body row: index = (row - fixedRows) * cols + col.
  int fixedRows_ = 0;
  int cols_ = 0;
  std::int64_t cellCount_ = 0;
  TFindDirection direction_ = TFindDirection::kNext;
  std::int64_t start_ = 0;     // the start cell's index; -1 or cellCount_ from above the body
  std::int64_t searched_ = 0;  // cells searched so far, the start cell last
  TFindResult result_;
};

}  // namespace metrazil
