#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace metrazil {

enum class TTextEncoding {
  kAscii,      // no byte above 0x7F past a byte-order mark
  kUtf8,       // to be converted to GB18030 on reading
  kOther8Bit,  // taken as the table's own GB18030, byte for byte
};

// The length of a UTF-8 byte-order mark (EF BB BF) at the start of `fileStart`: 3, or 0 when there is none.
// No count line starts with one, so the reader skips it whatever the file's encoding.
std::size_t Utf8ByteOrderMarkLength(std::string_view fileStart);

// Tells a table file's encoding from its bytes, fed in buffers as they are read; a character may be split
// between buffers, and a byte-order mark at the very start is skipped. A file is UTF-8 when it is valid
// UTF-8 with a non-ASCII byte and it starts with a byte-order mark, or is not valid GB18030, or read as
// GB18030 has fewer than half of its multi-byte characters among the common hanzi (GB2312 level 1, rows
// B0..D7), which make up most of real GBK text (itself often valid UTF-8 by chance) and little of UTF-8.
// Text GB18030 cannot hold (24 private-use code points the system's converter has no code for) is not
// taken for UTF-8, so a file classified UTF-8 always converts.
class TTableFileEncoding {
 public:
  void Feed(std::string_view bytes);
  // Whether the result is final: then the rest of the file need not be fed.
  bool Decided() const { return !utf8Valid_; }
  // The encoding of the bytes fed so far, taken as the whole file (a character cut at the end is invalid).
  TTextEncoding Result() const;
  bool HasByteOrderMark() const { return bomMatched_ == kBomLength; }

 private:
  static constexpr int kBomLength = 3;

  void FeedBody(const unsigned char* p, const unsigned char* end);
  const unsigned char* SkipUtf8(const unsigned char* p, const unsigned char* end);
  void StepUtf8(unsigned char byte);
  void StepGb18030(unsigned char byte);

  // Leading bytes that matched the byte-order mark so far; fed as text once a byte differs.
  int bomMatched_ = 0;
  bool bomDecided_ = false;
  bool nonAscii_ = false;
  bool utf8Valid_ = true;
  // Continuation bytes still due in the current UTF-8 character, the range the next one must lie in, and
  // the code point so far.
  int utf8Need_ = 0;
  unsigned char utf8Low_ = 0x80;
  unsigned char utf8High_ = 0xBF;
  char32_t codePoint_ = 0;
  bool gbValid_ = true;
  // Bytes of the current GB18030 character seen so far (0 between characters), its first byte, and the
  // multi-byte characters so far with those among the common hanzi.
  int gbSeen_ = 0;
  unsigned char gbLead_ = 0;
  std::uint64_t gbMultiByte_ = 0;
  std::uint64_t gbCommonHanzi_ = 0;
};

}  // namespace metrazil
