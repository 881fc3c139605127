#pragma once

class QKeyEvent;

namespace metrazil {

// What a key press does while the grid itself has the keyboard focus.
enum class TGridKeyAction {
  kNone,
  kUp,
  kDown,
  kLeft,
  kRight,
  kFirstCol,  // Home
  kLastCol,   // End
  kPageUp,    // focus and top row up by a page
  kPageDown,
  kFirstCell,      // Ctrl+Home
  kLastCell,       // Ctrl+End
  kTopVisible,     // Ctrl+PgUp
  kBottomVisible,  // Ctrl+PgDn
  kScrollUp,       // Ctrl+Up: the view only
  kScrollDown,
  kPageLeft,  // Ctrl+Left: focus and left column by a page of columns
  kPageRight,
  kSelectAll,  // Ctrl+A
  kEdit,       // Enter: all text selected
  kEditAtEnd,  // F2: caret after the last character
  kType,       // a character or Backspace: opens the editor and types it
};

// Shift with a movement key keeps the anchor; the caller reads that from the event.
TGridKeyAction GridKeyActionFor(const QKeyEvent& event);

}  // namespace metrazil
