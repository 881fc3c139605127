#include "grid/file/TableFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace metrazil {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TTableFileNumber ParseTableFileNumber(std::string_view field) {
  std::size_t pos = 0;
  while (pos < field.size() && field[pos] == ' ') ++pos;
  bool negative = false;
  if (pos < field.size() && (field[pos] == '+' || field[pos] == '-')) {
    negative = field[pos] == '-';
    ++pos;
  }
  int base = 10;
  if (pos < field.size() && (field[pos] == '$' || field[pos] == 'x' || field[pos] == 'X')) {
    base = 16;
    ++pos;
  } else if (pos + 1 < field.size() && field[pos] == '0' && (field[pos + 1] == 'x' || field[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  // Past this bound the value saturates; it is kept only to know the sign's effect.
  constexpr std::int64_t kCap = std::int64_t{1} << 40;
  std::int64_t magnitude = 0;
  const std::size_t digitsBegin = pos;
  for (; pos < field.size(); ++pos) {
    const int digit =
        base == 10 ? (field[pos] >= '0' && field[pos] <= '9' ? field[pos] - '0' : -1) : HexDigit(field[pos]);
    if (digit < 0) break;
    magnitude = std::min(magnitude * base + digit, kCap);
  }
  TTableFileNumber result;
  result.hasDigits = pos > digitsBegin;
  if (!result.hasDigits) return result;
  result.wholeField = pos == field.size();
  const std::int64_t value = (negative && result.wholeField) ? -magnitude : magnitude;
  result.value = static_cast<int>(
      std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  return result;
}

void AppendEncodedCellText(std::string& out, std::string_view text) {
  if (!HoldsLineBreak(text)) {
    out.append(text);
    return;
  }
  const std::size_t start = out.size();
  out.append(text);
  for (std::size_t i = start; i < out.size(); ++i) {
    if (out[i] == '\r') {
      out[i] = '\t';
    } else if (out[i] == '\n') {
      out[i] = '\b';
    }
  }
}

void AppendDecodedCellText(std::string& out, std::string_view field) {
  const std::size_t start = out.size();
  out.append(field);
  if (field.find('\b') == std::string_view::npos) return;
  for (std::size_t i = start; i < out.size(); ++i) {
    if (out[i] == '\t') {
      out[i] = '\r';
    } else if (out[i] == '\b') {
      out[i] = '\n';
    }
  }
}

}  // namespace metrazil
