#pragma once

namespace metrazil {

// What a key press does, as the key table of TGridKeyController gives it.
enum class TGridKeyAction {
  kNone,  // the grid ignores the key; an editor does its ordinary editing
  // While the grid itself has the keyboard focus. Shift with a movement key keeps the anchor.
  kUp,
  kDown,
  kLeft,
  kRight,
  kFirstCol,  // Home
  kLastCol,   // End
  kPageUp,    // focus and top row up by a page; also from the in-place editor
  kPageDown,
  kFirstCell,      // Ctrl+Home
  kLastCell,       // Ctrl+End
  kTopVisible,     // Ctrl+PgUp
  kBottomVisible,  // Ctrl+PgDn
  kScrollUp,       // Ctrl+Up: the view only
  kScrollDown,
  kPageLeft,  // Ctrl+Left: focus and left column by a page of columns
  kPageRight,
  kSelectAll,   // Ctrl+A
  kEdit,        // Enter: all text selected
  kEditAtEnd,   // F2: caret after the last character
  kType,        // a character or Backspace: opens the editor and types it
  kUndo,        // Ctrl+Z
  kRedo,        // Ctrl+Y, Ctrl+Shift+Z
  kCopyBlock,   // Ctrl+C, Ctrl+Insert: the selected rectangle to the clipboard
  kCutBlock,    // Ctrl+X
  kPasteBlock,  // Ctrl+V, Shift+Insert
  kClearBlock,  // Delete
  // In the in-place editor.
  kNewLine,     // Ctrl+Enter
  kEndEdit,     // Enter
  kCancelEdit,  // Esc
  kLeaveUp,     // Up on the first line: commits and moves the focus up
  kLeaveDown,   // Down on the last line
  kCaretStart,  // Home: start of the text, not of the line
  kCaretEnd,    // End, F2
  kCopy,        // Ctrl+Insert
  kPaste,       // Shift+Insert
  kCut,         // Shift+Delete
  kSwallow,     // taken and dropped: Insert alone in the in-place editor; Enter and Esc in the header editor
};

}  // namespace metrazil
