#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "grid/model/GridUndoStack.h"
#include "grid/model/GridUndoStep.h"

namespace metrazil {

// One entry of a table's recovery journal: a step of the table's undo list and what happened to it. A step
// is written whole (what it changed, before and after, never a copy of the table), so that an undo of a
// step recorded before the journal's base can be made again too.
struct TJournalEntry {
  TGridStepEvent event = TGridStepEvent::kRecorded;
  TGridUndoStep step;
};

// The entry's bytes: the event, the step's id, focus and block corner, its kind, then the kind's values;
// numbers as variable-length integers (signed ones zigzagged), texts as their length and bytes.
std::string EncodeJournalEntry(TGridStepEvent event, const TGridUndoStep& step);
// The entry an encoding holds; nullopt for bytes that are not one exactly (an unknown kind, a number out of
// range, a length past the end, bytes left over): such an entry must not be replayed.
std::optional<TJournalEntry> DecodeJournalEntry(std::string_view bytes);

}  // namespace metrazil
