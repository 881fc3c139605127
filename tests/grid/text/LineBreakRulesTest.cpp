#include <gtest/gtest.h>

#include <string>

#include "grid/text/LineBreakRules.h"

namespace metrazil {
namespace {

// A Latin character is one unit wide, anything from Hangul Jamo up (CJK, surrogates) two.
double Width(std::u16string_view text, std::size_t n) {
  double width = 0;
  for (std::size_t i = 0; i < n; ++i) width += text[i] >= 0x1100 ? 2 : 1;
  return width;
}

std::u16string FirstLine(std::u16string_view text, double width) {
  return std::u16string(text.substr(0, FirstLineLength(text, width, [text](std::size_t n) { return Width(text, n); })));
}

TEST(LineBreakRules, FirstLineNeverCutsAWord) {
  struct Case {
    const char* name;
    std::u16string text;
    double width;
    std::u16string firstLine;
  } cases[] = {
      {"number that fits", u"0.00811126712", 20, u"0.00811126712"},
      {"number wider than the cell stays whole", u"0.00811126712", 5, u"0.00811126712"},
      {"number wider than the cell, then its unit", u"0.00811126712 kg", 5, u"0.00811126712 "},
      {"thousands separator", u"1,000 kg", 3, u"1,000 "},
      {"Latin words break at blanks", u"steel bar round", 10, u"steel bar "},
      {"tab is a blank", u"a\tb", 1, u"a\t"},
      {"leading blanks stay with the first word", u"  0.008 kg", 3, u"  0.008 "},
      {"code", u"HRB400 \u94a2\u7b4b", 4, u"HRB400 "},
      {"code before Chinese", u"HRB400\u94a2\u7b4b", 7, u"HRB400"},
      {"Chinese between characters", u"\u87ba\u7eb9\u94a2\u7b4b", 5, u"\u87ba\u7eb9"},
      {"Chinese then a number", u"\u76f4\u5f8412\u6beb\u7c73", 7, u"\u76f4\u5f8412"},
      {"a number in Chinese is not cut", u"\u76f4\u5f8412\u6beb\u7c73", 5, u"\u76f4\u5f84"},
      {"no line starts with a comma", u"\u94a2\u7b4b\uff0c\u76f4\u5f84", 5, u"\u94a2"},
      {"an opening bracket goes with what follows", u"\u94a2\u7b4b\uff08HPB300\uff09", 7, u"\u94a2\u7b4b"},
      {"fullwidth digits are a number", u"\u94a2\uff11\uff12\uff0e\uff15", 6, u"\u94a2"},
      {"a character beyond the first plane stays whole", u"\U00020000\U00020001", 2, u"\U00020000"},
      {"blanks only", u"   ", 1, u"   "},
      {"empty", u"", 5, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstLine(c.text, c.width), c.firstLine) << c.name;
}

TEST(LineBreakRules, BreaksBetweenCharacters) {
  struct Case {
    const char* name;
    std::u16string text;
    std::size_t index;
    bool mayBreak;
  } cases[] = {
      {"inside a word", u"ab", 1, false},
      {"after a blank", u"a b", 2, true},
      {"before a blank", u"a b", 1, false},
      {"between ideographs", u"\u94a2\u7b4b", 1, true},
      {"before a combining mark", u"\u94a2\u0301", 1, false},
      {"inside a surrogate pair", u"\u94a2\U00020000", 2, false},
      {"before a surrogate pair", u"\u94a2\U00020000", 1, true},
      {"after an opening bracket", u"(\u94a2", 1, false},
      {"after a zero-width joiner", u"\U0001F468\u200D\U0001F469", 3, false},
      {"before a closing full stop", u"\u94a2\u3002", 1, false},
      {"after a closing full stop", u"\u3002a", 1, true},
      {"at the ends", u"ab", 0, false},
  };
  for (const Case& c : cases) EXPECT_EQ(MayBreakBefore(c.text, c.index), c.mayBreak) << c.name;
}

TEST(LineBreakRules, ParagraphsEndAtSeparators) {
  const std::u16string text = u"ab\u2028c\u2029";
  EXPECT_EQ(ParagraphEnd(text, 0), 2u);
  EXPECT_EQ(ParagraphEnd(text, 3), 4u);
  EXPECT_EQ(ParagraphEnd(text, 5), 5u);
  EXPECT_EQ(ParagraphEnd(text, 9), 5u);
}

// Measuring is the costly part of a layout: a long text is measured a few times, not once per break.
TEST(LineBreakRules, MeasuresALongTextAFewTimes) {
  const std::u16string text(100000, u'\u94a2');
  int calls = 0;
  const std::size_t length = FirstLineLength(text, 51, [&](std::size_t n) {
    ++calls;
    return Width(text, n);
  });
  EXPECT_EQ(length, 25u);
  EXPECT_LE(calls, 20);
}

}  // namespace
}  // namespace metrazil
