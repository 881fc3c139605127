#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace metrazil {

// Takes the addresses of the schemes given that the program asks the desktop to open, for as long as it
// lives, and keeps them in the order asked.
class TUrlRecorder : public QObject {
  Q_OBJECT

 public:
  explicit TUrlRecorder(QStringList schemes);
  ~TUrlRecorder() override;
  TUrlRecorder(const TUrlRecorder&) = delete;
  TUrlRecorder& operator=(const TUrlRecorder&) = delete;

  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.append(url); }

 private:
  QStringList schemes_;
};

}  // namespace metrazil
