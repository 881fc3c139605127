#pragma once

#include <QPlainTextEdit>

#include "grid/layout/CellTextInset.h"

namespace metrazil {

class TGridEditSession;
class TGridKeyController;

// The in-place editor: a borderless multi-line text box over the focused cell that wraps at its width and
// never scrolls sideways. Keys that end or move the edit are the key controller's; the rest is ordinary
// editing.
class TGridEditor : public QPlainTextEdit {
  Q_OBJECT

 public:
  TGridEditor(TGridEditSession& session, TGridKeyController& keys, QWidget* parent);

  // Whether the caret is on the first / last line of the laid-out text.
  bool CaretOnFirstLine() const;
  bool CaretOnLastLine() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void AlignFirstLine();

  TGridEditSession& session_;
  TGridKeyController& keys_;
  int textTop_ = TCellTextInset::kTop;
};

}  // namespace metrazil
