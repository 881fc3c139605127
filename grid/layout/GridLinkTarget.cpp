#include "grid/layout/GridLinkTarget.h"

#include <array>
#include <string>

namespace metrazil {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  return true;
}

// Reads the digits at pos (at least one), saturating far above any cell index.
std::optional<std::int64_t> ReadNumber(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  std::int64_t value = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    value = value > (std::int64_t{1} << 40) ? value : value * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return value;
}

// The scheme of a URL (the letters before the first ":"), lower-cased; empty when there is none.
std::string LinkScheme(std::string_view target) {
  const auto colon = target.find(':');
  if (colon == std::string_view::npos || colon == 0) return {};
  std::string scheme;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = target[i];
    const bool ok = IsAlpha(c) || (i > 0 && (IsDigit(c) || c == '+' || c == '-' || c == '.'));
    if (!ok) return {};
    scheme += Lower(c);
  }
  return scheme;
}

}  // namespace

std::optional<TCellLink> ParseCellLink(std::string_view target) {
  constexpr std::string_view kPrefix = "CELL://";
  if (!StartsWithNoCase(target, kPrefix)) return std::nullopt;
  std::size_t pos = kPrefix.size();
  if (pos >= target.size() || Lower(target[pos]) != 'r') return std::nullopt;
  ++pos;
  const auto row = ReadNumber(target, pos);
  if (!row || pos >= target.size() || Lower(target[pos]) != 'c') return std::nullopt;
  ++pos;
  const auto col = ReadNumber(target, pos);
  if (!col || pos != target.size()) return std::nullopt;
  return TCellLink{*row, *col};
}

bool IsAllowedExternalLink(std::string_view target) { return IsAllowedLinkScheme(LinkScheme(target)); }

bool IsAllowedLinkScheme(std::string_view scheme) {
  static constexpr std::array<std::string_view, 3> kAllowed = {"http", "https", "mailto"};
  for (const auto allowed : kAllowed)
    if (scheme == allowed) return true;
  return false;
}

}  // namespace metrazil
