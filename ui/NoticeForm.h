#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;

namespace metrazil {

// Sizes of the message dialog, all derived from its font and the width of the primary screen.
struct TNoticeLayout {
  int charWidth = 0;   // X: width of "A".."Z" "a".."z" divided by 52
  int charHeight = 0;  // Y: height of that string
  int horizontalMargin = 0;
  int verticalMargin = 0;
  int verticalSpacing = 0;
  int buttonWidth = 0;
  int buttonHeight = 0;
  QRect textRect;  // word-broken text within half the screen width, at (0, 0)
  QRect labelGeometry;
  QRect buttonGeometry;
  QSize clientSize;

  static TNoticeLayout Compute(const QFont& font, const QString& text, int screenWidth);
};

// The modal message dialog with one OK button ("确定"); built afresh for every ShowNotice.
class TNoticeForm : public QDialog {
  Q_OBJECT

 public:
  explicit TNoticeForm(const QString& text, QWidget* parent = nullptr);

  const TNoticeLayout& Layout() const { return layout_; }
  // The dialog's text framed as Ctrl+C puts it on the clipboard.
  QString ClipboardText() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CopyToClipboard();

  QString text_;
  TNoticeLayout layout_;
  QLabel* message_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// Shows `text` in the message dialog and returns when it is closed.
void ShowNotice(const QString& text);

// Replaces the real dialog (tests record the text instead of waiting for a person); an empty function
// restores it. Returns the previous presenter.
using NoticePresenter = std::function<void(const QString& text)>;
NoticePresenter SetNoticePresenter(NoticePresenter presenter);

// Puts text on the clipboard; Exception "无法打开剪贴板" when the clipboard does not take it. Replaceable
// for tests; an empty function restores the real clipboard.
using ClipboardWriter = std::function<void(const QString& text)>;
ClipboardWriter SetClipboardWriter(ClipboardWriter writer);

// Multiply then divide, rounding halves away from zero.
int MulDiv(int number, int numerator, int denominator);

}  // namespace metrazil
