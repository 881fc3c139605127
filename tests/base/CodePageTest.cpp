#include <gtest/gtest.h>

#include <string>

#include "base/CodePage.h"

namespace metrazil {
namespace {

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
