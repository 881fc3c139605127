#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "grid/file/TableFileEncoding.h"
#include "grid/file/Utf8ToGb18030.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;

const char* Name(TTextEncoding encoding) {
  switch (encoding) {
    case TTextEncoding::kAscii:
      return "ASCII";
    case TTextEncoding::kUtf8:
      return "UTF-8";
    case TTextEncoding::kOther8Bit:
      return "other 8-bit";
  }
  return "?";
}

TTextEncoding Classify(std::string_view bytes) {
  TTableFileEncoding encoding;
  encoding.Feed(bytes);
  return encoding.Result();
}

// Through the system's converter, as the test's independent reference.
std::string Convert(const std::string& bytes, const char* from, const char* to) {
  const iconv_t converter = iconv_open(to, from);
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  const std::size_t result = iconv(converter, &in, &inLeft, &o, &outLeft);
  iconv_close(converter);
  EXPECT_NE(result, static_cast<std::size_t>(-1)) << "no " << to << " form";
  out.resize(out.size() - outLeft);
  return out;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kBom = "\xEF\xBB\xBF";

struct EncodingCase {
  const char* name;
  std::string bytes;
  TTextEncoding expected;
};

// A cell line around a text, as the classifier meets texts in a file.
std::string Cell(const std::string& text) { return "0,1," + text + "\r\n"; }
// A UTF-8 line that no GB18030 text can be, so what follows is checked as UTF-8 alone.
const std::string kUtf8Before = Cell("\xE7\xB1\xB3");

const std::vector<EncodingCase>& EncodingCases() {
  static const std::vector<EncodingCase> cases = {
      {"empty file", "", TTextEncoding::kAscii},
      {"ASCII", "5,3\r\ncw 0,64\r\n0,0,Name\r\n", TTextEncoding::kAscii},
      {"byte-order mark only", kBom, TTextEncoding::kAscii},
      {"byte-order mark and ASCII", kBom + "2,2\r\n0,0,a\r\n", TTextEncoding::kAscii},
      {"file cut inside a byte-order mark", "\xEF\xBB", TTextEncoding::kOther8Bit},
      {"mark's first bytes before ASCII",
       "\xEF\xBB"
       "5,3\r\n",
       TTextEncoding::kOther8Bit},
      // 米 is three bytes: a run of an odd number of them cannot pair up as GB18030.
      {"UTF-8 Chinese", "2,2\r\n" + Cell("\xE7\xB1\xB3"), TTextEncoding::kUtf8},
      {"UTF-8 Chinese with a mark", kBom + "2,2\r\n" + Cell("\xE7\xB1\xB3"), TTextEncoding::kUtf8},
      {"UTF-8 Latin accents beside Chinese", Cell("caf\xC3\xA9") + Cell("\xE7\xB1\xB3"), TTextEncoding::kUtf8},
      {"UTF-8 fullwidth parenthesis",
       Cell("\xEF\xBC\x88"
            "1"),
       TTextEncoding::kUtf8},
      {"UTF-8 four-byte character", Cell("\xF0\xA0\x80\x80"), TTextEncoding::kUtf8},
      // UTF-8 公斤 reads as three GB18030 characters, none a common hanzi; UTF-8 阿纳 as two common ones
      // (跨 and 撼) of three, and é as one (茅): those stay bytes unless a mark says UTF-8.
      {"UTF-8 that is GB18030 of rare characters", Cell("\xE5\x85\xAC\xE6\x96\xA4"), TTextEncoding::kUtf8},
      {"UTF-8 that is GB18030 of common hanzi", Cell("\xE9\x98\xBF\xE7\xBA\xB3"), TTextEncoding::kOther8Bit},
      {"the same with a mark", kBom + Cell("\xE9\x98\xBF\xE7\xBA\xB3"), TTextEncoding::kUtf8},
      {"UTF-8 Latin accents alone", Cell("caf\xC3\xA9"), TTextEncoding::kOther8Bit},
      {"UTF-8 Latin accents with a mark", kBom + Cell("caf\xC3\xA9"), TTextEncoding::kUtf8},
      {"UTF-8 Latin accent GB18030 has no common hanzi for", Cell("voil\xC3\xA0"), TTextEncoding::kUtf8},
      // GBK 一为 (two-byte UTF-8), 洹颁啊 (three-byte UTF-8) and 稹啊 (a four-byte UTF-8 character): rare
      // characters in the last two, common ones at least half.
      {"GBK valid as two-byte UTF-8", Cell("\xD2\xBB\xCE\xAA"), TTextEncoding::kOther8Bit},
      {"GBK valid as three-byte UTF-8", Cell("\xE4\xA1\xB0\xE4\xB0\xA1"), TTextEncoding::kOther8Bit},
      {"GBK valid as four-byte UTF-8", Cell("\xF0\xA1\xB0\xA1"), TTextEncoding::kOther8Bit},
      {"GBK not valid UTF-8", Cell("\xD6\xD0\xCE\xC4"), TTextEncoding::kOther8Bit},
      {"GBK after a mark", kBom + Cell("\xD6\xD0\xCE\xC4"), TTextEncoding::kOther8Bit},
      {"GB18030 four-byte characters", Cell("\x81\x30\x86\x38\x95\x32\x82\x36"), TTextEncoding::kOther8Bit},
      {"overlong slash, two bytes", kUtf8Before + Cell("\xC0\xAFtail"), TTextEncoding::kOther8Bit},
      {"overlong slash, three bytes", kUtf8Before + Cell("\xE0\x80\xAFtail"), TTextEncoding::kOther8Bit},
      {"overlong slash, four bytes", kUtf8Before + Cell("\xF0\x80\x80\xAFtail"), TTextEncoding::kOther8Bit},
      {"surrogate", kUtf8Before + Cell("\xED\xA0\x80tail"), TTextEncoding::kOther8Bit},
      {"past U+10FFFF", kUtf8Before + Cell("\xF4\x90\x80\x80tail"), TTextEncoding::kOther8Bit},
      {"stray continuation byte", kUtf8Before + Cell("\x80tail"), TTextEncoding::kOther8Bit},
      {"character cut at the file's end", Cell("\xE7\xB1\xB3") + "0,2,\xE7\xB1", TTextEncoding::kOther8Bit},
      {"character cut by a line end", Cell("\xE7\xB1") + Cell("\xB3"), TTextEncoding::kOther8Bit},
      {"private use GB18030 has no code for", kBom + Cell("\xEE\x9E\x8D"), TTextEncoding::kOther8Bit},
      {"the same after other UTF-8", kUtf8Before + Cell("\xEE\xA1\xA4 tail"), TTextEncoding::kOther8Bit},
      {"private use GB18030 holds", kBom + Cell("\xEE\x80\x80"), TTextEncoding::kUtf8},
  };
  return cases;
}

TEST(TableFileEncodingTest, ClassifiesWholeFiles) {
  for (const EncodingCase& c : EncodingCases()) {
    EXPECT_STREQ(Name(Classify(c.bytes)), Name(c.expected)) << c.name;
  }
}

TEST(TableFileEncodingTest, BufferBoundariesDoNotMatter) {
  for (const EncodingCase& c : EncodingCases()) {
    for (std::size_t cut = 0; cut <= c.bytes.size(); ++cut) {
      TTableFileEncoding encoding;
      encoding.Feed(std::string_view(c.bytes).substr(0, cut));
      encoding.Feed(std::string_view(c.bytes).substr(cut));
      EXPECT_STREQ(Name(encoding.Result()), Name(c.expected)) << c.name << ", cut at " << cut;
    }
    TTableFileEncoding byBytes;
    for (const char byte : c.bytes) byBytes.Feed(std::string_view(&byte, 1));
    EXPECT_STREQ(Name(byBytes.Result()), Name(c.expected)) << c.name << ", byte by byte";
    EXPECT_EQ(byBytes.HasByteOrderMark(), c.bytes.starts_with(kBom)) << c.name;
  }
}

TEST(TableFileEncodingTest, DecidedOnlyWhenNoLaterByteCanChangeTheResult) {
  TTableFileEncoding encoding;
  encoding.Feed(Cell("\xE7\xB1\xB3"));
  EXPECT_FALSE(encoding.Decided());
  EXPECT_EQ(encoding.Result(), TTextEncoding::kUtf8);
  encoding.Feed(Cell("\xD6\xD0\xCE\xC4"));  // GBK late in the file
  EXPECT_TRUE(encoding.Decided());
  encoding.Feed(Cell("\xE7\xB1\xB3"));
  EXPECT_EQ(encoding.Result(), TTextEncoding::kOther8Bit);
}

TEST(TableFileEncodingTest, ByteOrderMarkLength) {
  EXPECT_EQ(Utf8ByteOrderMarkLength(kBom + "5,3"), 3u);
  EXPECT_EQ(Utf8ByteOrderMarkLength(kBom), 3u);
  EXPECT_EQ(Utf8ByteOrderMarkLength("\xEF\xBB"), 0u);
  EXPECT_EQ(Utf8ByteOrderMarkLength("5,3" + kBom), 0u);
  EXPECT_EQ(Utf8ByteOrderMarkLength(""), 0u);
}

// The sample tables and every table file among the tests are GB18030 or ASCII; saved as UTF-8 by an
// editor, the samples are recognised and convert back to their own bytes.
TEST(TableFileEncodingTest, SampleAndTestTables) {
  const fs::path source = METRAZIL_SOURCE_DIR;
  std::vector<fs::path> tables;
  for (const char* folder : {"examples", "tests"}) {
    for (const auto& entry : fs::recursive_directory_iterator(source / folder)) {
      if (entry.is_regular_file() && entry.path().extension() == ".dat") tables.push_back(entry.path());
    }
  }
  ASSERT_GE(tables.size(), 5u);
  TUtf8ToGb18030 converter;
  for (const fs::path& path : tables) {
    const std::string bytes = ReadFile(path);
    EXPECT_NE(Classify(bytes), TTextEncoding::kUtf8) << path;
    if (path.parent_path().filename() != "examples") continue;
    const std::string utf8 = Convert(bytes, "GB18030", "UTF-8");
    EXPECT_EQ(Classify(utf8), TTextEncoding::kUtf8) << path;
    std::string back;
    converter.Append(back, utf8);
    EXPECT_EQ(back, bytes) << path;
  }
}

TEST(Utf8ToGb18030Test, ConvertsTexts) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string gb18030;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"ASCII", "Wire, 2 core", "Wire, 2 core"},
      {"Chinese", "\xE7\xB1\xB3 \xE5\x85\xAC\xE6\x96\xA4", "\xC3\xD7 \xB9\xAB\xBD\xEF"},
      {"Latin accent", "caf\xC3\xA9", "caf\xA8\xA6"},
      {"fullwidth parenthesis", "\xEF\xBC\x88", "\xA3\xA8"},
      {"four GB18030 bytes for two UTF-8 ones", "\xC2\x80", "\x81\x30\x81\x30"},
      {"beyond the BMP", "\xF0\xA0\x80\x80", "\x95\x32\x82\x36"},
      {"private use", "\xEE\x80\x80", "\xAA\xA1"},
  };
  TUtf8ToGb18030 converter;
  std::string out;
  for (const Case& c : cases) {
    out = "kept";
    converter.Append(out, c.utf8);
    EXPECT_EQ(out, "kept" + c.gb18030) << c.name;
  }
}

TEST(Utf8ToGb18030Test, RefusesWhatTheClassifierRefuses) {
  TUtf8ToGb18030 converter;
  for (const std::string bad : {"a\xD6\xD0\xCE\xC4", "a\xE7\xB1", "\xEE\x9E\x8D"}) {
    std::string out = "kept";
    EXPECT_THROW(converter.Append(out, bad), EConvertError);
    EXPECT_EQ(out, "kept");
  }
  std::string out;
  converter.Append(out, "\xE7\xB1\xB3");  // the converter works on after a refusal
  EXPECT_EQ(out, "\xC3\xD7");
}

std::string Utf8Of(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

// Every character of a file classified UTF-8 converts, and comes back through the system's converter as
// it was; every character the classifier refuses is one the converter cannot take.
TEST(Utf8ToGb18030Test, EveryCodePointTheClassifierTakesConverts) {
  TUtf8ToGb18030 converter;
  std::string all;
  std::string out;
  int refused = 0;
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string utf8 = Utf8Of(c);
    if (Classify(kBom + utf8) == TTextEncoding::kUtf8) {
      all += utf8;
      continue;
    }
    ++refused;
    out.clear();
    EXPECT_THROW(converter.Append(out, utf8), EConvertError) << std::hex << static_cast<unsigned>(c);
  }
  EXPECT_EQ(refused, 24);
  std::string gb18030;
  converter.Append(gb18030, all);
  EXPECT_EQ(Convert(gb18030, "GB18030", "UTF-8"), all);
}

}  // namespace
}  // namespace metrazil
