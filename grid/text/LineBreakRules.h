#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace metrazil {

// Where a cell's text breaks into lines when it is wider than its cell. A run of characters without a blank
// (a number, a Latin word, a code like HRB400) is one word and is never broken inside, so a cut number never
// reads as another number. Chinese, Japanese and Korean text breaks between its characters, and any text at
// its blanks.

// Whether a line may end before text[index], 0 < index < text.size(): after blanks, and on either side of
// a wide (CJK) character, but never before a blank, a combining mark or closing punctuation ("，", ")"),
// after opening punctuation ("（", "("), or inside a surrogate pair.
bool MayBreakBefore(std::u16string_view text, std::size_t index);

// The end of the paragraph that starts at `begin`: the next line or paragraph separator (U+2028, U+2029),
// or the end of the text.
std::size_t ParagraphEnd(std::u16string_view text, std::size_t begin);

// The width of a paragraph's first n code units; never less for a larger n.
using TPrefixWidth = std::function<double(std::size_t n)>;

// The length of a paragraph's first line when a line is at most `width` wide: up to its last break at
// which the line, less its trailing blanks, still fits. Blanks at the end of a line hang past the width. A
// line holds at least one word: a word wider than `width` takes a line of its own, from its start, and the
// rest of it is cut by the cell. 0 for an empty paragraph; widthOf is called O(log n) times.
std::size_t FirstLineLength(std::u16string_view paragraph, double width, const TPrefixWidth& widthOf);

}  // namespace metrazil
