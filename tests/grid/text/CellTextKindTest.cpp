#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "grid/text/CellTextKind.h"
#include "grid/text/RichTextReader.h"

namespace metrazil {
namespace {

TEST(CellTextKind, ClassifiesInTheSpecifiedOrder) {
  struct Case {
    const char* text;
    TCellTextKind kind;
  } cases[] = {
      {"", TCellTextKind::kPlain},          {"a", TCellTextKind::kPlain},
      {"=<B>x</B>", TCellTextKind::kPlain},  // "=" wins over markup
      {"|\\a=", TCellTextKind::kPlain},      // fourth character "="
      {"|\\", TCellTextKind::kWide},         // the appended blank is the fourth character
      {"|\\ab", TCellTextKind::kWide},      {"{\\rtf1 x}", TCellTextKind::kRich},
      {"a</b", TCellTextKind::kMarkup},     {"<B>x", TCellTextKind::kMarkup},
      {"<I>x", TCellTextKind::kMarkup},     {"<b>x", TCellTextKind::kPlain},  // capital B and I only
      {"1<2", TCellTextKind::kPlain},       {"{rtf", TCellTextKind::kPlain},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyCellText(c.text), c.kind) << c.text;
}

TEST(CellTextKind, WideTextTakesBytePairsHighByteFirst) {
  EXPECT_EQ(DecodeWideText("|\\\x4f\x60\x59\x7d"), u"\u4f60\u597d");  // the appended blank is an odd last byte
  EXPECT_EQ(DecodeWideText("|\\\x4f\x60\x59"), u"\u4f60\u5920");      // the blank completes the pair
}

TEST(CellTextKind, WideTextStopsAtTheLimit) {
  EXPECT_EQ(DecodeWideText("|\\\x4f\x60\x59\x7d", 1), u"\u4f60");
  EXPECT_EQ(DecodeWideText("|\\", 5), u"");
}

TEST(CellTextKind, MarkupIsLaidOutOnlyWhileItNestsShallowly) {
  const auto repeat = [](std::string_view piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
  };
  struct Case {
    std::string name;
    std::string markup;
    bool shallow;
  } cases[] = {
      {"plain markup", "<B>bold</B> <I>it</I><BR><img src=x>", true},
      {"deepest allowed", repeat("<B>", kMaxMarkupDepth) + "x", true},
      {"one deeper", repeat("<B>", kMaxMarkupDepth + 1) + "x", false},
      {"closed siblings never nest", repeat("<B>x</B>", 1000), true},
      {"rows and cells do not count", "<table>" + repeat("<tr><td>x", 500) + "</table>", true},
      {"tables allowed", repeat("<table><tr><td>", kMaxMarkupTableDepth), true},
      {"one table deeper", repeat("<table><tr><td>", kMaxMarkupTableDepth + 1), false},
      {"closing cells do not close tables", repeat("<table><tr><td></td></tr>", kMaxMarkupTableDepth + 1), false},
      {"900 tables", repeat("<table><tr><td>", 900) + "x" + repeat("</td></tr></table>", 900), false},
      {"self-closing", repeat("<span/>", 100), true},
      {"no closing bracket", repeat("<a", 5000), false},
      {"stray brackets", repeat("< <1 </ >", 100), true},
  };
  for (const Case& c : cases) EXPECT_EQ(MarkupNestsShallowly(c.markup), c.shallow) << c.name;
}

TEST(CellTextKind, PaintingBoundsFollowTheRectangle) {
  EXPECT_EQ(VisibleCharLimit(0, 20, 15), 0u);
  EXPECT_EQ(VisibleCharLimit(60, 0, 15), 0u);
  EXPECT_EQ(VisibleCharLimit(60, 17, 15), 2u * 61);  // a line and the part of one below it
  EXPECT_EQ(VisibleCharLimit(60, 17, 0), 18u * 61);
  EXPECT_EQ(VisibleCharLimit(INT32_MAX, INT32_MAX, 1), (std::size_t{INT32_MAX} + 1) * (std::size_t{INT32_MAX} + 1));
  EXPECT_EQ(MarkupBytesShown(10), 80u);
  EXPECT_EQ(MarkupBytesShown(1u << 30), kMaxMarkupBytes);
}

TEST(CellTextKind, MarkupRemovalForTheEditor) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"<B>bold</B> text", "bold text"},
      {"a<br>b<HR>c<Br>", "a\r\nb\r\nc\r\n"},
      {"1<2", "1<2"},                        // no ">" after it: kept with the rest
      {"<A HREF=\"x\">link</A><", "link<"},  // a lone "<" at the end
      {"a>b", "a>b"},
      {"\xc4\xe3<I>\xba\xc3</I>", "\xc4\xe3\xba\xc3"},  // double-byte characters untouched
  };
  for (const Case& c : cases) EXPECT_EQ(RemoveMarkup(c.text), c.expected) << c.text;
}

// The removal done in two passes, as described: line tags first, then every tag of the result.
std::string TwoPassRemoval(std::string_view text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lineTag = text[i] == '<' && i + 3 < text.size() && text[i + 3] == '>' &&
                         (text[i + 1] == 'B' || text[i + 1] == 'b' || text[i + 1] == 'H' || text[i + 1] == 'h') &&
                         (text[i + 2] == 'R' || text[i + 2] == 'r');
    if (lineTag) {
      lines += "\r\n";
      i += 3;
    } else {
      lines.push_back(text[i]);
    }
  }
  std::string result;
  std::size_t i = 0;
  for (std::size_t open; (open = lines.find('<', i)) != std::string::npos;) {
    const std::size_t close = lines.find('>', open);
    if (close == std::string::npos) break;
    result.append(lines, i, open - i);
    i = close + 1;
  }
  return result.append(lines, i);
}

TEST(CellTextKind, MarkupRemovalMatchesTwoPassesAndStopsAtTheLimit) {
  std::mt19937 random(7);
  const std::string_view alphabet = "<>BRHbrx/ ";
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 24, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    const std::string expected = TwoPassRemoval(text);
    ASSERT_EQ(RemoveMarkup(text), expected) << text;
    const std::size_t limit = random() % 8;
    ASSERT_EQ(RemoveMarkup(text, limit), expected.substr(0, limit)) << text;
  }
}

std::u16string Latin1(std::string_view bytes) { return std::u16string(bytes.begin(), bytes.end()); }

TEST(RichTextReader, ShowsTheBodyText) {
  struct Case {
    const char* rtf;
    std::u16string expected;
  } cases[] = {
      {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}\\f0 Hello\\par World}",
       u"Hello\nWorld"},
      {"{\\rtf1 a\\tab b\\line c}", u"a\tb\nc"},
      {"{\\rtf1 x{\\*\\generator Foo;}y}", u"xy"},
      {"{\\rtf1 \\u20320?\\u22909?!}", u"\u4f60\u597d!"},  // fallback characters skipped
      {"{\\rtf1\\uc2 \\u-3913\\'3f\\'3fz}", u"\uf0b7z"},   // negative N, two fallback bytes
      {"{\\rtf1 \\{\\}\\\\}", u"{}\\"},
      {"{\\rtf1 \\'41\\'42", u"AB"},  // unbalanced: what can be read
      {"{\\rtf1 cut\\", u"cut"},
      {"}}}{\\", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadRichText(c.rtf, Latin1), c.expected) << c.rtf;
}

TEST(RichTextReader, StopsAtTheLimitAndSharesStateOfDeepGroups) {
  EXPECT_EQ(ReadRichText("{\\rtf1 abc\\par def}", Latin1, 5), u"abc\nd");
  EXPECT_EQ(ReadRichText("{\\rtf1 " + std::string(100000, 'x') + "}", Latin1, 3), u"xxx");
  // Past a few hundred levels, groups share one state; text after them still reads.
  const std::string deep = "{\\rtf1 " + std::string(100000, '{') + "in" + std::string(100000, '}') + "out}";
  EXPECT_EQ(ReadRichText(deep, Latin1), u"inout");
}

TEST(RichTextReader, CodePageBytesAreDecodedTogether) {
  std::string seen;
  auto decode = [&seen](std::string_view bytes) {
    seen += std::string(bytes) + "|";
    return std::u16string(u"*");
  };
  EXPECT_EQ(ReadRichText("{\\rtf1 \\'c4\\'e3\\u22909?\\'ba\\'c3}", decode), u"*\u597d*");
  EXPECT_EQ(seen, "\xc4\xe3|\xba\xc3|");
}

}  // namespace
}  // namespace metrazil
