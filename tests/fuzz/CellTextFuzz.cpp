// Feeds arbitrary bytes to the rules that tell how a cell text is shown: its kind, the units of a wide
// text, the text the editor shows for markup, whether markup nests too deeply to lay out, the bounds
// painting puts on a text, the text a cell shows and where its lines break. Each must hold the properties below for any
// input.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "grid/text/CellTextKind.h"
#include "grid/text/LineBreakRules.h"
#include "grid/text/ShownCellText.h"

namespace {

using metrazil::TCellTextKind;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "cell text rules: %s\n", what);
  std::abort();
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

void CheckKind(std::string_view text) {
  const TCellTextKind kind = metrazil::ClassifyCellText(text);
  const bool wideOpener = text.starts_with("|\\");
  const bool richOpener = text.starts_with("{\\");
  const bool markupOpener = Contains(text, "</") || Contains(text, "<B") || Contains(text, "<I");
  if (text.empty() || text.starts_with('=')) Check(kind == TCellTextKind::kPlain, "a text that must be plain");
  Check((kind == TCellTextKind::kRich) == richOpener, "rich kind without its opener, or the reverse");
  if (wideOpener) {
    // The blank appended for the test is the fourth byte of a three-byte text.
    const bool plain = text.size() >= 4 && text[3] == '=';
    Check(kind == (plain ? TCellTextKind::kPlain : TCellTextKind::kWide), "a text opened as wide");
  } else {
    Check(kind != TCellTextKind::kWide, "wide kind without its opener");
  }
  const bool openerFirst = text.starts_with('=') || wideOpener || richOpener;
  Check((kind == TCellTextKind::kMarkup) == (markupOpener && !openerFirst), "markup kind");
  // What decided a rich or markup kind stays in a longer text.
  if (kind == TCellTextKind::kRich || kind == TCellTextKind::kMarkup) {
    Check(metrazil::ClassifyCellText(std::string(text) + "=|\\{") == kind, "kind lost by appending");
  }
}

void CheckWide(std::string_view text) {
  const std::u16string units = metrazil::DecodeWideText(text);
  // Pairs of bytes after the first two, the appended blank completing an odd last one.
  Check(units.size() == (text.empty() ? 0 : (text.size() - 1) / 2), "number of wide units");
  const std::string padded = std::string(text) + ' ';
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto high = static_cast<unsigned char>(padded[2 + 2 * i]);
    const auto low = static_cast<unsigned char>(padded[3 + 2 * i]);
    Check(units[i] == (high << 8 | low), "wide unit not the byte pair, high byte first");
  }
  for (const std::size_t maxUnits : {std::size_t{0}, units.size() / 2, units.size(), units.size() + 1}) {
    Check(metrazil::DecodeWideText(text, maxUnits) == units.substr(0, maxUnits), "a cut wide text");
  }
}

bool IsLetter(char c, char upper) { return c == upper || c == upper + ('a' - 'A'); }

// The markup removal as the header words it, in two plain passes.
std::string ReferenceRemoveMarkup(std::string_view text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i + 4 <= text.size() && text[i] == '<' && (IsLetter(text[i + 1], 'B') || IsLetter(text[i + 1], 'H')) &&
        IsLetter(text[i + 2], 'R') && text[i + 3] == '>') {
      lines += "\r\n";
      i += 3;
    } else {
      lines += text[i];
    }
  }
  std::string result;
  std::size_t from = 0;
  for (;;) {
    const std::size_t open = lines.find('<', from);
    const std::size_t close = open == std::string::npos ? open : lines.find('>', open);
    if (close == std::string::npos) break;
    result.append(lines, from, open - from);
    from = close + 1;
  }
  return result.append(lines, from);
}

void CheckMarkup(std::string_view text) {
  const std::string shown = metrazil::RemoveMarkup(text);
  Check(shown == ReferenceRemoveMarkup(text), "markup removal differs from its two passes");
  // A line tag of four bytes becomes two; everything else is kept or removed.
  Check(shown.size() <= text.size(), "markup removal made the text longer");
  std::array<std::size_t, 256> counts{};
  for (const char c : text) ++counts[static_cast<unsigned char>(c)];
  for (const char c : shown) {
    if (c != '\r' && c != '\n') Check(counts[static_cast<unsigned char>(c)]-- > 0, "a byte not in the text shown");
  }
  // Every "<" with a ">" after it opens a removed tag; what stays is an unclosed "<" and the rest.
  if (const std::size_t open = shown.find('<'); open != std::string::npos) {
    Check(shown.find('>', open) == std::string::npos, "a tag left in the text shown");
  }
  if (!Contains(text, "<") || !Contains(text, ">")) Check(shown == text, "a text without tags changed");
  Check(metrazil::RemoveMarkup(shown) == shown, "removal not finished in one pass");

  // The input's bytes without angle brackets, as the content of tags and around a line break.
  std::string content;
  for (const char c : text) {
    if (c != '<' && c != '>') content += c;
  }
  Check(metrazil::RemoveMarkup("<B><font color=\"red\">" + content + "</font></B>") == content, "tags around text");
  const std::size_t half = content.size() / 2;
  const std::string broken = content.substr(0, half) + "<bR>" + content.substr(half) + "<Hr>";
  Check(metrazil::RemoveMarkup(broken) == content.substr(0, half) + "\r\n" + content.substr(half) + "\r\n",
        "line tags");
}

// The bounds painting puts on a text, from the input's first bytes as numbers.
void CheckBounds(std::string_view text) {
  int numbers[3] = {};
  for (std::size_t i = 0; i < std::min<std::size_t>(text.size(), 12); ++i) {
    numbers[i / 4] = static_cast<int>(static_cast<unsigned>(numbers[i / 4]) << 8 | static_cast<unsigned char>(text[i]));
  }
  const auto [width, height, lineHeight] = numbers;
  const std::size_t limit = metrazil::VisibleCharLimit(width, height, lineHeight);
  if (width <= 0 || height <= 0) {
    Check(limit == 0, "characters shown in an empty rectangle");
  } else {
    // At least the first line; more room never shows fewer characters, closer lines never fewer.
    Check(limit >= static_cast<std::size_t>(width), "fewer characters than one line holds");
    if (width < INT_MAX) Check(metrazil::VisibleCharLimit(width + 1, height, lineHeight) >= limit, "wider shows less");
    if (height < INT_MAX)
      Check(metrazil::VisibleCharLimit(width, height + 1, lineHeight) >= limit, "taller shows less");
    if (lineHeight > 1) Check(metrazil::VisibleCharLimit(width, height, lineHeight - 1) >= limit, "closer shows less");
  }
  // Markup is laid out from at least a byte per character that can show, up to the cap.
  const std::size_t chars = static_cast<unsigned>(width);
  const std::size_t bytes = metrazil::MarkupBytesShown(chars);
  Check(bytes <= metrazil::kMaxMarkupBytes && bytes >= std::min(chars, metrazil::kMaxMarkupBytes), "markup bytes");
  Check(metrazil::MarkupBytesShown(chars + 1) >= bytes, "more characters, fewer markup bytes");
}

void CheckNesting(std::string_view text) {
  // An element counts from a "<" on: it takes more of them than the table limit to nest too deep.
  const bool shallow = metrazil::MarkupNestsShallowly(text);
  if (std::count(text.begin(), text.end(), '<') <= metrazil::kMaxMarkupTableDepth) {
    Check(shallow, "a few tags found nesting too deep");
  }
  // Closing tags only end elements: with every "<" turned into one, nothing nests.
  std::string closing;
  closing.reserve(text.size() * 2);
  for (const char c : text) {
    closing += c;
    if (c == '<') closing += '/';
  }
  Check(metrazil::MarkupNestsShallowly(closing), "closing tags alone nest");
}

void CheckShown(std::string_view text) {
  const std::size_t maxChars = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
  bool decoded = false;
  const metrazil::TShownCellText shown = metrazil::ShownCellText(text, maxChars, [&decoded](std::string_view bytes) {
    decoded = true;
    return std::u16string(bytes.size(), u'x');
  });
  const TCellTextKind kind = metrazil::ClassifyCellText(text);
  Check(shown.kind == kind || (kind == TCellTextKind::kMarkup && shown.kind == TCellTextKind::kPlain),
        "shown as another kind");
  Check(!decoded || kind == TCellTextKind::kRich, "bytes converted for a text that is not rich");
  Check(shown.units.size() <= maxChars, "more units than asked for");
  Check(text.starts_with(shown.bytes) && (shown.bytes.empty() || shown.bytes.data() == text.data()),
        "shown bytes not a prefix of the text");
  if (shown.kind == TCellTextKind::kMarkup) {
    Check(shown.bytes.size() <= metrazil::MarkupBytesShown(maxChars), "markup past its bytes");
  } else if (shown.kind == TCellTextKind::kPlain) {
    Check(shown.bytes == metrazil::CodePagePrefix(text, maxChars), "plain text not its first characters");
  }
  // A prefix of more characters holds the prefix of fewer, and no more than four bytes a character.
  const std::string_view prefix = metrazil::CodePagePrefix(text, maxChars);
  Check(prefix.size() <= 4 * maxChars && prefix.size() >= std::min(text.size(), maxChars), "prefix size");
  Check(prefix.starts_with(metrazil::CodePagePrefix(text, maxChars / 2)), "prefixes not nested");
}

// The input's byte pairs as UTF-16 units, each one wide, the first byte the width of a line: a first line
// ends where a line may break or at the paragraph's end, fits unless it is a single word, and is the longest
// that does.
void CheckLineBreaks(std::string_view text) {
  // Painting lays out no more than a cell can show: a few thousand characters.
  constexpr std::size_t kMaxUnits = 4096;
  std::u16string units;
  for (std::size_t i = 1; i + 1 < text.size() && units.size() < kMaxUnits; i += 2) {
    units.push_back(
        static_cast<char16_t>(static_cast<unsigned char>(text[i]) << 8 | static_cast<unsigned char>(text[i + 1])));
  }
  const std::u16string_view paragraph(units.data(), metrazil::ParagraphEnd(units, 0));
  const double width = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
  // Each prefix's length less its trailing blanks: the width of a line ending there.
  std::vector<double> shown(paragraph.size() + 1, 0);
  for (std::size_t i = 0; i < paragraph.size(); ++i) {
    const char16_t c = paragraph[i];
    const bool blank = c == u' ' || c == u'\t' || c == 0x3000 || (c >= 0x2000 && c <= 0x200a && c != 0x2007);
    shown[i + 1] = blank ? shown[i] : static_cast<double>(i + 1);
  }
  const std::size_t length =
      metrazil::FirstLineLength(paragraph, width, [](std::size_t n) { return static_cast<double>(n); });
  Check(length <= paragraph.size() && (length > 0 || paragraph.empty()), "first line length");
  Check(length == paragraph.size() || metrazil::MayBreakBefore(paragraph, length), "a line ends inside a word");
  std::size_t firstBreak = 1;
  while (firstBreak < paragraph.size() &&
         (shown[firstBreak] == 0 || !metrazil::MayBreakBefore(paragraph, firstBreak))) {
    ++firstBreak;
  }
  Check(shown[length] <= width || length == std::min(firstBreak, paragraph.size()), "a line too wide");
  for (std::size_t n = length + 1; n < paragraph.size() && shown[length] <= width; ++n) {
    if (metrazil::MayBreakBefore(paragraph, n)) Check(shown[n] > width, "a shorter line than fits");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckKind(text);
  CheckWide(text);
  CheckMarkup(text);
  CheckBounds(text);
  CheckNesting(text);
  CheckShown(text);
  CheckLineBreaks(text);
  return 0;
}
