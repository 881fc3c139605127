#include "ui/ShutdownWatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <csignal>

namespace metrazil {

namespace {

int pipeEnds[2] = {-1, -1};

extern "C" void OnShutdownSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request.
  [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
  errno = saved;
}

}  // namespace

TShutdownWatch::TShutdownWatch(QObject* parent) : QObject(parent) {
  if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    // The session manager waits for this answer; the window asks nothing of the user on the way.
    connect(application, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { emit sessionSaving(); });
    application->installEventFilter(this);
  }
  if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    emit shutdownRequested();
  });
  struct sigaction action {};
  action.sa_handler = OnShutdownSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
}

bool TShutdownWatch::eventFilter(QObject* watched, QEvent* event) {
  // A quit after the last window closed is the ordinary end; one while a window is open comes from outside
  // (the session's end) and would otherwise close the window through its questions.
  if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
    const QWindowList windows = QGuiApplication::topLevelWindows();
    if (std::any_of(windows.begin(), windows.end(), [](const QWindow* window) { return window->isVisible(); })) {
      emit shutdownRequested();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

TShutdownWatch::~TShutdownWatch() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
}

}  // namespace metrazil
