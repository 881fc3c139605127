#pragma once

#include <QObject>

class QSocketNotifier;

namespace metrazil {

// Turns what ends the program from outside into one signal on the window's thread: SIGTERM and SIGHUP (a
// logout, a shutdown, `kill`), and the desktop session's end as Qt's session manager tells it. The signal
// handler only writes a byte to a pipe that the event loop watches, so the work that follows runs where Qt
// allows it, also from inside a modal question or a long operation's paints.
class TShutdownWatch : public QObject {
  Q_OBJECT

 public:
  explicit TShutdownWatch(QObject* parent = nullptr);
  ~TShutdownWatch() override;

 signals:
  void shutdownRequested();

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace metrazil
