#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "grid/file/JournalHeader.h"

namespace metrazil {

// What the bytes of a journal file hold (the format is in JournalHeader.h).
//
// A journal killed or cut off while it was being written ends in a torn entry: a frame that runs past the
// end, or that fails its check with nothing but zero bytes after it (what a power cut leaves of a write
// whose size reached the disk before its bytes). Such a journal is cut short and keeps every entry before
// the torn one. Anything else that does not read is damaged, and then no entry counts: an entry that
// fails its check with more data after it, a header of another magic or version, or a failing header.
struct TJournalScan {
  enum class TState {
    kWhole,
    kCutShort,
    kDamaged,
  };

  TState state = TState::kDamaged;
  // A whole header of this version was read into header: also when an entry then proved damaged.
  bool headerRead = false;
  TJournalHeader header;
  std::vector<std::string> entries;  // empty when damaged
  std::size_t end = 0;               // the bytes up to the end of the last whole entry

  static TJournalScan Of(std::string_view bytes);
};

}  // namespace metrazil
