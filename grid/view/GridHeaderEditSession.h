#pragma once

#include <memory>

namespace metrazil {

class TGridHeaderEditor;
class TGridKeyController;
class TTableGridView;

// The life of the header editor (TGridHeaderEditor) over one header cell (row 0): opened by a double-click, its text
// written back when the keyboard focus leaves it. Every step is harmless when it is closed.
class TGridHeaderEditSession {
 public:
  // Makes the editor, hidden, as a child of the viewport.
  TGridHeaderEditSession(TTableGridView& view, TGridKeyController& keys);
  ~TGridHeaderEditSession();
  TGridHeaderEditSession(const TGridHeaderEditSession&) = delete;
  TGridHeaderEditSession& operator=(const TGridHeaderEditSession&) = delete;

  // Whether col has a header cell the editor may open on.
  bool Accepts(int col) const;
  // Open on a column other than col.
  bool OpenOnOtherThan(int col) const;
  // Shows the editor over the header cell of col with its text and gives it the keyboard focus; nothing
  // while the cell is off screen.
  void Open(int col);
  // Writes a changed text to its cell and hides the editor.
  void End();
  // Follows the cell after a layout change.
  void Place();
  // Hides and deletes the editor without storing anything (the view is going).
  void Drop();

  TGridHeaderEditor* Editor() const { return editor_.get(); }

 private:
  TTableGridView& view_;
  std::unique_ptr<TGridHeaderEditor> editor_;
  int col_ = -1;  // the column of the open edit, -1 while closed
};

}  // namespace metrazil
