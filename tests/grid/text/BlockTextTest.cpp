#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/model/TableGrid.h"
#include "grid/text/BlockText.h"

namespace metrazil {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows FieldsOf(const TCellBlock& block) {
  Rows rows(block.RowCount());
  for (std::size_t row = 0; row < block.RowCount(); ++row) {
    for (std::size_t col = 0; col < block.FieldCount(row); ++col) rows[row].emplace_back(block.Field(col, row));
  }
  return rows;
}

std::string Format(const Rows& rows) {
  const std::size_t cols = rows.empty() ? 0 : rows[0].size();
  return FormatBlockText(cols, rows.size(),
                         [&rows](std::size_t col, std::size_t row) -> std::string_view { return rows[row][col]; });
}

std::string FormatParsed(const TCellBlock& block) {
  return FormatBlockText(block.ColCount(), block.RowCount(),
                         [&block](std::size_t col, std::size_t row) { return block.Field(col, row); });
}

TEST(BlockText, ParsesRowsOfFields) {
  struct Case {
    const char* name;
    std::string text;
    Rows rows;
  } cases[] = {
      {"nothing", "", {}},
      {"a lone text", "abc", {{"abc"}}},
      {"a lone text with its line end", "abc\n", {{"abc"}}},
      {"a lone empty line", "\n", {{""}}},
      {"LF rows", "a\tb\nc\td\n", {{"a", "b"}, {"c", "d"}}},
      {"CR LF rows", "a\tb\r\nc\td\r\n", {{"a", "b"}, {"c", "d"}}},
      {"a lone CR ends a row", "a\rb", {{"a"}, {"b"}}},
      {"last row without a line end", "a\tb\nc\td", {{"a", "b"}, {"c", "d"}}},
      {"empty cells", "\ta\t\n\t\t\n", {{"", "a", ""}, {"", "", ""}}},
      {"a tab at the very end", "a\t", {{"a", ""}}},
      {"an empty row between rows", "a\n\nb\n", {{"a"}, {""}, {"b"}}},
      {"only the last line end is dropped", "a\n\n", {{"a"}, {""}}},
      {"rows of different lengths", "a\nb\tc\td\n", {{"a"}, {"b", "c", "d"}}},
      {"quoted tab, line breaks and quotes",
       "\"a\tb\"\t\"c\r\nd\"\t\"say \"\"hi\"\"\"\n",
       {{"a\tb", "c\r\nd", "say \"hi\""}}},
      {"quoted multi-line cell spans text lines", "x\t\"1\n2\n3\"\ty\nz\n", {{"x", "1\n2\n3", "y"}, {"z"}}},
      {"a quoted empty field", "\"\"\ta\n", {{"", "a"}}},
      {"a run of doubled quotes", "\"\"\"\"\"\"\"\"\n", {{"\"\"\""}}},
      {"quotes inside an unquoted field stay", "5\" pipe\tb\"c\"\n", {{"5\" pipe", "b\"c\""}}},
      {"text after a closing quote is kept", "\"ab\"cd\tx\n", {{"abcd", "x"}}},
      {"an opening quote never closed is text", "\"abc\tx\n", {{"\"abc", "x"}}},
      {"a quote closed by the end of the text", "\"a\nb\"\"", {{"a\nb\""}}},
      {"GB18030 texts pass byte for byte",
       "\xd6\xd0\t\x81\x30\x81\x30\xb8\xd6\n",
       {{"\xd6\xd0", "\x81\x30\x81\x30\xb8\xd6"}}},
  };
  for (const Case& c : cases) {
    const TCellBlock block = ParseBlockText(c.text);
    EXPECT_EQ(FieldsOf(block), c.rows) << c.name;
  }
}

TEST(BlockText, TellsItsShape) {
  const TCellBlock block = ParseBlockText("a\nb\tc\td\n");
  EXPECT_EQ(block.RowCount(), 2u);
  EXPECT_EQ(block.ColCount(), 3u);
  EXPECT_EQ(block.Field(2, 0), "");  // past a short row
  EXPECT_EQ(block.Field(0, 5), "");  // past the last row
  EXPECT_FALSE(block.IsSingleText());
  EXPECT_TRUE(ParseBlockText("only\r\n").IsSingleText());
  EXPECT_TRUE(ParseBlockText("\"two\nlines\"").IsSingleText());
  EXPECT_FALSE(ParseBlockText("").IsSingleText());
  EXPECT_FALSE(ParseBlockText("a\t").IsSingleText());
}

TEST(BlockText, FormatsAndReadsBackTheSameFields) {
  struct Case {
    const char* name;
    Rows rows;
    std::string text;
  } cases[] = {
      {"plain rows", {{"a", "b"}, {"c", "d"}}, "a\tb\nc\td\n"},
      {"empty cells keep their tabs", {{"", "x", ""}, {"", "", ""}}, "\tx\t\n\t\t\n"},
      {"a lone empty cell", {{""}}, "\n"},
      {"tab, CR LF, CR and LF are quoted",
       {{"a\tb", "c\r\nd", "e\rf", "g\nh"}},
       "\"a\tb\"\t\"c\r\nd\"\t\"e\rf\"\t\"g\nh\"\n"},
      {"quotes are doubled inside quotes", {{"\"", "say \"hi\"", "5\""}}, "\"\"\"\"\t\"say \"\"hi\"\"\"\t\"5\"\"\"\n"},
      {"blanks and GB18030 need no quotes", {{" a ", "\xd6\xd0\xce\xc4"}}, " a \t\xd6\xd0\xce\xc4\n"},
      {"no rows", {}, ""},
  };
  for (const Case& c : cases) {
    const std::string text = Format(c.rows);
    EXPECT_EQ(text, c.text) << c.name;
    EXPECT_EQ(FieldsOf(ParseBlockText(text)), c.rows) << c.name;
  }
}

// Tab-separated text as a spreadsheet puts it on the clipboard: every row as wide as the range, quoted
// multi-line cells and quotes, empty cells and trailing empty columns.
const std::string kSpreadsheetRange =
    "\xc3\xfb\xb3\xc6\tunit\tnote\t\t\n"
    "\"\xb8\xd6\xbd\xee 12\"\"\"\tm\t\"first line\nsecond line\"\t\t\n"
    "\"pipe \"\"DN50\"\"\"\tkg/m\t\t\t\n"
    "\t\t\"tab\there\"\t\tlast\n";

TEST(BlockText, SpreadsheetRangeRoundTripsIdentically) {
  const TCellBlock block = ParseBlockText(kSpreadsheetRange);
  ASSERT_EQ(block.RowCount(), 4u);
  EXPECT_EQ(block.ColCount(), 5u);
  EXPECT_EQ(block.Field(2, 1), "first line\nsecond line");
  EXPECT_EQ(block.Field(0, 2), "pipe \"DN50\"");
  EXPECT_EQ(block.Field(4, 3), "last");
  EXPECT_EQ(FormatParsed(block), kSpreadsheetRange);
}

TEST(BlockText, OtherLineEndsComeBackInTheNormalForm) {
  // The normal form ends every row, the last included, with LF; line breaks inside cells stay as they are.
  std::string crlf;
  for (char c : kSpreadsheetRange) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string noLastLineEnd = kSpreadsheetRange.substr(0, kSpreadsheetRange.size() - 1);
  EXPECT_EQ(FormatParsed(ParseBlockText(noLastLineEnd)), kSpreadsheetRange);
  const TCellBlock fromCrlf = ParseBlockText(crlf);
  EXPECT_EQ(fromCrlf.Field(2, 1), "first line\r\nsecond line");
  EXPECT_EQ(FieldsOf(ParseBlockText(FormatParsed(fromCrlf))), FieldsOf(fromCrlf));
}

TEST(BlockText, FormatsARectangleOfTheGrid) {
  TTableGrid grid;
  grid.WriteCell(1, 1, "a");
  grid.WriteCell(2, 2, "line\r\nbreak");  // the model may keep line breaks inside a text
  grid.WriteCell(3, 3, "outside");
  EXPECT_EQ(FormatBlockText(grid, TCellAddress{2, 2}, TCellAddress{1, 1}), "a\t\n\t\"line\r\nbreak\"\n");
  EXPECT_EQ(FormatBlockText(grid, TCellAddress{1, 1}, TCellAddress{1, 1}), "a\n");
}

// A copy of many rows tells the grid now and then that it is busy, for a window to paint meanwhile.
TEST(BlockText, CopyOfManyRowsIsBusyNowAndThen) {
  constexpr int kRows = 20000;
  TTableGrid grid;
  grid.SetRowCount(kRows + 1);
  for (int row = 1; row <= kRows; ++row) grid.WriteCell(0, row, "old");
  int calls = 0;
  const TTableGrid::TBusyScope busy(grid, [&calls] { ++calls; });
  const std::string copied = FormatBlockText(grid, {0, 1}, {1, kRows});
  EXPECT_GE(calls, 4);
  EXPECT_EQ(copied.substr(0, 5), "old\t\n");
}

}  // namespace
}  // namespace metrazil
