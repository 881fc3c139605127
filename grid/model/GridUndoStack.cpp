#include "grid/model/GridUndoStack.h"

#include <algorithm>
#include <utility>

namespace metrazil {

void TGridUndoStack::Push(TGridUndoStep step) {
  if (step.ChangesNothing()) return;
  step.id = ++lastId_;
  if (OnStep) OnStep(TGridStepEvent::kRecorded, step);
  Record(std::move(step));
}

void TGridUndoStack::Record(TGridUndoStep step) {
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

const TGridUndoStep* TGridUndoStack::Undo(TTableGrid& grid) {
  const TGridUndoStep* step = Move(grid, done_, undone_, true);
  if (step != nullptr && OnStep) OnStep(TGridStepEvent::kUndone, *step);
  return step;
}

const TGridUndoStep* TGridUndoStack::Redo(TTableGrid& grid) {
  const TGridUndoStep* step = Move(grid, undone_, done_, false);
  if (step != nullptr && OnStep) OnStep(TGridStepEvent::kRedone, *step);
  return step;
}

void TGridUndoStack::Replay(TTableGrid& grid, TGridStepEvent event, const TGridUndoStep& step) {
  switch (event) {
    case TGridStepEvent::kRecorded:
      step.Redo(grid);
      lastId_ = std::max(lastId_, step.id);
      Record(step);
      return;
    case TGridStepEvent::kUndone:
      if (!done_.empty() && done_.back().id == step.id) {
        Move(grid, done_, undone_, true);
      } else {
        step.Undo(grid);
      }
      return;
    case TGridStepEvent::kRedone:
      if (!undone_.empty() && undone_.back().id == step.id) {
        Move(grid, undone_, done_, false);
      } else {
        step.Redo(grid);
      }
      return;
  }
}

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
