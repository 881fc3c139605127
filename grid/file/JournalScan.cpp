#include "grid/file/JournalScan.h"

#include <algorithm>

namespace metrazil {

namespace {

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
      scan.headerRead = true;
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
    const TJournalHeader::TFrame frame = TJournalHeader::ReadFrame(bytes, at);
    if (frame.size > left - TJournalHeader::kFrameSize) {
      scan.state = TState::kCutShort;
      return scan;
    }
    const std::string_view entry = bytes.substr(at + TJournalHeader::kFrameSize, frame.size);
    at += TJournalHeader::kFrameSize + frame.size;
    if (frame.check != scan.header.EntryCheck(entry)) {
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
