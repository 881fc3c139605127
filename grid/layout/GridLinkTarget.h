#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace metrazil {

// A link to a cell of the same grid: "CELL://R<row>C<col>" in any letter case, both numbers in decimal
// digits. Numbers too large for a cell index saturate, so they still count as outside the grid.
struct TCellLink {
  std::int64_t row = 0;
  std::int64_t col = 0;
};

// The cell a link target names, or empty when the target is no cell link.
std::optional<TCellLink> ParseCellLink(std::string_view target);

// Whether a target other than a cell link may be handed to the desktop's handler: only web pages and mail
// addresses (http, https, mailto). Anything else — files, programs, custom schemes — could run programs on
// behalf of whoever wrote the table file.
bool IsAllowedExternalLink(std::string_view target);
// Whether a lower-case scheme is one of those.
bool IsAllowedLinkScheme(std::string_view scheme);

}  // namespace metrazil
