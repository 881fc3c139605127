#include "grid/file/JournalScan.h"

#include <algorithm>
#include <cstdint>

namespace metrazil {

namespace {

std::uint32_t Get32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

bool AllZero(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

}  // namespace

TJournalScan TJournalScan::Of(std::string_view bytes) {
  TJournalScan scan;
  switch (scan.header.Decode(bytes)) {
    case TJournalHeader::TDecoded::kDamaged:
      return scan;
    case TJournalHeader::TDecoded::kShort:
      scan.state = TState::kCutShort;
      return scan;
    case TJournalHeader::TDecoded::kOk:
      break;
  }
  std::size_t at = TJournalHeader::kSize;
  scan.end = at;
  while (at < bytes.size()) {
    const std::size_t left = bytes.size() - at;
    if (left < TJournalHeader::kFrameSize) {
      scan.state = TState::kCutShort;
      return scan;
    }
    const std::size_t size = Get32(bytes, at);
    if (size > left - TJournalHeader::kFrameSize) {
      scan.state = TState::kCutShort;
      return scan;
    }
    const std::string_view entry = bytes.substr(at + TJournalHeader::kFrameSize, size);
    at += TJournalHeader::kFrameSize + size;
    if (Get32(bytes, at - size - 4) != scan.header.EntryCheck(entry)) {
      if (!AllZero(bytes.substr(at))) {
        scan.entries.clear();
        scan.end = 0;
        return scan;
      }
      scan.state = TState::kCutShort;
      return scan;
    }
    scan.entries.emplace_back(entry);
    scan.end = at;
  }
  scan.state = TState::kWhole;
  return scan;
}

}  // namespace metrazil
