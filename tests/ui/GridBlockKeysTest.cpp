// Undo, redo and the block clipboard keys on the maintenance pages of the real window.
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "grid/file/TableFileWriter.h"
#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "tests/support/DoubleClickColumnBorder.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/TestMain.h"
#include "tests/support/UserInput.h"
#include "ui/Form1.h"

namespace metrazil {

// Tab-separated text as a spreadsheet puts it on the clipboard (GB18030 here, Unicode on the clipboard):
// quoted multi-line cells and quotes, empty cells and trailing empty columns.
const std::string kSpreadsheetRange =
    "\xc3\xfb\xb3\xc6\tunit\tnote\t\t\n"
    "\"\xb8\xd6\xbd\xee 12\"\"\"\tm\t\"first line\nsecond line\"\t\t\n"
    "\"pipe \"\"DN50\"\"\"\tkg/m\t\t\t\n"
    "\t\t\"tab\there\"\t\tlast\n";

class GridBlockKeysTest : public TFormTestBase {
  Q_OBJECT

 public:
  GridBlockKeysTest() : TFormTestBase(TStart::kShownWindow) {}

 private:
  static void SetClipboard(const std::string& tableBytes) {
    QGuiApplication::clipboard()->setText(FromTableBytes(tableBytes));
  }
  static std::string ClipboardBytes() { return ToTableBytes(QGuiApplication::clipboard()->text()); }
  static void Select(TTableGridView* grid, int fromCol, int fromRow, int toCol, int toRow) {
    grid->Model().SetFocusedCell(fromCol, fromRow);
    grid->Model().SetFocusedCell(toCol, toRow, true);
  }

 private slots:
  void undoAndRedoKeysTakeBackEditsAndRowButtons() {
    TTableGridView* grid = OpenPage(1);
    TTableGrid& model = grid->Model();
    const std::string empty = TableFileBytes(model);
    QTest::keyClicks(grid, QStringLiteral("abc"));
    Key(Qt::Key_Return);
    QCOMPARE(model.ReadCell(0, 1), std::string("abc"));
    const std::string edited = TableFileBytes(model);

    // Inside an open editor Ctrl+Z is the text box's own.
    QTest::keyClicks(grid, QStringLiteral("x"));
    QVERIFY(grid->EditSession().IsEditing());
    Key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(grid->EditSession().IsEditing());
    Key(Qt::Key_Escape);
    QCOMPARE(model.ReadCell(0, 1), std::string("abc"));

    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(TableFileBytes(model), empty);
    Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(TableFileBytes(model), edited);
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(TableFileBytes(model), edited);

    // 删除一行 on the edited row, undone: the row and the focus come back.
    model.SetFocusedCell(2, 1);
    form_->Button3->click();
    QCOMPARE(model.RowCount(), 9);
    grid->setFocus();
    model.SetFocusedCell(0, 5);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(TableFileBytes(model), edited);
    QCOMPARE(model.FocusedRow(), 1);
    form_->Button6->click();  // 插入一行
    form_->Button2->click();  // 增加一行
    QCOMPARE(model.RowCount(), 12);
    grid->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(TableFileBytes(model), edited);

    // A fitted width and a header edit, each one step.
    model.WriteCell(1, 2, "a much wider text than the column");
    const std::string wide = TableFileBytes(model);
    DoubleClickColumnBorder(*grid, 1);
    grid->EditSession().BeginHeaderEdit(2);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Head"));
    grid->EditSession().EndHeaderEdit();
    grid->setFocus();
    QCOMPARE(model.ReadCell(2, 0), std::string("Head"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(model.ReadCell(2, 0), std::string());
    QVERIFY(model.ColWidth(1) > 64);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(TableFileBytes(model), wide);

    TTableGridView* book = OpenPage(2);
    form_->Button11->click();  // 增加一列
    QCOMPARE(book->Model().ColCount(), 6);
    book->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(book->Model().ColCount(), 5);
  }

  void pasteCopyCutAndDeleteAreUndoableSteps_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QByteArray>("clipboard");
    QTest::addColumn<int>("selectToCol");
    QTest::addColumn<int>("selectToRow");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<int>("colCount");
    QTest::addColumn<QByteArray>("copiedBack");  // the selection after the paste, copied
    const QByteArray range = QByteArray::fromStdString(kSpreadsheetRange);
    QTest::newRow("spreadsheet range") << 1 << range << 0 << 8 << 12 << 5 << QByteArray();
    QTest::newRow("CR LF rows, no last line end")
        << 1 << QByteArray("a\tb\r\nc\td") << 0 << 8 << 10 << 5 << QByteArray("a\tb\nc\td\n");
    QTest::newRow("one text fills the selection")
        << 1 << QByteArray("\xd6\xd0\n") << 1 << 9 << 10 << 5 << QByteArray("\xd6\xd0\t\xd6\xd0\n\xd6\xd0\t\xd6\xd0\n");
    QTest::newRow("columns past the conversion table's dropped")
        << 1 << QByteArray("1\t2\t3\t4\t5\t6\n") << 0 << 8 << 10 << 5 << QByteArray("1\t2\t3\t4\t5\n");
    QTest::newRow("the address book grows its columns")
        << 2 << QByteArray("1\t2\t3\t4\t5\t6\n") << 0 << 8 << 10 << 6 << QByteArray();
  }

  void pasteCopyCutAndDeleteAreUndoableSteps() {
    QFETCH(int, page);
    QFETCH(QByteArray, clipboard);
    QFETCH(int, selectToCol);
    QFETCH(int, selectToRow);
    QFETCH(int, rowCount);
    QFETCH(int, colCount);
    QFETCH(QByteArray, copiedBack);
    TTableGridView* grid = OpenPage(page);
    TTableGrid& model = grid->Model();
    model.WriteCell(4, 9, "keep");
    const std::string before = TableFileBytes(model);
    SetClipboard(clipboard.toStdString());
    // The paste's corner is the selection's top-left cell, wherever the focus is in it.
    Select(grid, selectToCol, selectToRow, 0, 8);
    Key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(model.RowCount(), rowCount);
    QCOMPARE(model.ColCount(), colCount);
    QCOMPARE(model.FocusedCol(), 0);
    QCOMPARE(model.FocusedRow(), 8);
    Key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(ClipboardBytes(), copiedBack.isEmpty() ? clipboard.toStdString() : copiedBack.toStdString());
    const std::string pasted = TableFileBytes(model);

    Key(Qt::Key_Delete);
    QCOMPARE(model.ReadCell(0, 8), std::string());
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(TableFileBytes(model), pasted);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(TableFileBytes(model), before);
    Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(TableFileBytes(model), pasted);

    // Ctrl+X copies and clears in one step; Shift+Insert pastes it back.
    Key(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(model.ReadCell(0, 8), std::string());
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(TableFileBytes(model), pasted);
    Key(Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(ClipboardBytes(), copiedBack.isEmpty() ? clipboard.toStdString() : copiedBack.toStdString());
  }
};

}  // namespace metrazil

METRAZIL_TEST_MAIN(metrazil::GridBlockKeysTest)
#include "GridBlockKeysTest.moc"
