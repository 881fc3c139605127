// Unsaved work after a kill, a crash or a shutdown: the real program is run as a child process, changes its
// tables as a user does and is killed (SIGKILL) or told to end (SIGTERM); the next start offers the changes
// back, and a save then writes what a save without the kill wrote. Also: the journals of running instances
// are left alone, those that do not fit the file are kept aside, and no answer's default overwrites another
// program's change.
#include <fcntl.h>
#include <signal.h>

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/ProgramDirectory.h"
#include "grid/file/SystemCalls.h"
#include "grid/file/TableFileWriter.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"
#include "tests/support/DoubleClickColumnBorder.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/QuestionAnswerer.h"
#include "tests/support/UserInput.h"
#include "tests/support/Utf8.h"
#include "ui/Application.h"
#include "ui/Form1.h"
#include "ui/ReportException.h"
#include "ui/ShowNotice.h"
#include "ui/ShutdownWatch.h"
#include "ui/WebBrowser.h"

namespace metrazil {

namespace {

// Every kind of change a user makes, through the window: edits of a cell and of a header, the row and column
// buttons, a fitted width, a paste, a clear, a cut, and undo and redo among them.
void ChangeEveryWay(TForm1& form) {
  TTableGridView* table = TFormTestBase::OpenPage(form, 1);
  table->MoveFocus(1, 2, false);
  Type("9.5");
  Key(Qt::Key_Return);
  table->EditSession().BeginHeaderEdit(2);
  QTest::keyClicks(table->EditSession().HeaderEditor(), "x");
  table->EditSession().EndAllEdits();
  form.Button2Click();
  table->MoveFocus(0, 3, false);
  form.Button6Click();
  table->MoveFocus(0, 5, false);
  form.Button3Click();
  Key(Qt::Key_Z, Qt::ControlModifier);
  Key(Qt::Key_Y, Qt::ControlModifier);
  DoubleClickColumnBorder(*table, 0);

  TTableGridView* book = TFormTestBase::OpenPage(form, 2);
  book->MoveFocus(0, 1, false);
  QGuiApplication::clipboard()->setText(U("张三\t010\n李四\t021\n王五\t0755\n"));
  Key(Qt::Key_V, Qt::ControlModifier);
  book->MoveFocus(1, 2, false);
  book->MoveFocus(1, 3, true);
  Key(Qt::Key_Delete);
  book->MoveFocus(0, 3, false);
  Key(Qt::Key_X, Qt::ControlModifier);
  form.Button11Click();
  Key(Qt::Key_Z, Qt::ControlModifier);
}

// The child: the program as main() runs it, over the directory given, with the change asked for.
int RunChild(int argc, char** argv) {
  const std::string dir = argv[2];
  const std::string change = argv[3];
  const std::string ending = argv[4];
  SetProgramDirectoryForTesting(dir);
  TApplication application(argc, argv);
  SetNoticePresenter([](const QString& text) { std::fprintf(stderr, "notice: %s\n", qPrintable(text)); });
  SetErrorBoxPresenter([](const QString& text) { std::fprintf(stderr, "error: %s\n", qPrintable(text)); });
  TWebBrowser::SetNavigator([](const QUrl&) {});
  const std::unique_ptr<TForm1> started = TFormTestBase::StartForm();
  if (started == nullptr) return 1;
  TForm1& form = *started;
  const TShutdownWatch shutdownWatch;
  QObject::connect(&shutdownWatch, &TShutdownWatch::shutdownRequested, &form, &TForm1::PreserveWorkAndExit);
  QObject::connect(&shutdownWatch, &TShutdownWatch::sessionSaving, &form, &TForm1::KeepWork);
  QTest::qWait(50);
  if (change == "every") {
    ChangeEveryWay(form);
  } else {
    // "cell:COL:ROW:TEXT" on the conversion table; "open:COL:ROW:TEXT" leaves its editor open.
    const QStringList parts = QString::fromStdString(change).split(QLatin1Char(':'));
    TFormTestBase::OpenPage(form, 1)->MoveFocus(parts[1].toInt(), parts[2].toInt(), false);
    Type(parts[3].toLatin1().constData());
    if (parts[0] == QLatin1String("cell")) Key(Qt::Key_Return);
  }
  if (ending == "save") {
    form.Button4Click();
    form.Button10Click();
    form.close();
    std::puts("saved");
    return 0;
  }
  if (ending == "session-end") {
    // What the desktop's session manager does when the session ends: a quit sent to the application.
    QTimer::singleShot(300, [] {
      QEvent quit(QEvent::Quit);
      QGuiApplication::sendEvent(qApp, &quit);
    });
  }
  std::puts("ready");
  std::fflush(stdout);
  return TApplication::exec();
}

}  // namespace

class RecoveryTest : public TFormTestBase {
  Q_OBJECT

  // The program in a child process over the test's directory (or another), once it has made its change.
  std::unique_ptr<QProcess> StartChild(const QString& dir, const QString& change, const char* ending = "wait") {
    auto child = std::make_unique<QProcess>();
    child->setProcessChannelMode(QProcess::SeparateChannels);
    child->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--child"), dir, change, QString::fromLatin1(ending)});
    const QByteArray expected = ending == std::string("save") ? "saved" : "ready";
    QByteArray out;
    QElapsedTimer waited;
    waited.start();
    while (!out.contains(expected) && waited.elapsed() < 60000 && child->state() != QProcess::NotRunning) {
      child->waitForReadyRead(200);
      out += child->readAllStandardOutput();
    }
    if (!out.contains(expected)) {
      qWarning("child: %s", child->readAllStandardError().constData());
      return nullptr;
    }
    return child;
  }
  // Kills the child a fifth of a second and more after its last change, as a user's last keystroke may be.
  static void Kill(QProcess& child, int signal) {
    QTest::qWait(300);
    ::kill(static_cast<pid_t>(child.processId()), signal);
    QVERIFY(child.waitForFinished(10000));
  }
  QStringList Journals(const char* table) const {
    return QDir(dir_->path())
        .entryList({QStringLiteral(".%1.journal-*").arg(QLatin1String(table))}, QDir::Files | QDir::Hidden);
  }
  QStringList KeptAside(const char* table) const {
    return QDir(dir_->path())
        .entryList({QStringLiteral("%1.unsaved-changes-*").arg(QLatin1String(table))}, QDir::Files);
  }
  // What a page's status line says, empty while it is hidden.
  QString StatusText(int page) const {
    const QLabel* line = StatusLine(*form_, page);
    return line != nullptr && line->isVisibleTo(form_.get()) ? line->text() : QString();
  }

 private slots:
  void init() {
    MakeProgramDirectory();
    CopySampleTables(dir_->path());
  }
  void cleanup() {
    sys::SetFault(nullptr);
    CloseForm();
  }

  void everyChangeComesBackAfterTheProcessEnds_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGKILL") << SIGKILL;
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("session end") << 0;
  }
  void everyChangeComesBackAfterTheProcessEnds() {
    QFETCH(int, signal);
    QTemporaryDir reference;
    CopySampleTables(reference.path());
    std::unique_ptr<QProcess> saving = StartChild(reference.path(), QStringLiteral("every"), "save");
    QVERIFY(saving != nullptr && saving->waitForFinished(10000));

    std::unique_ptr<QProcess> child =
        StartChild(dir_->path(), QStringLiteral("every"), signal == 0 ? "session-end" : "wait");
    QVERIFY(child != nullptr);
    QElapsedTimer ending;
    ending.start();
    if (signal == 0) {
      QVERIFY(child->waitForFinished(10000));
    } else {
      Kill(*child, signal);
    }
    if (signal != SIGKILL) {
      QVERIFY2(ending.elapsed() < 300 + 2000, "a termination signal ends the program within 2 s");
      QCOMPARE(child->exitStatus(), QProcess::NormalExit);
    }
    QCOMPARE(Journals("data.dat").size(), 1);
    QCOMPARE(Journals("data2.dat").size(), 1);

    TQuestionAnswerer answers({U("恢复(&R)"), U("恢复(&R)")});
    ShowForm();
    QCOMPARE(answers.Texts(), QStringList({U("data.dat 有上次未保存的修改。恢复它们？"),
                                           U("data2.dat 有上次未保存的修改。恢复它们？")}));
    QCOMPARE(answers.Defaults(), QStringList({U("恢复(&R)"), U("恢复(&R)")}));
    QVERIFY(answers.looksRight);
    QVERIFY(notices_.isEmpty());
    QCOMPARE(QByteArray::fromStdString(TableFileBytes(form_->TableGrid1->Model())),
             FileBytes(reference.filePath(QStringLiteral("data.dat"))));
    QCOMPARE(QByteArray::fromStdString(TableFileBytes(form_->TableGrid2->Model())),
             FileBytes(reference.filePath(QStringLiteral("data2.dat"))));
    QVERIFY(Bytes("data.dat") != FileBytes(reference.filePath(QStringLiteral("data.dat"))));

    // The replayed steps are on the undo list: the last one undone there can be made again, and the
    // others stepped back through.
    TTableGridView* book = OpenPage(2);
    Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(book->Model().ColCount(), 6);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(book->Model().ColCount(), 5);

    // Unsaved until saved: then the files are what the save without the kill wrote, and no journal is left.
    form_->Button4Click();
    form_->Button10Click();
    QCOMPARE(Bytes("data.dat"), FileBytes(reference.filePath(QStringLiteral("data.dat"))));
    QCOMPARE(Bytes("data2.dat"), FileBytes(reference.filePath(QStringLiteral("data2.dat"))));
    QVERIFY(form_->close());
    QTRY_COMPARE(Journals("data.dat"), QStringList());
    QCOMPARE(Journals("data2.dat"), QStringList());
  }

  // Told to end, by a signal or by the session's end, the program keeps the text of an editor still open too:
  // the user typed it and saw it.
  void anOpenEditComesBackAfterTheProgramIsToldToEnd_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("session end") << 0;
  }
  void anOpenEditComesBackAfterTheProgramIsToldToEnd() {
    QFETCH(int, signal);
    std::unique_ptr<QProcess> child =
        StartChild(dir_->path(), QStringLiteral("open:1:2:7.25"), signal == 0 ? "session-end" : "wait");
    QVERIFY(child != nullptr);
    if (signal == 0) {
      QVERIFY(child->waitForFinished(10000));
    } else {
      Kill(*child, signal);
    }
    TQuestionAnswerer answers({U("恢复(&R)"), U("恢复(&R)")});
    ShowForm();
    QCOMPARE(answers.Texts(), QStringList({U("data.dat 有上次未保存的修改。恢复它们？")}));
    QCOMPARE(form_->TableGrid1->Model().CellText(1, 2), std::string("7.25"));
  }

  void discardedWorkIsGoneAndAnOrdinaryCloseLeavesNoJournal() {
    std::unique_ptr<QProcess> child = StartChild(dir_->path(), QStringLiteral("cell:1:2:7"));
    QVERIFY(child != nullptr);
    Kill(*child, SIGKILL);
    const QByteArray before = Bytes("data.dat");
    {
      TQuestionAnswerer answers({U("放弃(&D)")});
      ShowForm();
      QCOMPARE(answers.asked.size(), 1);
    }
    QCOMPARE(Journals("data.dat"), QStringList());
    QCOMPARE(QByteArray::fromStdString(TableFileBytes(form_->TableGrid1->Model())), before);

    // An edit closed without saving leaves nothing behind either.
    OpenPage(1);
    Type("5");
    Key(Qt::Key_Return);
    QTRY_COMPARE(Journals("data.dat").size(), 1);
    TQuestionAnswerer answers({U("不保存(&N)")});
    QVERIFY(form_->close());
    QCOMPARE(Journals("data.dat"), QStringList());
    QCOMPARE(Bytes("data.dat"), before);
  }

  void aRunningInstancesJournalIsNotOffered() {
    std::unique_ptr<QProcess> running = StartChild(dir_->path(), QStringLiteral("cell:1:2:7"));
    QVERIFY(running != nullptr);
    QTest::qWait(300);
    {
      TQuestionAnswerer answers({});
      ShowForm();
      QCOMPARE(answers.Texts(), QStringList());
      QCOMPARE(Journals("data.dat").size(), 1);
      QVERIFY(form_->close());
      QCOMPARE(Journals("data.dat").size(), 1);  // nor removed when this one closes
    }
    Kill(*running, SIGKILL);
    TQuestionAnswerer answers({U("恢复(&R)")});
    ShowForm();
    QCOMPARE(answers.asked.size(), 1);
    QCOMPARE(form_->TableGrid1->Model().ReadCell(1, 2), "7");
  }

  void twoKilledInstancesAreOfferedInTurn() {
    // Two instances at work side by side, each with its own journal, killed together.
    std::vector<std::unique_ptr<QProcess>> children;
    for (const char* change : {"cell:1:2:7", "cell:2:3:8"}) {
      children.push_back(StartChild(dir_->path(), QString::fromLatin1(change)));
      QVERIFY(children.back() != nullptr);
    }
    for (const auto& child : children) Kill(*child, SIGKILL);
    QCOMPARE(Journals("data.dat").size(), 2);
    TQuestionAnswerer answers({U("恢复(&R)"), U("恢复(&R)")});
    ShowForm();
    QCOMPARE(answers.asked.size(), 2);
    QCOMPARE(form_->TableGrid1->Model().ReadCell(1, 2), "7");
    QCOMPARE(form_->TableGrid1->Model().ReadCell(2, 3), "8");
    // Both go on in this instance's journal, which a later kill would leave for the next start.
    QTRY_COMPARE(Journals("data.dat").size(), 1);
  }

  // A journal that does not fit the file as it now is (another program saved it) or that is damaged is kept
  // aside under a name that says what it is, and the window says where; the table is the file as it is.
  void journalsThatCannotBeReplayedAreKeptAside_data() {
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<QString>("says");
    QTest::newRow("file changed") << false << U("data.dat 已被其他程序修改，上次未保存的修改未恢复，保留在 ");
    QTest::newRow("damaged") << true << U("data.dat 的上次未保存的修改已损坏，未恢复，保留在 ");
  }
  void journalsThatCannotBeReplayedAreKeptAside() {
    QFETCH(bool, damaged);
    QFETCH(QString, says);
    std::unique_ptr<QProcess> child = StartChild(dir_->path(), QStringLiteral("cell:1:2:7"));
    QVERIFY(child != nullptr);
    Kill(*child, SIGKILL);
    const QString journal = dir_->filePath(Journals("data.dat").value(0));
    if (damaged) {
      QFile file(journal);
      QVERIFY(file.open(QIODevice::ReadWrite));
      file.seek(20);  // inside the header
      file.write("\xFF\xFF\xFF\xFF", 4);
    } else {
      QFile file(Path("data.dat"));
      QVERIFY(file.open(QIODevice::Append));
      file.write("0,9,other program\r\n");
    }
    const QByteArray onDisk = Bytes("data.dat");
    TQuestionAnswerer answers({});
    ShowForm();
    QCOMPARE(answers.Texts(), QStringList());
    QCOMPARE(KeptAside("data.dat").size(), 1);
    QCOMPARE(notices_, QStringList({says + dir_->filePath(KeptAside("data.dat").value(0))}));
    QCOMPARE(Journals("data.dat"), QStringList());
    QCOMPARE(QByteArray::fromStdString(TableFileBytes(form_->TableGrid1->Model())).size() > 0, true);
    QCOMPARE(Bytes("data.dat"), onDisk);
    QVERIFY(form_->TableGrid1->Model().ReadCell(1, 2) != "7");
  }

  // With another program's change on disk, Enter on the close question keeps the window open and the file as
  // it is; saving over the change on the user's word keeps it as the backup.
  void noDefaultOverwritesAnotherProgramsChange() {
    ShowForm();
    OpenPage(1);
    Type("5");
    Key(Qt::Key_Return);
    QFile::remove(Path("data.dat"));
    Put("data.dat", "5,3\r\n0,1,other program\r\n");
    const QByteArray theirs = Bytes("data.dat");
    {
      TQuestionAnswerer answers({QStringLiteral("Enter")});
      QVERIFY(!form_->close());
      QCOMPARE(answers.asked.size(), 1);
      QVERIFY(answers.asked[0].text.contains(U("已被其他程序修改")));
      QCOMPARE(answers.Defaults(), QStringList({U("取消")}));
    }
    QCOMPARE(Bytes("data.dat"), theirs);
    TQuestionAnswerer answers({U("保存(&S)")});
    QVERIFY(form_->close());
    QCOMPARE(Bytes("data.dat.bak"), theirs);
    QVERIFY(Bytes("data.dat") != theirs);
  }

  // A journal that cannot be written is said once in the page's status line; the user can still save.
  void aFailingJournalIsToldOnceAndSavingGoesOn() {
    ShowForm();
    sys::SetFault([](const char* call) { return std::string_view(call) == "fdatasync" ? ENOSPC : 0; });
    TTableGridView* table = OpenPage(1);
    Type("5");
    Key(Qt::Key_Return);
    QTRY_VERIFY(StatusText(1).contains(U("未能写入恢复记录")));
    const QString told = StatusText(1);
    table->MoveFocus(1, 3, false);
    Type("6");
    Key(Qt::Key_Return);
    QTest::qWait(600);
    QCOMPARE(StatusText(1), told);
    QVERIFY(errors_.isEmpty());
    form_->Button4Click();
    QCOMPARE(QByteArray::fromStdString(TableFileBytes(table->Model())), Bytes("data.dat"));
    sys::SetFault(nullptr);
  }
};

}  // namespace metrazil

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--child") return metrazil::RunChild(argc, argv);
  metrazil::TApplication app(argc, argv);
  metrazil::RecoveryTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "RecoveryTest.moc"
