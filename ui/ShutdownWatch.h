#pragma once

#include <QObject>

namespace metrazil {

// Turns what ends the program from outside into signals on the window's thread. shutdownRequested: SIGTERM
// and SIGHUP (a logout, a shutdown, `kill`), and the desktop session's end, which Qt's session manager
// delivers as a quit of the application while the window is open. sessionSaving: the session's save, which
// comes before its end but also at a checkpoint or a logout that is then cancelled, so the program goes on.
// The signal handler only writes a byte to a pipe that the event loop watches, so the work that follows
// runs where Qt allows it, also from inside a modal question or a long operation's paints.
class TShutdownWatch : public QObject {
  Q_OBJECT

 public:
  explicit TShutdownWatch(QObject* parent = nullptr);
  ~TShutdownWatch() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  void shutdownRequested();
  void sessionSaving();
};

}  // namespace metrazil
