#pragma once

#include <QPlainTextEdit>

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
  // The editor lies on the cell less its right and bottom pixel. The cell paints its text 3 pixels in
  // (its inner pixel and a 2-pixel margin) and wraps it 3 pixels before its right edge; so does the editor.
  static constexpr int kTextLeft = 3;
  static constexpr int kTextTop = 3;
  static constexpr int kTextRight = 2;
  void AlignFirstLine();

  TGridEditSession& session_;
  TGridKeyController& keys_;
  int textTop_ = kTextTop;
};

}  // namespace metrazil
