#include "grid/text/LineBreakRules.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace metrazil {

namespace {

struct TRange {
  char32_t first;
  char32_t last;
};

template <std::size_t N>
bool InRanges(const TRange (&ranges)[N], char32_t c) {
  return std::any_of(std::begin(ranges), std::end(ranges),
                     [c](const TRange& r) { return c >= r.first && c <= r.last; });
}

template <std::size_t N>
bool OneOf(const char32_t (&set)[N], char32_t c) {
  return std::find(std::begin(set), std::end(set), c) != std::end(set);
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xd800 && unit <= 0xdbff; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xdc00 && unit <= 0xdfff; }

char32_t Combine(char16_t high, char16_t low) {
  return 0x10000 + ((static_cast<char32_t>(high) - 0xd800) << 10) + (static_cast<char32_t>(low) - 0xdc00);
}

bool IsBlank(char32_t c) {
  return c == u' ' || c == u'\t' || c == 0x3000 || (c >= 0x2000 && c <= 0x200a && c != 0x2007);
}

// Characters that break on either side, as Chinese text does between its characters: ideographs, kana,
// Hangul, CJK punctuation and symbols, the fullwidth punctuation of Chinese text (not fullwidth letters and
// digits, nor the fullwidth point of a number), emoji.
bool IsWide(char32_t c) {
  static constexpr TRange kWide[] = {
      {0x1100, 0x115f}, {0x2e80, 0x2fff},   {0x3001, 0x33ff},   {0x3400, 0x4dbf}, {0x4e00, 0x9fff},
      {0xa000, 0xa4cf}, {0xac00, 0xd7a3},   {0xf900, 0xfaff},   {0xfe10, 0xfe1f}, {0xfe30, 0xfe6f},
      {0xff5f, 0xff9f}, {0x1f300, 0x1faff}, {0x20000, 0x3fffd},
  };
  static constexpr char32_t kFullwidthPunctuation[] = {0xff01, 0xff08, 0xff09, 0xff0c, 0xff1a, 0xff1b,
                                                       0xff1f, 0xff3b, 0xff3d, 0xff5b, 0xff5d};
  return InRanges(kWide, c) || OneOf(kFullwidthPunctuation, c);
}

// Marks that belong to the character before them.
bool IsCombining(char32_t c) {
  static constexpr TRange kCombining[] = {
      {0x0300, 0x036f}, {0x1ab0, 0x1aff}, {0x1dc0, 0x1dff}, {0x200c, 0x200d},   {0x2060, 0x2060},   {0x20d0, 0x20ff},
      {0x3099, 0x309a}, {0xfe00, 0xfe0f}, {0xfe20, 0xfe2f}, {0x1f3fb, 0x1f3ff}, {0xe0100, 0xe01ef},
  };
  return InRanges(kCombining, c);
}

// Closing punctuation and marks that never start a line.
bool NeverStartsALine(char32_t c) {
  static constexpr char32_t kClosing[] = {
      u')',   u']',   u'}',   u',',   u'.',   u':',   u';',   u'!',   u'?',   u'%',   0x2019, 0x201d, 0x2026,
      0x2030, 0x2103, 0x3001, 0x3002, 0x3005, 0x3009, 0x300b, 0x300d, 0x300f, 0x3011, 0x3015, 0x3017, 0x3019,
      0x301b, 0x301e, 0x301f, 0x303b, 0x309b, 0x309c, 0x309d, 0x309e, 0x30fb, 0x30fc, 0x30fd, 0x30fe, 0xff01,
      0xff05, 0xff09, 0xff0c, 0xff0e, 0xff1a, 0xff1b, 0xff1f, 0xff3d, 0xff5d, 0xff60, 0xff61, 0xff63, 0xff64,
  };
  return OneOf(kClosing, c);
}

// Opening punctuation, and the joiners, that never end a line.
bool NeverEndsALine(char32_t c) {
  static constexpr char32_t kOpening[] = {u'(',   u'[',   u'{',   0x200d, 0x2018, 0x201c, 0x2060, 0x3008,
                                          0x300a, 0x300c, 0x300e, 0x3010, 0x3014, 0x3016, 0x3018, 0x301a,
                                          0x301d, 0xff08, 0xff3b, 0xff5b, 0xff5f, 0xff62};
  return OneOf(kOpening, c);
}

bool IsSeparator(char16_t unit) { return unit == 0x2028 || unit == 0x2029; }

}  // namespace

bool MayBreakBefore(std::u16string_view text, std::size_t index) {
  if (index == 0 || index >= text.size() || IsLowSurrogate(text[index])) return false;
  // Latin text, the common case, breaks only after its blanks.
  if (text[index] < 0x80 && text[index - 1] < 0x80) {
    return IsBlank(text[index - 1]) && !IsBlank(text[index]) && !NeverStartsALine(text[index]);
  }
  char32_t after = text[index];
  if (IsHighSurrogate(text[index]) && index + 1 < text.size() && IsLowSurrogate(text[index + 1])) {
    after = Combine(text[index], text[index + 1]);
  }
  char32_t before = text[index - 1];
  if (IsLowSurrogate(text[index - 1]) && index >= 2 && IsHighSurrogate(text[index - 2])) {
    before = Combine(text[index - 2], text[index - 1]);
  }
  if (IsBlank(after) || IsCombining(after) || NeverStartsALine(after)) return false;
  if (IsBlank(before)) return true;
  if (NeverEndsALine(before)) return false;
  return IsWide(before) || IsWide(after);
}

std::size_t ParagraphEnd(std::u16string_view text, std::size_t begin) {
  const auto end =
      std::find_if(text.begin() + static_cast<std::ptrdiff_t>(std::min(begin, text.size())), text.end(), IsSeparator);
  return static_cast<std::size_t>(end - text.begin());
}

std::size_t FirstLineLength(std::u16string_view paragraph, double width, const TPrefixWidth& widthOf) {
  const std::size_t size = paragraph.size();
  // Where a line may end, each with the length of the line less its trailing blanks; a line of blanks alone
  // is no line.
  struct TEnd {
    std::size_t at;
    std::size_t shown;
  };
  std::vector<TEnd> ends;
  std::size_t lastNonBlank = 0;  // one past the last character that is not a blank
  for (std::size_t i = 0; i < size; ++i) {
    if (i > 0 && lastNonBlank > 0 && MayBreakBefore(paragraph, i)) ends.push_back({i, lastNonBlank});
    if (!IsBlank(paragraph[i])) lastNonBlank = i + 1;
  }
  ends.push_back({size, lastNonBlank});
  if (widthOf(ends.back().shown) <= width) return size;
  // The last end at which the line fits; none fits when even the first word is too wide.
  const auto fits =
      std::partition_point(ends.begin(), ends.end() - 1, [&](const TEnd& end) { return widthOf(end.shown) <= width; });
  return fits == ends.begin() ? ends.front().at : std::prev(fits)->at;
}

}  // namespace metrazil
