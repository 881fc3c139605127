#pragma once

#include <cstddef>
#include <deque>

#include "grid/model/GridUndoStep.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// The undo and redo list of one table, and the one path by which its changes are recorded (Push), taken back
// (Undo) and made again (Redo). Bounded: at most kMaxSteps steps, and at most kMaxTextBytes bytes of
// texts held by the steps on both lists; the oldest steps go first, and a single step larger than the byte
// bound is not kept at all. A new step drops what was undone. A table read clears it.
class TGridUndoStack {
 public:
  static constexpr std::size_t kMaxSteps = 100;
  static constexpr std::size_t kMaxTextBytes = std::size_t{64} << 20;

  void Push(TGridUndoStep step);
  void Clear();

  bool CanUndo() const { return !done_.empty(); }
  bool CanRedo() const { return !undone_.empty(); }
  std::size_t UndoCount() const { return done_.size(); }
  std::size_t RedoCount() const { return undone_.size(); }
  std::size_t TextBytes() const { return textBytes_; }

  // Takes the last step back on grid (or makes the last undone step again) and returns it, so that the
  // caller can show the user where it happened; nullptr when there is none. A step that throws half-way
  // stays where it was.
  const TGridUndoStep* Undo(TTableGrid& grid);
  const TGridUndoStep* Redo(TTableGrid& grid);

 private:
  void Trim();
  // Takes the last step of `from` back (undo) or makes it again, and puts it on `to`.
  static const TGridUndoStep* Move(TTableGrid& grid, std::deque<TGridUndoStep>& from, std::deque<TGridUndoStep>& to,
                                   bool undo);

  std::deque<TGridUndoStep> done_;
  std::deque<TGridUndoStep> undone_;
  std::size_t textBytes_ = 0;
};

}  // namespace metrazil
