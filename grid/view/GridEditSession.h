#pragma once

#include <QString>
#include <memory>
#include <string>

#include "grid/model/TableGrid.h"

class QInputMethodEvent;
class QKeyEvent;

namespace metrazil {

class TGridEditor;
class TGridHeaderEditSession;
class TGridHeaderEditor;
class TGridKeyController;
class TTableGridView;

// The life of the grid's two editors: the in-place editor over the focused body cell and the header
// editor over one header cell. Every step is harmless when no edit is open.
class TGridEditSession {
 public:
  // Makes the header editor; the in-place editor is made on first use. Both are children of the viewport.
  TGridEditSession(TTableGridView& view, TGridKeyController& keys);
  ~TGridEditSession();
  TGridEditSession(const TGridEditSession&) = delete;
  TGridEditSession& operator=(const TGridEditSession&) = delete;

  // Opens the in-place editor on the focused body cell, with all its text selected or the caret at its end.
  // With takeFocus false the grid keeps the keyboard focus (input-method composition in progress).
  void BeginEdit(bool selectAll, bool takeFocus = true);
  // Writes the editor's text to the edit cell when it changed since the last commit; the editor stays open.
  void CommitEdit();
  // Commits and closes the editor; the grid takes the keyboard focus unless focusGrid is false (the focus
  // is going elsewhere).
  void EndEdit(bool focusGrid = true);
  // Restores the cell's starting text and closes the editor.
  void CancelEdit();
  // The committed text becomes the starting text: an edit left open on its committed text (Up in the top
  // row, Down in the last) no longer goes back to what it held before.
  void KeepCommittedText() { startText_ = lastCommitted_; }
  // Ends both editors, storing their texts, so that a save writes what the user sees; the grid takes the
  // keyboard focus when an editor had it.
  void EndAllEdits();
  // Open from BeginEdit until the editor is hidden, closing included.
  bool IsEditing() const { return state_ != TState::kClosed; }
  TGridEditor* Editor() const { return editor_.get(); }
  TCellAddress EditCell() const { return editCell_; }

  // Opens the header editor on a header cell; an open one on another cell commits first.
  void BeginHeaderEdit(int col);
  // Writes a changed header text to its cell and closes the header editor.
  void EndHeaderEdit();
  TGridHeaderEditor* HeaderEditor() const;

  // Gives both editors the view's current font and colours: at every open and on every style change, so an
  // editor never keeps the colours of an earlier palette.
  void ApplyEditorStyle();

  // Closes both editors without storing anything and deletes them (the view is going).
  void DropEditors();

  // The layout changed: open editors follow their cells.
  void PlaceEditors();
  // Cells in the box changed: an open edit of one of them reloads it when something other than the edit
  // changed its text.
  void CellsChanged(const TCellBox& box);

  // A key the grid got while an edit is open (the grid keeps the focus during a composition) goes to the
  // editor; one the editor hands back is dropped. False when there is no edit to take it.
  bool TakeGridKey(QKeyEvent* event);
  // Opens the editor and types the key into it.
  void TypeIntoNewEdit(QKeyEvent* event);
  // Input-method events of the grid: a composition opens the editor and goes to it.
  void InputMethodEvent(QInputMethodEvent* event);

  // From the editors.
  void EditorLostFocus(Qt::FocusReason reason);
  void EditorTab(bool next);
  void EditorPasted();

 private:
  // Where the in-place edit is in its life.
  enum class TState {
    kClosed,
    kOpen,
    kComposing,  // opened by an input-method composition: the grid keeps the keyboard focus until it commits
    kClosing,    // EndEdit is storing the text and hiding the editor
  };

  void PlaceEditor();
  void LoadEditor(const std::string& cellText);
  // The edited cell's stored text into the editor, all of it selected.
  void Reload();
  std::string EditorBytes() const;
  void WriteFromEditor(const std::string& text);
  void HideEditor(bool focusGrid);

  TTableGridView& view_;
  TGridKeyController& keys_;
  std::unique_ptr<TGridEditor> editor_;
  std::unique_ptr<TGridHeaderEditSession> headerEdit_;

  TState state_ = TState::kClosed;
  TCellAddress editCell_;
  std::string startText_;      // the cell's text when the edit began; Esc puts it back
  std::string undoText_;       // the same for the undo step the edit makes, which KeepCommittedText leaves alone
  std::string lastCommitted_;  // what the edit last wrote (at first the starting text)
  std::string loadedBytes_;    // the cell text the editor was last loaded from
  QString loadedText_;         // the editor's text right after that load

  // Re-entrancy guards, each set for the length of one call.
  bool writingFromEditorGuard_ = false;  // the model's notice of the edit's own write must not reload it
  bool forwardingKeyGuard_ = false;      // a key the editor does not take comes back to the grid: drop it
};

}  // namespace metrazil
