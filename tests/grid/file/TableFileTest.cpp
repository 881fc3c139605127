#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "grid/file/TableFile.h"
#include "grid/file/TableFileLines.h"
#include "grid/file/TableFileReader.h"

namespace metrazil {
namespace {

TEST(TableFileTest, LinesParseWithoutAGrid) {
  using TKind = TTableFileLine::TKind;
  struct Case {
    const char* line;
    TKind kind;
    bool wellFormed;
    int col, row, width;
    const char* text;
  };
  const Case cases[] = {
      {"1,2,text", TKind::kCell, true, 1, 2, 0, "text"},
      {"2,1,ok,", TKind::kCell, true, 2, 1, 0, "ok,"},
      {"1,2,", TKind::kCell, true, 1, 2, 0, ""},
      {" 3, 4,x", TKind::kCell, true, 3, 4, 0, "x"},
      {"$1F,0x2,hex", TKind::kCell, true, 31, 2, 0, "hex"},
      {"-1,1,out of range is the reader's business", TKind::kCell, true, -1, 1, 0,
       "out of range is the reader's business"},
      {"1234567890,1,long number", TKind::kCell, true, 1234567890, 1, 0, "long number"},
      {"no commas", TKind::kCell, false, 0, 0, 0, ""},
      {"1,5", TKind::kCell, false, 1, 5, 0, ""},
      {",1,x", TKind::kCell, false, 0, 1, 0, ""},
      {"1,,y", TKind::kCell, false, 1, 0, 0, ""},
      {"", TKind::kCell, false, 0, 0, 0, ""},
      {"cW 1,5", TKind::kCell, false, 0, 5, 0, ""},
      {"cw 2,77", TKind::kWidth, true, 2, 0, 77, ""},
      {"cw 1,-5", TKind::kWidth, true, 1, 0, -5, ""},
      {"cw 1,", TKind::kWidth, true, 1, 0, 0, ""},
      {"cw", TKind::kWidth, false, 0, 0, 0, ""},
      {"cw x,5", TKind::kWidth, false, 0, 0, 5, ""},
      {"cw1,5", TKind::kWidth, false, 0, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const TTableFileLine parsed = ParseTableFileLine(c.line);
    EXPECT_EQ(parsed.kind, c.kind);
    EXPECT_EQ(parsed.wellFormed, c.wellFormed);
    if (c.wellFormed || c.kind == TKind::kCell) {
      EXPECT_EQ(parsed.col, c.col);
    }
    if (c.kind == TKind::kCell) {
      EXPECT_EQ(parsed.row, c.row);  // a skipped cell line still reports its row's progress
    } else if (c.wellFormed) {
      EXPECT_EQ(parsed.width, c.width);
    }
    EXPECT_EQ(parsed.text, c.text);
  }
}

TEST(TableFileTest, NumberFieldRule) {
  struct Case {
    const char* field;
    int value;
    bool hasDigits;
    bool wholeField;
  };
  const Case cases[] = {
      {"12", 12, true, true},
      {" 12", 12, true, true},
      {"-3", -3, true, true},
      {"7 ", 7, true, false},
      {"-3x", 3, true, false},
      {"$1F", 31, true, true},
      {"abc", 0, false, false},
      {"", 0, false, false},
      {"0x1f", 31, true, true},
      {"X10", 16, true, true},
      {"-0x10", -16, true, true},
      {"+5", 5, true, true},
      {"- 3", 0, false, false},
      {"0x", 0, false, false},
      {"0", 0, true, true},
      {"\xEF\xBB\xBF"
       "5",
       0, false, false},
      {"99999999999", 2147483647, true, true},
      {"-99999999999", -2147483647 - 1, true, true},
      {"-99999999999 ", 2147483647, true, false},
      {"$FFFFFFFFFFFFFFFFFFFF", 2147483647, true, true},
  };
  for (const Case& c : cases) {
    const TTableFileNumber number = ParseTableFileNumber(c.field);
    EXPECT_EQ(number.value, c.value) << '"' << c.field << '"';
    EXPECT_EQ(number.hasDigits, c.hasDigits) << '"' << c.field << '"';
    EXPECT_EQ(number.wholeField, c.wholeField) << '"' << c.field << '"';
  }
}

TEST(TableFileTest, LineBreakCheck) {
  struct Case {
    std::string text;
    bool breaks;
  };
  const Case cases[] = {
      {"", false}, {"abc", false}, {"a\tb\b", false}, {"a\rb", true}, {"a\nb", true}, {"\r\n", true},
  };
  for (const Case& c : cases) EXPECT_EQ(HoldsLineBreak(c.text), c.breaks) << c.text;
}

TEST(TableFileTest, LineBreakMapping) {
  struct Case {
    std::string text;
    std::string encoded;
  };
  const Case cases[] = {
      {"a\r\nb", "a\t\bb"},
      {"a\nb", "a\bb"},          // a LF alone is mapped too, so it cannot split the line
      {"a\tb", "a\tb"},          // a tab without line break stays
      {"a\t\r\nb", "a\t\t\bb"},  // with a line break the tab comes back as CR
      {"\xD6\xD0,\"q\" ", "\xD6\xD0,\"q\" "},
  };
  for (const Case& c : cases) {
    std::string encoded;
    AppendEncodedCellText(encoded, c.text);
    EXPECT_EQ(encoded, c.encoded);
    std::string decoded;
    AppendDecodedCellText(decoded, encoded);
    EXPECT_EQ(decoded, c.text.find_first_of("\r\n") != std::string::npos && c.text.find('\t') != std::string::npos
                           ? std::string("a\r\r\nb")
                           : c.text);
  }
}

std::vector<std::string> SplitLines(const std::string& bytes, std::size_t bufferSize) {
  std::size_t offset = 0;
  TTableFileLines lines(
      [&](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min<std::size_t>({capacity, bytes.size() - offset, 7});
        std::memcpy(buffer, bytes.data() + offset, n);
        offset += n;
        return n;
      },
      bufferSize);
  std::vector<std::string> result;
  std::string_view line;
  while (lines.Next(line)) result.emplace_back(line);
  return result;
}

TEST(TableFileTest, LineRule) {
  using Lines = std::vector<std::string>;
  struct Case {
    const char* name;
    std::string bytes;
    Lines lines;
  };
  const std::string longLine(100, 'x');
  const Case cases[] = {
      {"crlf", "a\r\nb\r\n", {"a", "b"}},
      {"lf only and no final end", "a\nb", {"a", "b"}},
      {"lone cr dropped", "a\rb\r\nc\r", {"ab", "c"}},
      {"empty lines kept", "\r\n\r\nx", {"", "", "x"}},
      {"ctrl-z ends a line",
       "ab\x1a"
       "cd\r\nef",
       {"ab", "ef"}},
      {"ctrl-z at a line start ends the file",
       "a\r\n\x1a"
       "b\r\nc",
       {"a"}},
      {"ctrl-z first byte",
       "\x1a"
       "5,3\r\nx",
       {"", "x"}},
      {"line longer than the buffer", longLine + "\r\n" + longLine, {longLine, longLine}},
      {"empty file", "", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitLines(c.bytes, 16), c.lines) << c.name;
    EXPECT_EQ(SplitLines(c.bytes, 4096), c.lines) << c.name;
  }
}

}  // namespace
}  // namespace metrazil
