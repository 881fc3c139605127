#pragma once

#include <cstdint>

#include "grid/file/JournalBase.h"

namespace metrazil {

// The base of a journal over a table as saved, told apart from other saves by its hash alone.
inline TJournalBase SavedBase(std::uint64_t hash) {
  TJournalBase base;
  base.hasFile = true;
  base.hashState = TJournalBase::THash::kKnown;
  base.hash = hash;
  return base;
}

}  // namespace metrazil
