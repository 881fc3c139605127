#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "grid/text/GridFind.h"

namespace metrazil {
namespace {

using namespace std::string_literals;

// ASCII, and the two GB18030 characters the cases use.
std::u16string Decode(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes.substr(i, 2) == "\xd6\xd0") {
      units += u'\u4e2d';
      ++i;
    } else if (bytes.substr(i, 2) == "\xce\xc4") {
      units += u'\u6587';
      ++i;
    } else {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
    }
  }
  return units;
}

const std::string kWide = "|\\N-e\x87\0a\0b"s;  // 中文ab, one unit per byte pair
const std::string kRich = "{\\rtf1\\ansi{\\fonttbl{\\f0 SimSun;}} Rich \\'d6\\'d0 text\\par}";

TFindResult RunToEnd(TGridFind& find) { return find.Run(TGridFind::TClock::time_point::max()); }

// Whether a search for text finds the one body cell of a grid, which holds cell.
bool FindsInCell(std::string_view cell, std::string_view text) {
  TTableGrid grid;
  grid.WriteCell(0, 1, cell);
  TGridFind find(grid, text, Decode);
  return RunToEnd(find).state == TFindState::kFound;
}

TEST(GridFind, MatchesTheTextACellShows) {
  struct Case {
    const char* name;
    std::string cell;
    std::string text;
    bool matches;
  } cases[] = {
      {"Latin letters without regard to case", "Steel Bar", "bAR", true},
      {"other text as it stands", "pipe 12", "pipe 13", false},
      {"a trail byte is no letter", "\x81\x61", "A", false},
      {"a trail byte is not folded", "\x81\x61", "\x81\x41", false},
      {"a double-byte character matches itself", "x\x81\x61y", "\x81\x61Y", true},
      {"a match begins on a character", "\xd6\xd0\xce\xc4", "\xd0\xce", false},
      {"four-byte characters",
       "a\x81\x30\x81\x30"
       "b",
       "\x81\x30\x81\x30"
       "B",
       true},
      {"markup without its tags", "<B>bo</B>ld", "bold", true},
      {"markup tags are not shown", "<B>bold</B>", "<b>", false},
      {"common entities decoded", "<B>a&amp;b&lt;c&#62;&nbsp;&#x41;</B>", "a&b<c> a", true},
      {"an entity is no tag", "<B>&lt;i&gt;x</B>", "<i>x", true},
      {"other entities stay as written", "<B>&#20013;&copy;</B>", "&#20013;&copy;", true},
      {"an unfinished entity stays", "<B>a&amp b</B>", "a&amp b", true},
      {"wide text decoded", kWide,
       "\xce\xc4"
       "AB",
       true},
      {"wide text's bytes are not its text", kWide, "N-", false},
      {"rich text decoded", kRich, "rich \xd6\xd0 TEXT", true},
      {"rich text's control words are not shown", kRich, "SimSun", false},
      {"text past the editor's bound is not shown", std::string(kMaxEditedChars, 'x') + "tail", "tail", false},
      {"a lead byte before a blank is a character of its own", "\x81 x", " X", true},
      {"so the shown bound counts the blank as a character", std::string(kMaxEditedChars - 2, 'x') + "\x81 t", "t",
       false},
      {"the empty text matches nothing", "abc", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(FindsInCell(c.cell, c.text), c.matches) << c.name;
}

// Whole characters, Latin letters upper-cased: the rule the search must follow, written plainly.
std::vector<std::string> FoldedChars(std::string_view text) {
  std::vector<std::string> chars;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = CharLengthAt(text, pos);
    chars.push_back(AnsiUpperCase(text.substr(pos, length)));
    pos += length;
  }
  return chars;
}

TEST(GridFind, AgreesWithAPlainSearchOverWholeCharacters) {
  // Bytes that make one-, two- and four-byte characters, trail bytes that look like letters and digits.
  const char alphabet[] = {'a', 'A', 'b', '\x81', '\x61', '\x30', '\x41', '\xd6'};
  std::mt19937 random(7);
  const auto randomText = [&](std::size_t maxLength) {
    std::string text(1 + random() % maxLength, ' ');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    return text;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string cell = randomText(12);
    const std::string text = randomText(4);
    const std::vector<std::string> cellChars = FoldedChars(cell);
    const std::vector<std::string> textChars = FoldedChars(text);
    const bool expected =
        std::search(cellChars.begin(), cellChars.end(), textChars.begin(), textChars.end()) != cellChars.end();
    ASSERT_EQ(FindsInCell(cell, text), expected) << cell << " / " << text;
  }
}

TEST(GridFind, MarkupTakesTheCallersTextAndPlainCellsNoConversion) {
  TTableGrid grid;
  grid.WriteCell(0, 1, "plain a&b");
  grid.WriteCell(1, 1, "<B>a&amp;b</B>");
  int decoded = 0;
  std::vector<std::string> markups;
  TGridFind find(
      grid, "A&B",
      [&decoded](std::string_view bytes) {
        ++decoded;
        return Decode(bytes);
      },
      [&markups](std::string_view markup) {
        markups.emplace_back(markup);
        return std::u16string(u"a&b");
      });
  EXPECT_EQ(decoded, 1);  // the search text, once
  find.Start({0, 1}, TFindDirection::kNext);
  const TFindResult found = RunToEnd(find);
  EXPECT_EQ(found.cell, (TCellAddress{1, 1}));
  EXPECT_EQ(markups, std::vector<std::string>{"<B>a&amp;b</B>"});
  find.Start({1, 1}, TFindDirection::kNext);
  EXPECT_EQ(RunToEnd(find).cell, (TCellAddress{0, 1}));
  EXPECT_EQ(decoded, 1);
}

// Rows 1 to 5 below the header; "pipe" in (2,1) and (0,4), "wire" only in (0,2).
TTableGrid CaseGrid() {
  TTableGrid grid;
  grid.SetFixedCols(0);
  grid.SetRowCount(6);
  grid.SetColCount(3);
  const char* cells[6][3] = {{"Name", "Unit", "Pipe header"},
                             {"steel bar", "m", "<B>bold</B> pipe"},
                             {"Wire", "", ""},
                             {"\xd6\xd0\xce\xc4", "", "kg"},
                             {"PIPE", "", ""},
                             {"", "", ""}};
  for (int row = 0; row < 6; ++row) {
    for (int col = 0; col < 3; ++col) grid.WriteCell(col, row, cells[row][col]);
  }
  grid.WriteCell(1, 2, kWide);
  grid.WriteCell(2, 2, kRich);
  // Kept past the counts, so neither shown nor searched.
  grid.WriteCell(5, 3, "zinc");
  grid.WriteCell(0, 9, "zinc");
  return grid;
}

TEST(GridFind, WalksTheBodyRowByRowAndWraps) {
  struct Case {
    const char* name;
    std::string text;
    TCellAddress from;
    TFindDirection direction;
    TFindState state;
    TCellAddress cell;
    bool wrapped;
  } cases[] = {
      {"next, later in the row", "pipe", {0, 1}, TFindDirection::kNext, TFindState::kFound, {2, 1}, false},
      {"next, a later row", "pipe", {2, 1}, TFindDirection::kNext, TFindState::kFound, {0, 4}, false},
      {"next wraps to the top", "pipe", {0, 4}, TFindDirection::kNext, TFindState::kFound, {2, 1}, true},
      {"previous, an earlier row", "pipe", {0, 4}, TFindDirection::kPrevious, TFindState::kFound, {2, 1}, false},
      {"previous wraps to the bottom", "pipe", {2, 1}, TFindDirection::kPrevious, TFindState::kFound, {0, 4}, true},
      {"previous from the first cell wraps",
       "pipe",
       {0, 1},
       TFindDirection::kPrevious,
       TFindState::kFound,
       {0, 4},
       true},
      {"the start cell itself comes last", "wire", {0, 2}, TFindDirection::kNext, TFindState::kFound, {0, 2}, true},
      {"backwards too", "wire", {0, 2}, TFindDirection::kPrevious, TFindState::kFound, {0, 2}, true},
      {"wide, rich and plain in turn: wide",
       "\xd6\xd0",
       {0, 1},
       TFindDirection::kNext,
       TFindState::kFound,
       {1, 2},
       false},
      {"wide, rich and plain in turn: rich",
       "\xd6\xd0",
       {1, 2},
       TFindDirection::kNext,
       TFindState::kFound,
       {2, 2},
       false},
      {"wide, rich and plain in turn: plain",
       "\xd6\xd0",
       {2, 2},
       TFindDirection::kNext,
       TFindState::kFound,
       {0, 3},
       false},
      {"the header row is never found", "name", {0, 1}, TFindDirection::kNext, TFindState::kNotFound, {}, true},
      {"no match, texts past the counts aside",
       "zinc",
       {1, 3},
       TFindDirection::kPrevious,
       TFindState::kNotFound,
       {},
       true},
      {"forwards too", "zinc", {1, 3}, TFindDirection::kNext, TFindState::kNotFound, {}, true},
      {"from the header row, the first body cell is searched first",
       "steel",
       {2, 0},
       TFindDirection::kNext,
       TFindState::kFound,
       {0, 1},
       false},
      {"and backwards the last", "pipe", {0, 0}, TFindDirection::kPrevious, TFindState::kFound, {0, 4}, false},
  };
  const TTableGrid grid = CaseGrid();
  for (const Case& c : cases) {
    TGridFind find(grid, c.text, Decode);
    find.Start(c.from, c.direction);
    const TFindResult result = RunToEnd(find);
    EXPECT_EQ(result.state, c.state) << c.name;
    EXPECT_EQ(result.cell, c.cell) << c.name;
    EXPECT_EQ(result.wrapped, c.wrapped) << c.name;
    EXPECT_EQ(RunToEnd(find).cell, c.cell) << c.name << ": a finished search answers the same";
  }
}

TEST(GridFind, SearchAsYouTypeTakesTheStartCellFirst) {
  const TTableGrid grid = CaseGrid();
  struct Case {
    const char* name;
    TCellAddress from;
    TFindDirection direction;
    TCellAddress cell;
    bool wrapped;
  } cases[] = {
      {"the start cell matches", {2, 1}, TFindDirection::kNext, {2, 1}, false},
      {"backwards too", {2, 1}, TFindDirection::kPrevious, {2, 1}, false},
      {"else the next match", {1, 1}, TFindDirection::kNext, {2, 1}, false},
      {"backwards from the first cell, it and then the bottom", {0, 1}, TFindDirection::kPrevious, {0, 4}, true},
      {"from the last cell backwards", {2, 5}, TFindDirection::kPrevious, {0, 4}, false},
      {"from the last cell onwards wraps", {2, 5}, TFindDirection::kNext, {2, 1}, true},
  };
  for (const Case& c : cases) {
    TGridFind find(grid, "PIPE", Decode);
    find.Start(c.from, c.direction, true);
    const TFindResult result = RunToEnd(find);
    EXPECT_EQ(result.cell, c.cell) << c.name;
    EXPECT_EQ(result.wrapped, c.wrapped) << c.name;
  }
}

TEST(GridFind, SlicesGiveTheAnswerOfOneCall) {
  TTableGrid grid;
  grid.SetRowCount(300);
  grid.SetColCount(7);
  for (int row = 0; row < 300; row += 3) grid.WriteCell(row % 7, row, "filler " + std::to_string(row));
  for (const TCellAddress at : {TCellAddress{4, 37}, TCellAddress{0, 120}, TCellAddress{6, 255}}) {
    grid.WriteCell(at.col, at.row, "the Needle here");
  }
  for (const char* text : {"needle", "absent"}) {
    for (const TFindDirection direction : {TFindDirection::kNext, TFindDirection::kPrevious}) {
      for (const TCellAddress from : {TCellAddress{0, 1}, TCellAddress{4, 37}, TCellAddress{3, 200}}) {
        TGridFind whole(grid, text, Decode);
        whole.Start(from, direction);
        const TFindResult expected = RunToEnd(whole);
        TGridFind sliced(grid, text, Decode, {}, 5);
        sliced.Start(from, direction);
        TFindResult result;
        int slices = 0;
        for (; result.state == TFindState::kSearching; ++slices) {
          result = sliced.Run(TGridFind::TClock::time_point::min());  // one chunk per call
        }
        EXPECT_EQ(result.state, expected.state) << text;
        EXPECT_EQ(result.cell, expected.cell) << text;
        EXPECT_EQ(result.wrapped, expected.wrapped) << text;
        // Chunks of 5 cells over 299 rows of 7; one more where a chunk ends at the table's end. Every slice
        // moves the search on, so none takes more slices than that.
        EXPECT_LE(slices, (299 * 7 + 4) / 5 + 1);
        if (expected.state == TFindState::kNotFound) {
          EXPECT_GE(slices, (299 * 7 + 4) / 5);
        }
      }
    }
  }
}

}  // namespace
}  // namespace metrazil
