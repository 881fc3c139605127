// What the window does so that a save never destroys a table: it waits for the read, asks before replacing
// a file it did not read completely or one another program changed, and reads each table on its own.
#include <sys/file.h>
#include <unistd.h>

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>

#include "base/ProgramDirectory.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/TableGrid.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"
#include "tests/support/TestMain.h"
#include "ui/Form1.h"
#include "ui/ReportException.h"
#include "ui/ShowNotice.h"
#include "ui/WebBrowser.h"

namespace metrazil {

namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

// Answers the modal questions that come up, one answer each in order: a button's caption, or "Enter" for
// the default button. With no answer left it presses Esc. Records each question with its buttons.
class TQuestionAnswerer : public QObject {
 public:
  explicit TQuestionAnswerer(QStringList answers) : answers_(std::move(answers)) {
    connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
    timer_.start(5);
  }
  struct TQuestion {
    QString text;
    QStringList buttons;  // in order
    QString defaultButton;
  };
  QList<TQuestion> asked;

 private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    TQuestion question{box->text(), {}, box->defaultButton() ? box->defaultButton()->text() : QString()};
    for (QAbstractButton* button : box->buttons()) question.buttons.append(button->text());
    question.buttons.sort();
    asked.append(question);
    const QString answer = answers_.isEmpty() ? QStringLiteral("Esc") : answers_.takeFirst();
    if (answer == QStringLiteral("Esc") || answer == QStringLiteral("Enter")) {
      QTest::keyClick(box, answer == QStringLiteral("Esc") ? Qt::Key_Escape : Qt::Key_Return);
      return;
    }
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == answer) QTest::mouseClick(button, Qt::LeftButton);
    }
  }

  QStringList answers_;
  QTimer timer_;
};

}  // namespace

class TableSafetyTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  QStringList errors_;
  QList<QUrl> navigations_;

  QString Path(const char* name) const { return dir_->filePath(QString::fromLatin1(name)); }
  QByteArray Bytes(const char* name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void WriteTable(const char* name, int rows, const char* text) {
    TTableGrid grid;
    grid.SetRowCount(rows + 1);
    for (int row = 1; row <= rows; ++row) grid.WriteCell(0, row, text + std::to_string(row));
    WriteTableFile(grid, Path(name).toStdString());
  }
  static std::unique_ptr<TForm1> ShowForm() {
    auto form = std::make_unique<TForm1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) return nullptr;
    QCoreApplication::processEvents();
    if (!QTest::qWaitFor([&] { return !form->IsReading(); }, 20000)) return nullptr;
    return form;
  }
  static QLabel* StatusLine(TForm1& form, int page) {
    return form.findChild<QLabel*>(QStringLiteral("StatusLine%1").arg(page));
  }

 private slots:
  void initTestCase() {
    SetNoticePresenter([this](const QString& text) { errors_.append(text); });
    SetErrorBoxPresenter([this](const QString& text) { errors_.append(text); });
    TWebBrowser::SetNavigator([this](const QUrl& url) { navigations_.append(url); });
  }

  void init() {
    errors_.clear();
    navigations_.clear();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    SetProgramDirectoryForTesting(dir_->path().toStdString());
  }

  void cleanup() { SetProgramDirectoryForTesting({}); }

  // Both pages take no input until their own read ends: a save pressed meanwhile writes nothing.
  void saveDuringTheReadWritesNothing() {
    WriteTable("data.dat", 300000, "N");
    WriteTable("data2.dat", 3, "A");
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
    QVERIFY(errors_.isEmpty());
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
    WriteTable("data.dat", 5, "N");
    WriteTable("data2.dat", 5, "A");
    const char* failedName = failing == 1 ? "data.dat" : "data2.dat";
    const char* otherName = failing == 1 ? "data2.dat" : "data.dat";
    const QByteArray failedBytes = Bytes(failedName);
    const int saver = ::open(Path(failedName).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(saver >= 0 && ::flock(saver, LOCK_EX) == 0);
    std::unique_ptr<TForm1> form = ShowForm();
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
    QCOMPARE(errors_.size(), 1);
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
    WriteTable("data.dat", 10, "N");
    std::unique_ptr<TForm1> b = ShowForm();
    QVERIFY(b);
    if (inPlace) {
      QFile file(Path("data.dat"));
      QVERIFY(file.open(QIODevice::ReadWrite));
      const QByteArray bytes = file.readAll().replace("N9", "A9");
      QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
      QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
      file.close();
    } else {
      std::unique_ptr<TForm1> a = ShowForm();
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
    QVERIFY(errors_.isEmpty());
  }

  // A file that holds what the save would write lost nothing, whoever wrote it: no question.
  void sameBytesUnderANewStampAskNothing() {
    WriteTable("data2.dat", 4, "A");
    std::unique_ptr<TForm1> form = ShowForm();
    QVERIFY(form);
    WriteTable("data2.dat", 4, "A");
    TQuestionAnswerer answerer({});
    form->Button10Click();
    QVERIFY(answerer.asked.isEmpty());
    form->close();
    QVERIFY(!form->isVisible() && answerer.asked.isEmpty());
  }

  void Put(const char* name, const QByteArray& bytes) {
    QFile file(Path(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
  }

  // A hand-edited file (a byte-order mark, a comment, a cell outside the counts) is read as far as it goes
  // and says what it left out; the first save keeps the old file as the backup, the next one leaves it.
  void linesLeftOutKeepTheOldFileOnce() {
    const QByteArray original =
        "\xEF\xBB\xBF"
        "5,4\r\ncw 0,64\r\n# hand-edited\r\n0,1,N1\r\n1,1,cm\r\n9,1,outside\r\n0,2,N2\r\n";
    Put("data.dat", original);
    std::unique_ptr<TForm1> form = ShowForm();
    QVERIFY(form);
    QCOMPARE(errors_, QStringList({U("data.dat 有 2 行未能读入，首次保存时旧文件将保留为 data.dat.bak")}));
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
    QCOMPARE(errors_.size(), 1);
  }

  // A UTF-8 file shows its Chinese, fills the item list, edits without replacement characters and is saved
  // as GB18030 with the UTF-8 original as the backup.
  void utf8TableIsReadConvertedAndKeptAsBackup() {
    const QByteArray original = U("5,3\r\n0,1,圆钢\r\n1,1,米\r\n0,2,角钢\r\n").toUtf8();
    Put("data.dat", original);
    std::unique_ptr<TForm1> form = ShowForm();
    QVERIFY(form);
    QCOMPARE(errors_,
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
    QCOMPARE(errors_.size(), 1);
  }

  // A killed save's temporary file goes at start-up; another name beside it stays.
  void staleTemporaryRemovedAtStartUp() {
    WriteTable("data.dat", 2, "N");
    for (const char* name : {".data.dat.Ab12Cd", ".data2.dat.x9Y8z7", ".data.dat.keep.me"}) {
      QFile file(Path(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    std::unique_ptr<TForm1> form = ShowForm();
    QVERIFY(form);
    QVERIFY(!QFile::exists(Path(".data.dat.Ab12Cd")));
    QVERIFY(!QFile::exists(Path(".data2.dat.x9Y8z7")));
    QVERIFY(QFile::exists(Path(".data.dat.keep.me")));
  }
};

}  // namespace metrazil

METRAZIL_TEST_MAIN(metrazil::TableSafetyTest)
#include "TableSafetyTest.moc"
