#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

#include "grid/model/GridUndoStep.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// What happened to a step on the undo list, as OnStep tells it and Replay takes it.
enum class TGridStepEvent : std::uint8_t { kRecorded, kUndone, kRedone };

// The undo and redo list of one table, and the one path by which its changes are recorded (Push), taken back
// (Undo) and made again (Redo). Bounded: at most kMaxSteps steps, and at most kMaxTextBytes bytes of
// texts held by the steps on both lists; the oldest steps go first, and a single step larger than the byte
// bound is not kept at all. A new step drops what was undone. A table read clears it.
//
// Every step recorded, undone or redone is told to OnStep, the bounds notwithstanding, so that a journal of
// the table's changes holds all of them; Replay makes them again on a table read afresh.
class TGridUndoStack {
 public:
  std::function<void(TGridStepEvent event, const TGridUndoStep& step)> OnStep;

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

  // Makes a step told by OnStep again, on the grid as it was when the step's event happened, and keeps the
  // list as it was then: a step recorded is redone and pushed with its id, one undone or redone goes
  // through the list when it is the list's next one to take back or make again (else, recorded before the
  // list started, it is applied to the grid alone). OnStep hears nothing of it.
  void Replay(TTableGrid& grid, TGridStepEvent event, const TGridUndoStep& step);

 private:
  void Trim();
  // Takes the last step of `from` back (undo) or makes it again, and puts it on `to`.
  static const TGridUndoStep* Move(TTableGrid& grid, std::deque<TGridUndoStep>& from, std::deque<TGridUndoStep>& to,
                                   bool undo);

  void Record(TGridUndoStep step);

  std::deque<TGridUndoStep> done_;
  std::deque<TGridUndoStep> undone_;
  std::size_t textBytes_ = 0;
  std::uint64_t lastId_ = 0;
};

}  // namespace metrazil
