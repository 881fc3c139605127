#pragma once

#include <QDialog>
#include <QString>

#include "ui/NoticeLayout.h"

class QLabel;
class QPushButton;

namespace metrazil {

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

}  // namespace metrazil
