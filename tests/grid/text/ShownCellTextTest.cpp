#include <gtest/gtest.h>

#include <string>

#include "grid/text/ShownCellText.h"

namespace metrazil {
namespace {

std::u16string Latin1(std::string_view bytes) {
  std::u16string units;
  for (char c : bytes) units.push_back(static_cast<unsigned char>(c));
  return units;
}

std::string Repeat(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

TEST(ShownCellText, EachKindShowsWhatIsPainted) {
  struct Case {
    const char* name;
    std::string cell;
    TCellTextKind kind;
    std::string bytes;
    std::u16string units;
  } cases[] = {
      {"plain", "12.5", TCellTextKind::kPlain, "12.5", u""},
      {"leading equals keeps its tags", "=<B>x</B>", TCellTextKind::kPlain, "=<B>x</B>", u""},
      {"wide text decoded", "|\\N-e\x87", TCellTextKind::kWide, "", u"\u4e2d\u6587"},
      {"rich text read", "{\\rtf1\\ansi Rich\\par}", TCellTextKind::kRich, "", u"Rich\n"},
      {"markup laid out as a document", "<B>X1</B>", TCellTextKind::kMarkup, "<B>X1</B>", u""},
      {"deep markup shown as it stands", Repeat("<div>", kMaxMarkupDepth + 1) + "x</div>", TCellTextKind::kPlain,
       Repeat("<div>", kMaxMarkupDepth + 1) + "x</div>", u""},
  };
  for (const Case& c : cases) {
    const TShownCellText shown = ShownCellText(c.cell, 100000, Latin1);
    EXPECT_EQ(shown.kind, c.kind) << c.name;
    EXPECT_EQ(shown.bytes, c.bytes) << c.name;
    EXPECT_EQ(shown.units, c.units) << c.name;
  }
}

TEST(ShownCellText, PlainTextIsNeitherCopiedNorConverted) {
  const std::string cell = "\xd6\xd0\xce\xc4 plain";
  bool decoded = false;
  const TShownCellText shown = ShownCellText(cell, 100, [&decoded](std::string_view bytes) {
    decoded = true;
    return Latin1(bytes);
  });
  EXPECT_EQ(shown.bytes.data(), cell.data());
  EXPECT_EQ(shown.bytes.size(), cell.size());
  EXPECT_FALSE(decoded);
}

TEST(ShownCellText, KeepsThePaintersBounds) {
  // Characters, not bytes: two double-byte characters and one of four bytes.
  EXPECT_EQ(ShownCellText("\xd6\xd0\xce\xc4\x81\x30\x81\x30z", 3, Latin1).bytes, "\xd6\xd0\xce\xc4\x81\x30\x81\x30");
  // A lead byte before a blank is a character of its own; the blank is the second.
  EXPECT_EQ(ShownCellText("\x81 x", 2, Latin1).bytes, "\x81 ");
  EXPECT_EQ(ShownCellText("|\\N-e\x87", 1, Latin1).units, u"\u4e2d");
  EXPECT_EQ(ShownCellText("{\\rtf1 abcdef}", 4, Latin1).units, u"abcd");
  // A rich text is read from its first bytes only, as painting reads it.
  const std::string lateRich = "{\\rtf1 " + std::string(kMaxRichTextBytes, ' ') + "late}";
  EXPECT_EQ(ShownCellText(lateRich, 100000, Latin1).units.find(u"late"), std::u16string::npos);
  // Markup is laid out from as many bytes as painting lays out.
  const std::string longMarkup = "<B>" + std::string(kMaxMarkupBytes * 2, 'x') + "</B>";
  const TShownCellText markup = ShownCellText(longMarkup, 10, Latin1);
  EXPECT_EQ(markup.kind, TCellTextKind::kMarkup);
  EXPECT_EQ(markup.bytes.size(), MarkupBytesShown(10));
}

TEST(ShownCellText, CodePagePrefixCountsCharacters) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t maxChars;
    std::size_t prefix;
  } cases[] = {
      {"ascii", "abc", 2, 2},
      {"double-byte", "\xd6\xd0\xce\xc4", 1, 2},
      {"four-byte", "\x81\x30\x81\x30z", 1, 4},
      {"stray bytes count one each",
       "\x80\xff"
       "a",
       2, 2},
      {"lead byte at the end", "a\xd6", 2, 2},
      {"four-byte cut short: the lead byte alone", "\x81\x30", 1, 1},
      {"lead byte before a byte that is no trail", "\x81 x", 2, 2},
      {"lead byte before a comma", "\x81,\xd6\xd0", 3, 4},
      {"no limit", "\xd6\xd0", 5, 2},
      {"nothing", "abc", 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CodePagePrefix(c.bytes, c.maxChars).size(), c.prefix) << c.name;
}

}  // namespace
}  // namespace metrazil
