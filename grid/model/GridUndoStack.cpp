#include "grid/model/GridUndoStack.h"

#include <utility>

namespace metrazil {

void TGridUndoStack::Push(TGridUndoStep step) {
  if (step.ChangesNothing()) return;
  for (const TGridUndoStep& dropped : undone_) textBytes_ -= dropped.TextBytes();
  undone_.clear();
  const std::size_t bytes = step.TextBytes();
  if (bytes > kMaxTextBytes) {
    // Too large to keep: the steps before it cannot be undone across it either.
    Clear();
    return;
  }
  textBytes_ += bytes;
  done_.push_back(std::move(step));
  Trim();
}

void TGridUndoStack::Trim() {
  while (!done_.empty() && (done_.size() > kMaxSteps || textBytes_ > kMaxTextBytes)) {
    textBytes_ -= done_.front().TextBytes();
    done_.pop_front();
  }
}

void TGridUndoStack::Clear() {
  done_.clear();
  undone_.clear();
  textBytes_ = 0;
}

const TGridUndoStep* TGridUndoStack::Undo(TTableGrid& grid) { return Move(grid, done_, undone_, true); }

const TGridUndoStep* TGridUndoStack::Redo(TTableGrid& grid) { return Move(grid, undone_, done_, false); }

const TGridUndoStep* TGridUndoStack::Move(TTableGrid& grid, std::deque<TGridUndoStep>& from,
                                          std::deque<TGridUndoStep>& to, bool undo) {
  if (from.empty()) return nullptr;
  const TGridUndoStep& step = from.back();
  undo ? step.Undo(grid) : step.Redo(grid);
  to.push_back(std::move(from.back()));
  from.pop_back();
  return &to.back();
}

}  // namespace metrazil
