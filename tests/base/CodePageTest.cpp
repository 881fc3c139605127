#include <gtest/gtest.h>

#include <string>

#include "base/CodePage.h"

namespace metrazil {
namespace {

TEST(CodePageTest, CharacterLengths) {
  struct Case {
    const char* name;
    std::string text;
    std::size_t length;  // of the character at 0
    bool endsInside;     // whether the text stops inside a character
  };
  const Case cases[] = {
      {"ascii", "a", 1, false},
      {"two bytes", "\xd6\xd0", 2, false},
      {"highest lead and trail", "\xfe\xfe", 2, false},
      {"lead before a blank: two characters", "\x81 ", 1, false},
      {"lead before a comma", "\x81,", 1, false},
      {"lead before 0x7F", "\x81\x7f", 1, false},
      {"lead before 0xFF", "\x81\xff", 1, false},
      {"0x80 and 0xFF lead nothing", "\x80\x40", 1, false},
      {"0xFF", "\xff\x40", 1, false},
      {"four bytes", "\x81\x30\x81\x30", 4, false},
      {"four-byte form with a blank third", "\x81\x30 \x30", 1, false},
      {"four-byte form with a letter fourth: lead, digit, two bytes", "\x81\x30\x81\x41", 1, false},
      {"lead at the end", "a\xd6", 1, true},
      {"four bytes cut after two", "\x81\x30", 1, true},
      {"four bytes cut after three", "\x81\x30\x81", 1, true},
      {"lead, digit, blank: whole", "\x81\x30 ", 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CharLengthAt(c.text, 0), c.length) << c.name;
    EXPECT_EQ(EndsInsideCharacter(c.text), c.endsInside) << c.name;
  }
}

TEST(CodePageTest, UpperCasesAsciiLettersOnlyAndWholeCharacters) {
  struct Case {
    const char* name;
    std::string text;
    std::string upper;
  };
  const Case cases[] = {
      {"ascii", "abc xyz-09", "ABC XYZ-09"},
      {"two-byte trail looks like a letter", "\xD2\x61z", "\xD2\x61Z"},
      {"four-byte character", "\x81\x30\x81\x61q", "\x81\x30\x81\x61Q"},
      {"stray lead byte at the end", "a\xD2", "A\xD2"},
      {"lead byte before a control byte", std::string("\xD2\n") + "a", std::string("\xD2\n") + "A"},
      {"single 0x80 and 0xFF",
       "\x80"
       "a\xFF"
       "b",
       "\x80"
       "A\xFF"
       "B"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AnsiUpperCase(c.text), c.upper) << c.name;
    EXPECT_TRUE(AnsiUpperCaseEquals(c.text, c.upper)) << c.name;
  }
  EXPECT_FALSE(AnsiUpperCaseEquals("\xD2\x61", "\xD2\x41"));
  EXPECT_FALSE(AnsiUpperCaseEquals("ab", "AB "));
  EXPECT_FALSE(AnsiUpperCaseEquals("ab", "Ab"));
}

}  // namespace
}  // namespace metrazil
