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
    const QString usage = QString::fromUtf8("用法：");
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
                                         << QString::fromUtf8("未知选项 'bogus'");
    QTest::newRow("unknown short option") << QStringList{QStringLiteral("-x"), QStringLiteral("-v")} << 2 << QString()
                                          << QString::fromUtf8("未知选项 'x'");
    QTest::newRow("Qt's option without its value")
        << QStringList{QStringLiteral("-platform")} << 2 << QString() << QString::fromUtf8("'-platform' 后缺少值");
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
      QVERIFY2(run.err.contains(QString::fromUtf8("用法：")), qPrintable(run.err));
    }
    // The usage is the program's own, in Chinese like the window: no English sentence of the parser's.
    const QString usage = status == 0 ? run.out : run.err;
    if (usage.contains(QString::fromUtf8("用法："))) {
      QVERIFY2(usage.contains(QString::fromUtf8("选项：")), qPrintable(usage));
      QVERIFY2(usage.contains(QString::fromUtf8("-h, --help     显示本帮助并退出。")), qPrintable(usage));
      QVERIFY2(usage.contains(QString::fromUtf8("-v, --version  显示版本并退出。")), qPrintable(usage));
      for (const char* english : {"Usage", "Options", "Shows", "Displays"}) {
        QVERIFY2(!usage.contains(QLatin1String(english)), qPrintable(usage));
      }
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
