// The real program's command line, run without a display: --help and --version answer and end, an unknown
// option ends with the usage on standard error, and anything else goes on to the window.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct TRun {
  int status = -1;
  QString out;
  QString err;
  bool running = false;
};

// Starts the program with no display; a run still going after `patience` ms is killed and reported as such.
TRun Run(const QStringList& arguments, const QProcessEnvironment& environment, int patience = 10000) {
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(METRAZIL_PROGRAM), arguments);
  TRun run;
  if (!program.waitForStarted()) return run;
  if (!program.waitForFinished(patience)) {
    run.running = true;
    program.kill();
    program.waitForFinished();
  } else if (program.exitStatus() == QProcess::NormalExit) {
    run.status = program.exitCode();
  }
  run.out = QString::fromLocal8Bit(program.readAllStandardOutput());
  run.err = QString::fromLocal8Bit(program.readAllStandardError());
  return run;
}

}  // namespace

class CommandLineTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

  QProcessEnvironment Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("HOME"), home_.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home_.path() + QStringLiteral("/data"));
    return environment;
  }

 private slots:
  void answersWithoutADisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString usage = QStringLiteral("Usage: ");
    const QString version = QStringLiteral("metrazil " METRAZIL_VERSION "\n");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0 << usage << QString();
    QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << 0 << usage << QString();
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0 << version << QString();
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << 0 << version << QString();
    QTest::newRow("ignored file name before -v")
        << QStringList{QStringLiteral("data.dat"), QStringLiteral("-v")} << 0 << version << QString();
    QTest::newRow("Qt's own option before -v")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-v")} << 0 << version
        << QString();
    QTest::newRow("unknown long option") << QStringList{QStringLiteral("--bogus")} << 2 << QString()
                                         << QStringLiteral("Unknown option 'bogus'");
    QTest::newRow("unknown short option")
        << QStringList{QStringLiteral("-x"), QStringLiteral("-v")} << 2 << QString() << QStringLiteral("'x'");
  }
  void answersWithoutADisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const TRun run = Run(arguments, Environment());
    QCOMPARE(run.status, status);
    if (out.isEmpty()) {
      QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
    } else {
      QVERIFY2(run.out.startsWith(out), qPrintable(run.out));
    }
    if (err.isEmpty()) {
      QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    } else {
      QVERIFY2(run.err.contains(err), qPrintable(run.err));
      QVERIFY2(run.err.contains(QStringLiteral("Usage: ")), qPrintable(run.err));
    }
    if (status == 0 && out == QStringLiteral("Usage: ")) {
      QVERIFY(run.out.contains(QStringLiteral("--help")) && run.out.contains(QStringLiteral("--version")));
    }
  }

  // A plain argument is no option: the window opens as if it were not there.
  void otherArgumentsOpenTheWindow() {
    QProcessEnvironment environment = Environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    const TRun run = Run({QStringLiteral("data.dat")}, environment, 3000);
    QVERIFY2(run.running, qPrintable(run.err));
  }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
