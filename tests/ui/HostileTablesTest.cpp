// Hostile table files opened by the real window: huge cells, markup that names devices and FIFOs, deep
// nesting, a million columns, bytes that are no GB18030. Each case starts the window on the file, shows
// both grid pages, edits, fits and saves the worst cell and reads the saved file back; every step is timed
// and the resident memory watched.
//
// Each case runs in a child process of this program (the same test function with kChildDirVariable set):
// a case that blocks on a device or a FIFO is killed after kCaseLimitMs, and one that runs away with
// memory is stopped by a watchdog thread, so one bad case neither hangs the run nor hides the others.
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/ProgramDirectory.h"
#include "grid/file/TableFileReader.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"
#include "tests/support/DoubleClickColumnBorder.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/TestMain.h"
#include "tests/support/Utf8.h"
#include "ui/Form1.h"

using namespace metrazil;

#if defined(__SANITIZE_ADDRESS__)
#define HOSTILE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HOSTILE_ASAN 1
#endif
#endif

namespace {

// Set in the child process: the directory the case writes its tables into (the parent removes it, also
// after killing the child).
constexpr char kChildDirVariable[] = "METRAZIL_HOSTILE_DIR";

#ifdef HOSTILE_ASAN
// The sanitizers' own cost: start-up on a million width lines takes 12 s of processor time, not 0.7 s.
constexpr int kSlowdown = 10;
constexpr int kSanitizerSlackMb = 512;  // freed memory held in quarantine still counts as resident
#else
constexpr int kSlowdown = 1;
constexpr int kSanitizerSlackMb = 0;
#endif

// Every step: a user must not wait longer for a click, a key or a page to show. The work a step does is
// bounded by the processor time it takes, which other load on a shared machine hardly changes; the wall
// time bound is looser and catches waiting (a device or a FIFO read with a time-out of its own).
constexpr qint64 kStepCpuLimitMs = 2000 * kSlowdown;
constexpr qint64 kStepWallLimitMs = 6000 * kSlowdown;
// A whole case, start-up to close; past it the child is killed and the case reported as blocked.
constexpr int kCaseLimitMs = 30000 * std::min(kSlowdown, 4);
// The watchdog stops a child whose resident memory grows this far past its baseline (reading a device
// never ends on its own); well above every bound asserted, so the figure is still worth reporting.
constexpr long kRunawayMb = 2048 + kSanitizerSlackMb;
constexpr int kRunawayExitCode = 86;

// ---- resident memory --------------------------------------------------------------------------------

long StatusKb(const char* field) {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kb = -1;
  const std::size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
      kb = std::strtol(line + length + 1, nullptr, 10);
      break;
    }
  }
  std::fclose(status);
  return kb;
}

long RssKb() { return StatusKb("VmRSS"); }
long PeakKb() { return StatusKb("VmHWM"); }

// Resets the peak resident size to the current one, so a case's peak is its own.
bool ResetPeak() {
  FILE* refs = std::fopen("/proc/self/clear_refs", "w");
  if (refs == nullptr) return false;
  const bool ok = std::fputs("5", refs) >= 0;
  return std::fclose(refs) == 0 && ok;
}

double Mb(long kb) { return static_cast<double>(kb) / 1024.0; }

// Processor time of the whole process, all threads.
qint64 CpuMs() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The end of a child's output for a verdict, from a sanitizer's report where there is one.
QString Tail(const QString& output) {
  for (const char* report : {"ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer"}) {
    const qsizetype at = output.indexOf(QLatin1String(report));
    if (at >= 0) return output.mid(output.lastIndexOf(QLatin1Char('\n'), at) + 1, 3000);
  }
  return output.right(3000);
}

// A clock both processes read alike (CLOCK_MONOTONIC), for the time a killed child's last step had run.
qint64 MonotonicMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The resident size of another process, -1 when it cannot be read.
long ChildRssKb(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return -1;
}

// Stops the process when its resident memory runs away; names the step that was running.
class TMemoryWatchdog {
 public:
  TMemoryWatchdog(long baselineKb, const std::atomic<const char*>& step)
      : thread_([this, baselineKb, &step] {
          const long limitKb = baselineKb + kRunawayMb * 1024;
          while (!stop_) {
            const long rss = RssKb();
            if (rss > limitKb) {
              std::fprintf(stderr, "hostile: RUNAWAY resident memory +%.0f MB during step \"%s\"; stopped\n",
                           Mb(rss - baselineKb), step.load());
              std::fflush(stderr);
              ::_exit(kRunawayExitCode);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
        }) {}
  ~TMemoryWatchdog() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Times the steps of one case and records the memory after each; reports every step on stderr as it
// begins and ends, so that the parent can tell where a killed child was.
class TStepMeter {
 public:
  explicit TStepMeter(QString caseName) : case_(std::move(caseName)) {
    peakResettable_ = ResetPeak();
    baselineKb_ = peakResettable_ ? PeakKb() : RssKb();
    watchdog_ = std::make_unique<TMemoryWatchdog>(baselineKb_, step_);
  }

  // One step of the case, timed: what the user does and waits for.
  void Time(const char* step, const std::function<void()>& action) {
    Begin(step);
    action();
    End();
  }

  // Growth of the peak over the case; with no peak reset, the current growth.
  long PeakGrowthKb() const { return (peakResettable_ ? PeakKb() : RssKb()) - baselineKb_; }

  // The steps over the limit, with their figures.
  QString SlowSteps() const {
    QStringList slow;
    for (const TStep& step : steps_) {
      if (step.ms > kStepWallLimitMs || step.cpuMs > kStepCpuLimitMs) {
        slow << QStringLiteral("%1: %2 ms (processor %3 ms)")
                    .arg(QString::fromUtf8(step.name))
                    .arg(step.ms)
                    .arg(step.cpuMs);
      }
    }
    return slow.join(QStringLiteral("; "));
  }

 private:
  void Begin(const char* step) {
    step_ = step;
    std::fprintf(stderr, "hostile: %s: step \"%s\" begins at %lld\n", qPrintable(case_), step,
                 static_cast<long long>(MonotonicMs()));
    std::fflush(stderr);
    cpuStart_ = CpuMs();
    timer_.start();
  }

  void End() {
    const qint64 ms = timer_.elapsed();
    const qint64 cpuMs = CpuMs() - cpuStart_;
    const long rss = RssKb() - baselineKb_;
    steps_.push_back({step_.load(), ms, cpuMs});
    std::fprintf(stderr, "hostile: %s: step \"%s\" %lld ms (processor %lld ms), resident +%.1f MB\n", qPrintable(case_),
                 step_.load(), static_cast<long long>(ms), static_cast<long long>(cpuMs), Mb(rss));
    std::fflush(stderr);
  }

  struct TStep {
    const char* name;
    qint64 ms;
    qint64 cpuMs;
  };

  QString case_;
  bool peakResettable_ = false;
  long baselineKb_ = 0;
  std::atomic<const char*> step_{"baseline"};
  QElapsedTimer timer_;
  qint64 cpuStart_ = 0;
  std::vector<TStep> steps_;
  std::unique_ptr<TMemoryWatchdog> watchdog_;
};

// ---- table files ------------------------------------------------------------------------------------

// A table file exactly as the program's writer lays it out (count line, a width line per column of the
// default 64, cells in row and column order), so that saving the unchanged grid gives the same bytes.
class TTableText {
 public:
  TTableText(int cols, int rows) {
    bytes.append(QByteArray::number(cols)).append(',').append(QByteArray::number(rows)).append("\r\n");
    for (int col = 0; col < cols; ++col) bytes.append("cw ").append(QByteArray::number(col)).append(",64\r\n");
  }
  // Texts must not hold CR, LF, BS or Ctrl-Z: those are line structure in a table file.
  TTableText& Cell(int col, int row, const QByteArray& text) {
    bytes.append(QByteArray::number(col)).append(',').append(QByteArray::number(row)).append(',');
    bytes.append(text).append("\r\n");
    return *this;
  }
  QByteArray bytes;
};

QByteArray Repeated(const char* piece, int count) { return QByteArray(piece).repeated(count); }

// Plain text of exactly size bytes: Chinese and Latin words between blanks, or one unbroken word.
QByteArray PlainText(qsizetype size, bool blanks) {
  if (!blanks) {
    QByteArray word = QByteArray("MetrazilConversionTable").repeated(size / 23 + 1);
    word.truncate(size);
    return word;
  }
  const QList<QByteArray> words = {ToTableBytes(U("长度 ")).c_str(), "weight ", ToTableBytes(U("重量换长度 ")).c_str(),
                                   "1234.5 ", ToTableBytes(U("兰花 ")).c_str()};
  QByteArray text;
  text.reserve(size);
  for (int i = 0;; ++i) {
    const QByteArray& word = words[i % words.size()];
    if (text.size() + word.size() > size) break;
    text.append(word);
  }
  text.append(QByteArray(size - text.size(), 'a'));  // never half a character at the end
  return text;
}

// A table of the form's size with the hostile text in one body cell and ordinary cells around it. The
// others are short enough to be kept inline (8 bytes), so the hostile text is the first the cell store's
// text chunks take: 16,385 bytes is one more than the first chunk holds.
QByteArray OneCellTable(int col, const QByteArray& text) {
  TTableText table(5, 10);
  for (int c = 0; c < 5; ++c) table.Cell(c, 0, c == col ? QByteArray("Hostile") : QByteArray("Head"));
  for (int c = 0; c < 5; ++c) table.Cell(c, 1, c == col ? text : QByteArray("nearby"));
  table.Cell(0, 2, "X1").Cell(3, 2, "0.25").Cell(4, 2, "4");
  return table.bytes;
}

struct THostileCase {
  const char* name;
  int col;  // the worst cell
  int row;
  bool addressBookToo;  // written as data2.dat as well
  int peakBoundMb;      // resident memory growth over the whole case
  // The text of the worst cell; dir is the program directory (for files the text names).
  QByteArray (*text)(const QString& dir);
  // The whole table; null for OneCellTable around text.
  QByteArray (*table)(const QString& dir, const QByteArray& text) = nullptr;
};

// Markup that names local files must show at once and read none of them: a device never ends, a FIFO
// without a writer blocks whoever opens it.
const THostileCase kCases[] = {
    {"cell of 16385 bytes", 1, 1, false, 300, [](const QString&) { return PlainText(16385, true); }},
    {"cell of 300000 bytes", 1, 1, false, 300, [](const QString&) { return PlainText(300000, true); }},
    {"cell of 600000 bytes", 1, 1, false, 300, [](const QString&) { return PlainText(600000, true); }},
    {"item name of 4 MB", 0, 1, false, 300, [](const QString&) { return PlainText(4 << 20, true); }},
    {"img src /dev/zero", 1, 1, true, 200,
     [](const QString&) { return QByteArray("<B>x</B><img src=\"/dev/zero\">"); }},
    {"img src file:///dev/zero", 1, 1, false, 200,
     [](const QString&) { return QByteArray("<B>x</B><img src=\"file:///dev/zero\">"); }},
    {"p style background-image /dev/zero", 1, 1, false, 200,
     [](const QString&) { return QByteArray("<p style=\"background-image:url(/dev/zero)\"><B>x</B></p>"); }},
    {"table background /dev/zero", 1, 1, false, 200,
     [](const QString&) { return QByteArray("<table background=\"/dev/zero\"><tr><td><B>x</B></td></tr></table>"); }},
    {"img src FIFO", 1, 1, false, 200,
     [](const QString& dir) {
       const QByteArray fifo = QFile::encodeName(dir + QStringLiteral("/pipe"));
       if (::mkfifo(fifo.constData(), 0600) != 0) qFatal("mkfifo %s failed", fifo.constData());
       return QByteArray("<B>x</B><img src=\"") + fifo + "\">";
     }},
    {"900 nested tables", 1, 1, false, 300,
     [](const QString&) {
       return Repeated("<table><tr><td>", 900) + "<B>x</B>" + Repeated("</td></tr></table>", 900);
     }},
    {"B nested 100000 deep", 1, 1, false, 300,
     [](const QString&) { return Repeated("<B>", 100000) + "x" + Repeated("</B>", 100000); }},
    {"rich text of 100000 nested groups", 1, 1, false, 300,
     [](const QString&) { return "{\\rtf1 " + Repeated("{", 100000) + "x" + Repeated("}", 100000) + "}"; }},
    {"single line of 6 MB without blanks", 1, 1, false, 300, [](const QString&) { return PlainText(6 << 20, false); }},
    {"row of a million columns", 999999, 1, false, 300, [](const QString&) { return QByteArray("far"); },
     [](const QString&, const QByteArray& text) {
       TTableText table(1000000, 2);
       table.Cell(0, 0, "Name");
       for (int col = 0; col < 999999; col += 997) table.Cell(col, 1, "c" + QByteArray::number(col));
       table.Cell(999999, 1, text);
       return table.bytes;
     }},
    {"NUL and invalid GB18030 bytes", 1, 1, false, 300,
     [](const QString&) {
       // A lone lead byte, a cut four-byte sequence, bytes no sequence starts with, NULs between them.
       return QByteArray("A\0\x81\x30Z\xFF\0\x80\xFE\x81\x30\x81\0\0\x81", 15);
     },
     [](const QString&, const QByteArray& text) {
       TTableText table(5, 10);
       table.Cell(0, 0, QByteArray("\0\0", 2))
           .Cell(0, 1,
                 QByteArray("X\0"
                            "1",
                            3))
           .Cell(1, 1, text);
       table.Cell(2, 1, QByteArray(ToTableBytes(U("长度")).c_str()) + QByteArray("\0\x81", 2)).Cell(3, 1, "\xFF");
       return table.bytes;
     }},
    {"wide text of odd length", 1, 1, false, 300, [](const QString&) { return QByteArray("|\\\x4E\x2D\x65\x87\x41"); },
     [](const QString&, const QByteArray& text) {
       TTableText table(5, 10);
       // The marker alone, a lone high surrogate, a single odd byte.
       table.Cell(0, 1, "|\\").Cell(1, 1, text).Cell(2, 1, "|\\\xD8\x34").Cell(3, 1, "|\\\xDC");
       return table.bytes;
     }},
};

// Where two byte strings first differ, for a readable failure on files of megabytes.
QString FirstDifference(const QByteArray& actual, const QByteArray& expected) {
  qsizetype at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return QStringLiteral("%1 bytes saved, %2 expected, first difference at byte %3: saved \"%4\", expected \"%5\"")
      .arg(actual.size())
      .arg(expected.size())
      .arg(at)
      .arg(QString::fromLatin1(actual.mid(at, 40).toPercentEncoding()))
      .arg(QString::fromLatin1(expected.mid(at, 40).toPercentEncoding()));
}

// The bytes of a QByteArray, NULs included.
std::string_view View(const QByteArray& bytes) {
  return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A cell text's size and first bytes, for failure messages.
QString Shown(std::string_view text) {
  const QByteArray bytes(text.data(), static_cast<qsizetype>(std::min<std::size_t>(text.size(), 60)));
  return QStringLiteral("%1 bytes \"%2\"").arg(text.size()).arg(QString::fromLatin1(bytes.toPercentEncoding()));
}

}  // namespace

// Compares cell texts and shows both when they differ; QCOMPARE prints nothing useful for megabytes.
#define COMPARE_TEXT(actual, expected) \
  QVERIFY2(                            \
      (actual) == (expected),          \
      qPrintable(                      \
          QStringLiteral("%1 is %2, expected %3").arg(QString::fromLatin1(#actual), Shown(actual), Shown(expected))))

class HostileTablesTest : public TFormTestBase {
  Q_OBJECT

  // One turn through the window as the child's first case would take it, so that fonts, styles and the
  // text engines are loaded before the baseline is taken.
  void WarmUp(const QString& dir) {
    QVERIFY(QDir().mkpath(dir));
    TTableText table(5, 10);
    table.Cell(0, 1, ToTableBytes(U("兰花")).c_str()).Cell(1, 1, "<B>x</B>").Cell(2, 1, "|\\\x4E\x2D");
    table.Cell(3, 1, "{\\rtf1 x}").Cell(4, 1, "plain words");
    QVERIFY(PutFile(dir + QStringLiteral("/data.dat"), table.bytes));
    QVERIFY(PutFile(dir + QStringLiteral("/data2.dat"), table.bytes));
    SetProgramDirectoryForTesting(dir.toStdString());
    ShowForm();
    for (int page : {1, 2}) {
      TTableGridView* grid = page == 1 ? form_->TableGrid1 : form_->TableGrid2;
      form_->PageControl1->setCurrentIndex(page);
      grid->setFocus();
      grid->MoveFocus(1, 1, false);
      QTest::keyClick(grid, Qt::Key_F2);
      form_->grab();
      QTest::keyClick(grid->EditSession().Editor(), Qt::Key_Return);
      DoubleClickColumnBorder(*grid, 1);
      form_->grab();
    }
    form_.reset();
    QCoreApplication::processEvents();
    errors_.clear();
  }

  // The steps on one grid page: focus, edit, fit, save, read back.
  void DriveGrid(TStepMeter& meter, const THostileCase& c, int page, const QString& dir, const QByteArray& text,
                 QByteArray expected) {
    TTableGridView* grid = page == 1 ? form_->TableGrid1 : form_->TableGrid2;
    QPushButton* save = page == 1 ? form_->Button4 : form_->Button10;
    const QString path = dir + (page == 1 ? QStringLiteral("/data.dat") : QStringLiteral("/data2.dat"));
    TTableGrid& model = grid->Model();

    meter.Time("focus on the worst cell", [&] {
      form_->PageControl1->setCurrentIndex(page);
      grid->setFocus();
      grid->MoveFocus(c.col, c.row, false);
      form_->grab();
    });
    QCOMPARE((TCellAddress{model.FocusedCol(), model.FocusedRow()}), (TCellAddress{c.col, c.row}));
    QVERIFY(!grid->CellRect(c.col, c.row).isNull());

    // Mouse actions go through the window, as the platform delivers them (a double-click is a press first).
    const auto inWindow = [this](QWidget* widget, QPoint pos) { return widget->mapTo(form_.get(), pos); };
    const QPoint center = inWindow(grid->viewport(), grid->CellRect(c.col, c.row).center());

    // Moving over markup looks for a link under the pointer: that lays the text out as well.
    meter.Time("pointer over the worst cell", [&] { QTest::mouseMove(form_->windowHandle(), center); });

    // A key pressed in the grid or its editor, timed until the window is painted again.
    const auto press = [&](const char* step, QWidget* widget, auto key) {
      meter.Time(step, [&] {
        QTest::keyClick(widget, key);
        form_->grab();
      });
    };
    press("F2 opens the editor", grid, Qt::Key_F2);
    QVERIFY(grid->EditSession().IsEditing());
    QCOMPARE(grid->EditSession().EditCell(), (TCellAddress{c.col, c.row}));

    press("Return commits the unchanged text", grid->EditSession().Editor(), Qt::Key_Return);
    QVERIFY(!grid->EditSession().IsEditing());
    COMPARE_TEXT(model.CellText(c.col, c.row), View(text));

    press("typing opens the editor", grid, 'x');
    QVERIFY(grid->EditSession().IsEditing());
    // A text too long to edit opens cut and read-only; the key then changes nothing.
    if (!grid->EditSession().Editor()->isReadOnly())
      QCOMPARE(grid->EditSession().Editor()->toPlainText(), QStringLiteral("x"));

    press("Esc cancels the edit", grid->EditSession().Editor(), Qt::Key_Escape);
    QVERIFY(!grid->EditSession().IsEditing());
    COMPARE_TEXT(model.CellText(c.col, c.row), View(text));

    meter.Time("click on the focused cell opens the editor", [&] {
      QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, Qt::NoModifier, center);
      form_->grab();
    });
    QVERIFY(grid->EditSession().IsEditing());

    // The press on the header ends the edit first.
    const QRect header = grid->CellRect(c.col, 0);
    QVERIFY(!header.isNull());
    const QPoint border = inWindow(grid->viewport(), QPoint(header.right(), header.center().y()));
    meter.Time("double-click on the header border fits the column",
               [&] { QTest::mouseDClick(form_->windowHandle(), Qt::LeftButton, Qt::NoModifier, border); });
    QVERIFY(!grid->EditSession().IsEditing());
    COMPARE_TEXT(model.CellText(c.col, c.row), View(text));
    const int fitted = model.ColWidth(c.col);
    QVERIFY2(fitted != 64, "the double-click fitted nothing");

    meter.Time("paint after the fit", [&] { form_->grab(); });

    meter.Time("save button", [&] {
      QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow(save, save->rect().center()));
    });
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join(QLatin1Char('\n'))));

    // The saved table is the one read, but for the fitted width.
    const QByteArray widthLine = "\r\ncw " + QByteArray::number(c.col) + ",";
    const qsizetype at = expected.indexOf(widthLine + "64\r\n");
    QVERIFY(at >= 0);
    expected.replace(at, widthLine.size() + 4, widthLine + QByteArray::number(fitted) + "\r\n");
    const QByteArray saved = FileBytes(path);
    QVERIFY2(saved == expected, qPrintable(FirstDifference(saved, expected)));

    TTableGrid reloaded;
    meter.Time("read the saved table into a fresh grid", [&] { ReadTableFile(reloaded, path.toStdString()); });
    COMPARE_TEXT(reloaded.CellText(c.col, c.row), View(text));
    QCOMPARE(reloaded.StoredCellCount(), model.StoredCellCount());
  }

  void RunInChild(const THostileCase& c, const QString& dir) {
    WarmUp(dir + QStringLiteral("/warm-up"));
    if (QTest::currentTestFailed()) return;

    const QString programDir = dir + QStringLiteral("/program");
    QVERIFY(QDir().mkpath(programDir));
    const QByteArray text = c.text(programDir);
    QByteArray table = c.table != nullptr ? c.table(programDir, text) : OneCellTable(c.col, text);
    QVERIFY(PutFile(programDir + QStringLiteral("/data.dat"), table));
    if (c.addressBookToo) QVERIFY(PutFile(programDir + QStringLiteral("/data2.dat"), table));
    SetProgramDirectoryForTesting(programDir.toStdString());

    TStepMeter meter(QString::fromUtf8(c.name));
    meter.Time("start-up reads the tables", [&] { ShowForm(); });
    if (QTest::currentTestFailed()) return;
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join(QLatin1Char('\n'))));
    COMPARE_TEXT(form_->TableGrid1->Model().CellText(c.col, c.row), View(text));

    meter.Time("paint the maintenance page", [&] {
      form_->PageControl1->setCurrentIndex(1);
      form_->grab();
    });

    meter.Time("paint the address-book page", [&] {
      form_->PageControl1->setCurrentIndex(2);
      form_->grab();
    });

    DriveGrid(meter, c, 1, programDir, text, table);
    if (QTest::currentTestFailed()) return;
    if (c.addressBookToo) {
      DriveGrid(meter, c, 2, programDir, text, table);
      if (QTest::currentTestFailed()) return;
    }

    meter.Time("close the window", [&] { form_.reset(); });

    const long peakKb = meter.PeakGrowthKb();
    std::fprintf(stderr, "hostile: %s: peak resident +%.1f MB\n", c.name, Mb(peakKb));
    const QString slow = meter.SlowSteps();
    QVERIFY2(slow.isEmpty(), qPrintable(QStringLiteral("steps over %1 ms of processor time or %2 ms: %3")
                                            .arg(kStepCpuLimitMs)
                                            .arg(kStepWallLimitMs)
                                            .arg(slow)));
    QVERIFY2(peakKb <= (c.peakBoundMb + kSanitizerSlackMb) * 1024L,
             qPrintable(QStringLiteral("resident memory peaked %1 MB over the baseline, bound %2 MB")
                            .arg(Mb(peakKb), 0, 'f', 1)
                            .arg(c.peakBoundMb + kSanitizerSlackMb)));
  }

  // Runs the case in a child process, killed when it outlives kCaseLimitMs.
  void RunIsolated(const QString& tag) {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildDirVariable), dir.path());
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
      environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("hostileTable:") + tag});
    QVERIFY(child.waitForStarted());
    const bool finished = child.waitForFinished(kCaseLimitMs);
    const qint64 now = MonotonicMs();
    long killedRssKb = -1;
    if (!finished) {
      killedRssKb = ChildRssKb(child.processId());
      child.kill();
      child.waitForFinished();
    }
    const qint64 elapsed = timer.elapsed();
    const QString output = QString::fromLocal8Bit(child.readAll());

    // The child's figures are passed on; its failure messages and its last step go into the verdict.
    QString lastStep = QStringLiteral("none");
    QStringList failures;
    bool inFailure = false;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
      if (line.startsWith(QStringLiteral("hostile: "))) {
        const qsizetype at = line.lastIndexOf(QStringLiteral(" begins at "));
        if (at < 0) {
          qInfo().noquote() << line;
          continue;
        }
        const qint64 begun = line.mid(at + 11).toLongLong();
        lastStep = QStringLiteral("%1 (running for %2 ms)").arg(line.mid(9, at - 9)).arg(now - begun);
      } else if (line.startsWith(QStringLiteral("FAIL!")) || inFailure) {
        failures << line.trimmed();
        inFailure = !line.contains(QStringLiteral("Loc: ["));
      }
    }

    if (!finished) {
      QFAIL(qPrintable(QStringLiteral("killed after %1 ms, resident %2 MB; last step %3")
                           .arg(elapsed)
                           .arg(Mb(killedRssKb), 0, 'f', 1)
                           .arg(lastStep)));
    }
    if (child.exitStatus() != QProcess::NormalExit) {
      QFAIL(qPrintable(QStringLiteral("crashed (signal %1) after %2 ms; last step %3\n%4")
                           .arg(child.exitCode())
                           .arg(elapsed)
                           .arg(lastStep, Tail(output))));
    }
    if (child.exitCode() == kRunawayExitCode) {
      QFAIL(qPrintable(QStringLiteral("stopped for runaway memory; last step %1").arg(lastStep)));
    }
    if (child.exitCode() != 0) {
      QFAIL(qPrintable(QStringLiteral("failed (exit code %1)\n%2")
                           .arg(child.exitCode())
                           .arg(failures.isEmpty() ? Tail(output) : failures.join(QLatin1Char('\n')))));
    }
  }

 private slots:
  void hostileTable_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < static_cast<int>(std::size(kCases)); ++i) QTest::newRow(kCases[i].name) << i;
  }

  void hostileTable() {
    QFETCH(int, index);
    const QString dir = qEnvironmentVariable(kChildDirVariable);
    if (dir.isEmpty()) {
      RunIsolated(QString::fromUtf8(kCases[index].name));
    } else {
      RunInChild(kCases[index], dir);
    }
  }
};

METRAZIL_TEST_MAIN(HostileTablesTest)
#include "HostileTablesTest.moc"
