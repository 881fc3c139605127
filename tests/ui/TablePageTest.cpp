// One table page as a document with its file: its start-up read and what a failed or partial read leaves;
// its saves (pressed during the read, of a big table, with edits open, over another program's change) and its
// row buttons; and the question before closing, asked only about a table a save would change.
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "base/ProgramDirectory.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/TableGrid.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/QuestionAnswerer.h"
#include "tests/support/TestMain.h"
#include "tests/support/UserInput.h"
#include "tests/support/Utf8.h"
#include "ui/Form1.h"

namespace metrazil {

class TablePageTest : public TFormTestBase {
  Q_OBJECT

 private slots:
  // Both pages take no input until their own read ends: a save pressed meanwhile writes nothing.
  void saveDuringTheReadWritesNothing() {
    WriteNumberedTable("data.dat", 300000, "N");
    WriteNumberedTable("data2.dat", 3, "A");
    const QByteArray table1 = Bytes("data.dat");
    const QByteArray table2 = Bytes("data2.dat");
    auto form = std::make_unique<TForm1>();
    bool reading = false;
    bool pagesTookInput = true;
    form->show();
    // Fires at the reader's first chance to let events through.
    QTimer::singleShot(1, form.get(), [&] {
      reading = form->IsReading();
      pagesTookInput = form->TabSheet2->isEnabled() || form->Button4->isEnabled() || form->TabSheet3->isEnabled() ||
                       form->TableGrid2->isEnabled();
      form->PageControl1->setCurrentIndex(1);
      QTest::keyClick(form->PageControl1, Qt::Key_S, Qt::AltModifier);
      form->Button4Click();
      form->Button10Click();
    });
    QTRY_VERIFY_WITH_TIMEOUT(form->ComboBox1->count() == 300000, 20000);
    QVERIFY(reading);
    QVERIFY(!pagesTookInput);
    QCOMPARE(Bytes("data.dat"), table1);
    QCOMPARE(Bytes("data2.dat"), table2);
    QVERIFY(form->TabSheet2->isEnabled() && form->TabSheet3->isEnabled());
    QVERIFY(!StatusLine(*form, 1)->isVisible());
    QVERIFY(errors_.isEmpty() && notices_.isEmpty());
  }

  void failedReadSaysWhyAndSavingAsksFirst_data() {
    QTest::addColumn<int>("failing");  // 1: data.dat, 2: data2.dat
    QTest::newRow("conversion table") << 1;
    QTest::newRow("address book") << 2;
  }

  // A save holding the file's lock makes the read fail; the other table is still read, the failed page
  // says why, saving it asks (default 取消) and closing asks nothing while it was not edited.
  void failedReadSaysWhyAndSavingAsksFirst() {
    QFETCH(int, failing);
    WriteNumberedTable("data.dat", 5, "N");
    WriteNumberedTable("data2.dat", 5, "A");
    const char* failedName = failing == 1 ? "data.dat" : "data2.dat";
    const char* otherName = failing == 1 ? "data2.dat" : "data.dat";
    const QByteArray failedBytes = Bytes(failedName);
    const int saver = ::open(Path(failedName).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(saver >= 0 && ::flock(saver, LOCK_EX) == 0);
    std::unique_ptr<TForm1> form = StartForm();
    QVERIFY(form);
    ::close(saver);
    QCOMPARE(errors_.size(), 1);
    QVERIFY(errors_.first().startsWith(U("Cannot open file ")));
    TTableGridView* failedGrid = failing == 1 ? form->TableGrid1 : form->TableGrid2;
    TTableGridView* otherGrid = failing == 1 ? form->TableGrid2 : form->TableGrid1;
    QCOMPARE(failedGrid->Model().ReadCell(0, 1), std::string());
    QCOMPARE(otherGrid->Model().ReadCell(0, 5), std::string(failing == 1 ? "A5" : "N5"));
    // The item list and the web page follow a complete read of data.dat only.
    QCOMPARE(form->ComboBox1->count(), failing == 1 ? 0 : 5);
    if (failing == 1) QVERIFY(navigations_.isEmpty());

    form->PageControl1->setCurrentIndex(failing);
    QLabel* status = StatusLine(*form, failing);
    QVERIFY(status->isVisible());
    QCOMPARE(status->text(), errors_.first());
    QVERIFY(status->geometry().bottom() < form->Button4->geometry().top());
    QVERIFY(failedGrid->geometry().bottom() < status->geometry().top());
    QVERIFY(!StatusLine(*form, 3 - failing)->isVisible());
    // The find bar opens between the grid and the status line, and gives the room back when it closes.
    failedGrid->setFocus();
    QTest::keyClick(failedGrid, Qt::Key_F, Qt::ControlModifier);
    const QWidget* findBar = form->findChild<QWidget*>(QStringLiteral("FindBar%1").arg(failing));
    QVERIFY(findBar->isVisible());
    QVERIFY(failedGrid->geometry().bottom() < findBar->geometry().top());
    QVERIFY(findBar->geometry().bottom() < status->geometry().top());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!findBar->isVisible());
    QVERIFY(failedGrid->geometry().bottom() < status->geometry().top());
    QVERIFY(status->geometry().top() - failedGrid->geometry().bottom() < findBar->height());

    {
      TQuestionAnswerer answerer({QStringLiteral("Enter")});
      QTest::keyClick(form->PageControl1, Qt::Key_S, Qt::AltModifier);
      QTRY_COMPARE(answerer.asked.size(), 1);
      QCOMPARE(answerer.asked[0].text, U(failedName) + U(" 未能完整读入，保存将替换磁盘上的文件。仍然保存？"));
      QCOMPARE(answerer.asked[0].buttons, QStringList({U("保存(&S)"), U("取消")}));
      QCOMPARE(answerer.asked[0].defaultButton, U("取消"));
    }
    QCOMPARE(Bytes(failedName), failedBytes);
    QVERIFY(status->isVisible());

    {
      TQuestionAnswerer answerer({});
      form->close();
      QVERIFY(!form->isVisible());
      QVERIFY(answerer.asked.isEmpty());
    }
    QCOMPARE(Bytes(failedName), failedBytes);

    // Saving anyway writes what the page shows and the page is whole again.
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->PageControl1->setCurrentIndex(failing);
    {
      TQuestionAnswerer answerer({U("保存(&S)")});
      QTest::keyClick(form->PageControl1, Qt::Key_S, Qt::AltModifier);
      QTRY_COMPARE(answerer.asked.size(), 1);
      QTRY_VERIFY(Bytes(failedName) != failedBytes);
    }
    QVERIFY(!status->isVisible());
    QCOMPARE(failedGrid->height(), otherGrid->height());
    QVERIFY(Bytes(otherName).size() > 0);
    QCOMPARE(TakeErrors().size(), 1);
    QVERIFY(notices_.isEmpty());
  }

  void twoWindowsOnOneFolder_data() {
    QTest::addColumn<bool>("inPlace");  // the other writer rewrites the file in place instead of renaming
    QTest::newRow("another instance saves") << false;
    QTest::newRow("another program writes in place") << true;
  }

  // A edits and saves, then B edits and saves: B is asked, and 取消 keeps A's file. Closing B says so too,
  // and its 保存 then overwrites without asking again.
  void twoWindowsOnOneFolder() {
    QFETCH(bool, inPlace);
    WriteNumberedTable("data.dat", 10, "N");
    std::unique_ptr<TForm1> b = StartForm();
    QVERIFY(b);
    if (inPlace) {
      QFile file(Path("data.dat"));
      QVERIFY(file.open(QIODevice::ReadWrite));
      const QByteArray bytes = file.readAll().replace("N9", "A9");
      QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
      QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
      file.close();
    } else {
      std::unique_ptr<TForm1> a = StartForm();
      QVERIFY(a);
      a->TableGrid1->Model().WriteCell(0, 9, "A9");
      TQuestionAnswerer answerer({});
      a->Button4Click();
      QVERIFY(answerer.asked.isEmpty());
      a->close();
      QVERIFY(!a->isVisible() && answerer.asked.isEmpty());
    }
    const QByteArray aBytes = Bytes("data.dat");
    QVERIFY(aBytes.contains("A9"));

    b->TableGrid1->Model().WriteCell(0, 10, "B10");
    {
      TQuestionAnswerer answerer({QStringLiteral("Enter")});
      b->Button4Click();
      QCOMPARE(answerer.asked.size(), 1);
      QCOMPARE(answerer.asked[0].text, U("data.dat 在读入后已被其他程序修改。覆盖它？"));
      QCOMPARE(answerer.asked[0].buttons, QStringList({U("取消"), U("覆盖")}));
      QCOMPARE(answerer.asked[0].defaultButton, U("取消"));
    }
    QCOMPARE(Bytes("data.dat"), aBytes);
    {
      TQuestionAnswerer answerer({U("保存(&S)")});
      b->close();
      QCOMPARE(answerer.asked.size(), 1);
      QCOMPARE(answerer.asked[0].text, U("换算表有未保存的修改，且 data.dat 在读入后已被其他程序修改，是否保存？"));
      QVERIFY(!b->isVisible());
    }
    QVERIFY(Bytes("data.dat").contains("B10") && !Bytes("data.dat").contains("A9"));
    QVERIFY(errors_.isEmpty() && notices_.isEmpty());
  }

  // A file that holds what the save would write lost nothing, whoever wrote it: no question.
  void sameBytesUnderANewStampAskNothing() {
    WriteNumberedTable("data2.dat", 4, "A");
    std::unique_ptr<TForm1> form = StartForm();
    QVERIFY(form);
    WriteNumberedTable("data2.dat", 4, "A");
    TQuestionAnswerer answerer({});
    form->Button10Click();
    QVERIFY(answerer.asked.isEmpty());
    form->close();
    QVERIFY(!form->isVisible() && answerer.asked.isEmpty());
  }

  // A hand-edited file (a byte-order mark, a comment, a cell outside the counts) is read as far as it goes
  // and says what it left out; the first save keeps the old file as the backup, the next one leaves it.
  void linesLeftOutKeepTheOldFileOnce() {
    const QByteArray original =
        "\xEF\xBB\xBF"
        "5,4\r\ncw 0,64\r\n# hand-edited\r\n0,1,N1\r\n1,1,cm\r\n9,1,outside\r\n0,2,N2\r\n";
    Put("data.dat", original);
    std::unique_ptr<TForm1> form = StartForm();
    QVERIFY(form);
    QCOMPARE(notices_, QStringList({U("data.dat 有 2 行未能读入，首次保存时旧文件将保留为 data.dat.bak")}));
    const TTableGrid& model = form->TableGrid1->Model();
    QCOMPARE(model.ColCount(), 5);
    QCOMPARE(model.ReadCell(1, 1), std::string("cm"));
    QVERIFY(form->TabSheet2->isEnabled() && !StatusLine(*form, 1)->isVisible());
    {
      TQuestionAnswerer answerer({});
      form->Button4Click();
      QVERIFY(answerer.asked.isEmpty());
    }
    QCOMPARE(Bytes("data.dat.bak"), original);
    QCOMPARE(Bytes("data.dat"), QByteArray::fromStdString(TableFileBytes(model)));
    QVERIFY(Bytes("data.dat").startsWith("5,4\r\n") && Bytes("data.dat").contains("0,2,N2\r\n"));
    form->TableGrid1->Model().WriteCell(0, 3, "N3");
    form->Button4Click();
    QVERIFY(Bytes("data.dat").contains("0,3,N3\r\n"));
    QCOMPARE(Bytes("data.dat.bak"), original);
    QCOMPARE(notices_.size(), 1);
  }

  // A UTF-8 file shows its Chinese, fills the item list, edits without replacement characters and is saved
  // as GB18030 with the UTF-8 original as the backup.
  void utf8TableIsReadConvertedAndKeptAsBackup() {
    const QByteArray original = U("5,3\r\n0,1,圆钢\r\n1,1,米\r\n0,2,角钢\r\n").toUtf8();
    Put("data.dat", original);
    std::unique_ptr<TForm1> form = StartForm();
    QVERIFY(form);
    QCOMPARE(notices_,
             QStringList({U("data.dat 按 UTF-8 编码读入，首次保存时将存为 GB18030，原文件保留为 data.dat.bak")}));
    TTableGridView* grid = form->TableGrid1;
    QCOMPARE(FromTableBytes(grid->Model().ReadCell(0, 1)), U("圆钢"));
    QCOMPARE(FromTableBytes(grid->Model().ReadCell(1, 1)), U("米"));
    QCOMPARE(form->ComboBox1->count(), 2);
    QCOMPARE(form->ComboBox1->itemText(0), U("圆钢"));
    QCOMPARE(form->ComboBox1->itemText(1), U("角钢"));

    form->PageControl1->setCurrentIndex(1);
    grid->setFocus();
    grid->MoveFocus(0, 2, false);
    QTest::keyClick(grid, Qt::Key_F2);
    QVERIFY(grid->EditSession().IsEditing());
    QTest::keyClick(grid->EditSession().Editor(), Qt::Key_End);
    QTest::keyClick(grid->EditSession().Editor(), Qt::Key_X);
    QTest::keyClick(grid->EditSession().Editor(), Qt::Key_Return);
    QCOMPARE(FromTableBytes(grid->Model().ReadCell(0, 2)), U("角钢x"));

    form->Button4Click();
    QCOMPARE(Bytes("data.dat.bak"), original);
    const QByteArray saved = Bytes("data.dat");
    QVERIFY(saved.contains(QByteArray::fromStdString("0,1," + ToTableBytes(U("圆钢")) + "\r\n")));
    QVERIFY(saved.contains(QByteArray::fromStdString("0,2," + ToTableBytes(U("角钢x")) + "\r\n")));
    QCOMPARE(notices_.size(), 1);
  }

  // A killed save's temporary file goes at start-up; another name beside it stays.
  void staleTemporaryRemovedAtStartUp() {
    WriteNumberedTable("data.dat", 2, "N");
    for (const char* name : {".data.dat.Ab12Cd", ".data2.dat.x9Y8z7", ".data.dat.keep.me"}) Put(name, {});
    std::unique_ptr<TForm1> form = StartForm();
    QVERIFY(form);
    QVERIFY(!QFile::exists(Path(".data.dat.Ab12Cd")));
    QVERIFY(!QFile::exists(Path(".data2.dat.x9Y8z7")));
    QVERIFY(QFile::exists(Path(".data.dat.keep.me")));
  }

  // A long save keeps the window's timers and paints going and shows the busy cursor, and still writes the
  // whole table.
  void saveOfABigTableKeepsTheWindowAlive() {
    WriteConversionTable();
    WriteTable("data2.dat", {{U("姓名")}, {U("张三")}});
    ShowForm();
    TTableGrid& grid = form_->TableGrid1->Model();
    grid.SetRowCount(1000001);
    for (int row = 1; row <= 1000000; ++row) {
      grid.WriteCell(0, row, std::string("N").append(std::to_string(row)).append(40, 'x'));
    }
    const std::string expected = TableFileBytes(grid);
    // The save is writing while its temporary file stands beside the table.
    const QDir dir(dir_->path());
    const auto saving = [&dir] {
      return !dir.entryList({QStringLiteral(".data.dat.*")}, QDir::Files | QDir::Hidden).isEmpty();
    };
    int ticksDuringSave = 0;
    bool busyCursorSeen = false;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
      if (!saving()) return;
      ++ticksDuringSave;
      busyCursorSeen = busyCursorSeen || QApplication::overrideCursor() != nullptr;
    });
    ticker.start(5);
    QElapsedTimer timer;
    timer.start();
    form_->Button4->click();
    const qint64 took = timer.elapsed();
    ticker.stop();
    QVERIFY(QApplication::overrideCursor() == nullptr);
    if (took >= 60) QVERIFY2(ticksDuringSave > 0, "no timer fired during the save");
    if (took >= 250) QVERIFY2(busyCursorSeen, "no busy cursor during a long save");
    QCOMPARE(Bytes("data.dat"), QByteArray::fromStdString(expected));
    QVERIFY(errors_.isEmpty());
  }

  void readAnnouncesItsLayoutWhileItsUpdateStaysOpen() {
    WriteNumberedTable("data.dat", 300000, "N");
    form_ = std::make_unique<TForm1>();
    TTableGrid& grid = form_->TableGrid1->Model();
    const std::function<void()> viewHook = grid.OnLayoutChanged;
    int layouts = 0;
    grid.OnLayoutChanged = [&] {
      ++layouts;
      viewHook();
    };
    bool reading = false;
    bool updating = false;
    int layoutsSeen = 0;
    form_->show();
    // Fires whenever the reader lets events through; looks at the first chance after the count line (the
    // first chances may come while the encoding is still being found).
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, form_.get(), [&] {
      if (reading || grid.RowCount() != 300001) return;
      reading = form_->IsReading();
      updating = grid.Updating();
      layoutsSeen = layouts;
    });
    sampler.start(1);
    QTRY_COMPARE(form_->ComboBox1->count(), 300000);  // the list is filled after the read
    sampler.stop();
    grid.OnLayoutChanged = viewHook;
    QVERIFY(reading);
    QVERIFY(updating);
    QVERIFY2(layoutsSeen > 0, "the count line's rows are announced while the read goes on");
    QVERIFY(!grid.Updating());
    QVERIFY(errors_.isEmpty());
  }

  void maintenanceButtons() {
    ShowForm();
    TTableGrid& grid1 = form_->TableGrid1->Model();
    grid1.WriteCell(0, 1, "A");
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    QCOMPARE(grid1.RowCount(), 11);
    QTest::mouseClick(form_->Button6, Qt::LeftButton);  // empty row at the focused row 1
    QCOMPARE(grid1.ReadCell(0, 2), std::string("A"));
    QTest::mouseClick(form_->Button3, Qt::LeftButton);
    QCOMPARE(grid1.ReadCell(0, 1), std::string("A"));
    QCOMPARE(grid1.RowCount(), 11);
    form_->Button4->click();
    QVERIFY(QFile::exists(Path("data.dat")));

    TTableGrid& grid2 = form_->TableGrid2->Model();
    for (QPushButton* button : {form_->Button7, form_->Button9, form_->Button8, form_->Button11}) button->click();
    QCOMPARE(grid2.RowCount(), 11);
    QCOMPARE(grid2.ColCount(), 6);
    QCOMPARE(grid2.ColWidth(5), 64);
    form_->Button10->click();
    TTableGrid reloaded;
    ReadTableFile(reloaded, Path("data2.dat").toStdString());
    QCOMPARE(reloaded.ColCount(), 6);
    QVERIFY(errors_.isEmpty());

    // The path is built at the moment of saving; a failure reaches the error box.
    QVERIFY(QDir().mkpath(Path("blocked/data.dat")));
    SetProgramDirectoryForTesting(Path("blocked").toStdString());
    form_->Button4->click();
    const QStringList errors = TakeErrors();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].startsWith(QStringLiteral("Cannot Create ") + Path("blocked/data.dat")));
  }

  void saveByClickStoresTheEditedText() {
    ShowForm();
    TTableGridView* grid = OpenPage(1);
    Type("abc");
    QVERIFY(grid->EditSession().IsEditing());
    QCOMPARE(grid->Model().ReadCell(0, 1), std::string());
    Click(form_->Button4);
    QVERIFY(!grid->EditSession().IsEditing());
    QCOMPARE(SavedCell("data.dat", 0, 1), std::string("abc"));
  }

  // What the user sees is what is saved: Alt+S ends an open in-place or header edit first.
  void saveByAcceleratorStoresOpenEdits() {
    ShowForm();
    TTableGridView* grid = OpenPage(1);
    grid->Model().WriteCell(0, 1, "old");
    TypeCharacters(U("另存测试"));
    QVERIFY(grid->EditSession().IsEditing());
    Key(Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(Path("data.dat")));
    QCOMPARE(SavedCell("data.dat", 0, 1), ToTableBytes(U("另存测试")));
    QVERIFY(!grid->EditSession().IsEditing());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));

    TTableGridView* book = OpenPage(2);
    QTest::mouseDClick(form_->windowHandle(), Qt::LeftButton, {}, CellInWindow(book, 1, 0).center());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(book->EditSession().HeaderEditor()));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Phone"));
    Key(Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(Path("data2.dat")));
    QCOMPARE(SavedCell("data2.dat", 1, 0), std::string("Phone"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(book));
    // Saved as seen: closing asks nothing.
    TQuestionAnswerer answerer({});
    QVERIFY(form_->close());
    QCOMPARE(answerer.Texts(), QStringList());
  }

  // Closing over unsaved changes asks once per changed table, the conversion table first.
  void closeAsksAboutEachChangedTable_data() {
    QTest::addColumn<bool>("changeTable1");
    QTest::addColumn<bool>("changeTable2");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved1");
    QTest::addColumn<bool>("saved2");
    const QString save = U("保存(&S)");
    const QString dontSave = U("不保存(&N)");
    const QString cancel = U("取消");
    QTest::newRow("save both") << true << true << QStringList{save, save} << 2 << true << true << true;
    QTest::newRow("save neither") << true << true << QStringList{dontSave, dontSave} << 2 << true << false << false;
    QTest::newRow("save the second") << true << true << QStringList{dontSave, save} << 2 << true << false << true;
    QTest::newRow("cancel at once") << true << true << QStringList{cancel} << 1 << false << false << false;
    QTest::newRow("Esc cancels") << true << false << QStringList{QStringLiteral("Esc")} << 1 << false << false << false;
    QTest::newRow("cancel after a save") << true << true << QStringList{save, cancel} << 2 << false << true << false;
    QTest::newRow("only the address book") << false << true << QStringList{save} << 1 << true << false << true;
    QTest::newRow("nothing changed") << false << false << QStringList{} << 0 << true << false << false;
  }
  void closeAsksAboutEachChangedTable() {
    QFETCH(bool, changeTable1);
    QFETCH(bool, changeTable2);
    QFETCH(QStringList, answers);
    QFETCH(int, questions);
    QFETCH(bool, closed);
    QFETCH(bool, saved1);
    QFETCH(bool, saved2);
    // The address book starts from a file, the conversion table from nothing.
    {
      TTableGrid book;
      book.WriteCell(0, 1, "Li");
      WriteTableFile(book, Path("data2.dat").toStdString());
    }
    const QByteArray book = Bytes("data2.dat");
    ShowForm();
    // The edits stay open: closing commits them before asking.
    if (changeTable1) {
      OpenPage(1);
      Type("abc");
    }
    if (changeTable2) {
      OpenPage(2);
      Key(Qt::Key_Down);
      Type("xyz");
    }
    TQuestionAnswerer answerer(answers);
    Click(form_->BitBtn1);
    QCOMPARE(answerer.asked.size(), questions);
    QVERIFY(answerer.looksRight);
    for (const TQuestionAnswerer::TQuestion& question : answerer.asked) {
      QCOMPARE(question.buttons, QStringList({U("不保存(&N)"), U("保存(&S)"), U("取消")}));
    }
    if (changeTable1) QCOMPARE(answerer.Texts().first(), U("换算表有未保存的修改，是否保存？"));
    if (questions == 2 || (!changeTable1 && changeTable2)) {
      QCOMPARE(answerer.Texts().last(), U("通信录有未保存的修改，是否保存？"));
    }
    QCOMPARE(form_->isVisible(), !closed);
    if (saved1) {
      QCOMPARE(SavedCell("data.dat", 0, 1), std::string("abc"));
    } else {
      QVERIFY(!QFile::exists(Path("data.dat")));
    }
    if (saved2) {
      QCOMPARE(SavedCell("data2.dat", 0, 2), std::string("xyz"));
    } else {
      QCOMPARE(Bytes("data2.dat"), book);
    }
    if (!closed) {
      // Everything stays as it was, the typed texts committed to their cells.
      if (changeTable1) QCOMPARE(form_->TableGrid1->Model().ReadCell(0, 1), std::string("abc"));
      if (changeTable2) QCOMPARE(form_->TableGrid2->Model().ReadCell(0, 2), std::string("xyz"));
    }
  }

  void failedSaveOnClosingKeepsTheWindowOpen() {
    ShowForm();
    OpenPage(1);
    Type("abc");
    Click(form_->Button4);
    OpenPage(1);
    Key(Qt::Key_Down);
    Type("def");
    ::chmod(QFile::encodeName(Path("data.dat")).constData(), 0444);
    {
      TQuestionAnswerer answerer({U("保存(&S)")});
      QVERIFY(!form_->close());
      QCOMPARE(answerer.asked.size(), 1);
    }
    QCOMPARE(TakeErrors(), QStringList{QStringLiteral("Cannot Create %1.").arg(Path("data.dat"))});
    QVERIFY(form_->isVisible());
    QCOMPARE(SavedCell("data.dat", 0, 2), std::string());
    ::chmod(QFile::encodeName(Path("data.dat")).constData(), 0644);
    TQuestionAnswerer answerer({U("保存(&S)")});
    QVERIFY(form_->close());
    QCOMPARE(SavedCell("data.dat", 0, 2), std::string("def"));
  }

  // Changes undone by hand, zooming back and a save leave nothing to ask about.
  void closingAfterUndoneChangesAsksNothing() {
    ShowForm();
    TTableGridView* grid = OpenPage(1);
    Type("abc");
    Key(Qt::Key_Return);
    Key(Qt::Key_F2);
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Backspace);
    Key(Qt::Key_Return);
    QCOMPARE(grid->Model().ReadCell(0, 1), std::string());
    Wheel(grid->viewport(), -120, Qt::ControlModifier);
    QVERIFY(grid->ZoomLevel() > 0);
    Wheel(grid->viewport(), 120, Qt::ControlModifier);
    QCOMPARE(grid->ZoomLevel(), 0);
    TQuestionAnswerer answerer({});
    QVERIFY(form_->close());
    QCOMPARE(answerer.Texts(), QStringList());
  }
};

}  // namespace metrazil

METRAZIL_TEST_MAIN(metrazil::TablePageTest)
#include "TablePageTest.moc"
