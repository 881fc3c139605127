// Preloaded into a program under test (LD_PRELOAD): when the application object exists it watches for the
// first paint of a window and writes "paint <CLOCK_MONOTONIC ns>" to the file descriptor named by
// METRAZIL_PROBE_FD, once the whole first paint has been flushed.
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

class TPaintProbe : public QObject {
 public:
  explicit TPaintProbe(int fd) : QObject(QCoreApplication::instance()), fd_(fd) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
      seen_ = true;
      // The window's children paint in the same pass; the timer fires after it and its flush.
      QTimer::singleShot(0, this, [this] {
        char line[64];
        const int length = std::snprintf(line, sizeof line, "paint %lld\n", MonotonicNs());
        if (length > 0) (void)!::write(fd_, line, static_cast<size_t>(length));
        QCoreApplication::instance()->removeEventFilter(this);
      });
    }
    return false;
  }

 private:
  int fd_;
  bool seen_ = false;
};

void InstallProbe() {
  bool ok = false;
  const int fd = qEnvironmentVariableIntValue("METRAZIL_PROBE_FD", &ok);
  if (!ok) return;
  QCoreApplication::instance()->installEventFilter(new TPaintProbe(fd));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
