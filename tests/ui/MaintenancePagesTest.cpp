// The maintenance and address-book pages driven as a user does: typing into the grids, clicking the
// buttons, saving and starting again from the saved files.
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "grid/file/TableFileReader.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/TestMain.h"
#include "tests/support/UserInput.h"
#include "ui/Form1.h"

namespace metrazil {

class MaintenancePagesTest : public TFormTestBase {
  Q_OBJECT

 public:
  MaintenancePagesTest() : TFormTestBase(TStart::kShownWindow) {}

 private:
  // The bounding box of the dark (text) pixels of a rectangle of the window as it shows now.
  QRect InkBox(const QRect& area) {
    const QImage image = form_->grab().toImage();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        if (qGray(image.pixel(x, y)) < 96) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  }

 private slots:
  void escAfterUpOrDownInTheEdgeRowsKeepsTheCommittedText() {
    TTableGridView* grid = OpenPage(1);
    TTableGrid& model = grid->Model();
    model.WriteCell(0, 1, "top");
    model.WriteCell(0, 9, "old");
    Type("new");
    Key(Qt::Key_Up);
    QVERIFY(grid->EditSession().IsEditing());
    Key(Qt::Key_Escape);
    QCOMPARE(model.ReadCell(0, 1), std::string("new"));
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Type("new");
    Key(Qt::Key_Down);
    QVERIFY(grid->EditSession().IsEditing());
    Key(Qt::Key_Escape);
    QCOMPARE(model.ReadCell(0, 9), std::string("new"));
    // Esc still undoes what was typed after the commit.
    Type("x");
    Key(Qt::Key_Down);
    Type("y");
    Key(Qt::Key_Escape);
    QCOMPARE(model.ReadCell(0, 9), std::string("x"));
  }

  // The zoom changes the sizes that exist; added rows and columns get the design sizes.
  void addedRowsAndColumnsHaveDesignSizesWhateverTheZoom() {
    TTableGridView* grid = OpenPage(2);
    TTableGrid& model = grid->Model();
    Wheel(grid->viewport(), -120, Qt::ControlModifier);  // towards the user: zoom in
    const int step = grid->ZoomLevel();
    QVERIFY(step > 0);
    QCOMPARE(model.ColWidth(0), 64 + step);
    Click(form_->Button11);
    QCOMPARE(model.ColWidth(5), 64);
    Click(form_->Button7);
    QCOMPARE(model.RowHeight(model.RowCount() - 1), 21);
    QCOMPARE(model.RowHeight(model.RowCount() - 2), 21 + step);
    grid->setFocus();
    Key(Qt::Key_Home, Qt::ControlModifier);
    Click(form_->Button9);
    QCOMPARE(model.RowHeight(model.FocusedRow()), 21);
    QCOMPARE(model.RowHeight(model.FocusedRow() + 1), 21 + step);
    Click(form_->Button10);
    TTableGrid saved;
    ReadTableFile(saved, Path("data2.dat").toStdString());
    QCOMPARE(saved.ColWidth(5), 64);
  }

  void pressesOnScrollBarsAndLinksEndTheEditAndFocusTheGrid() {
    TTableGridView* grid = OpenPage(1);
    TTableGrid& model = grid->Model();
    model.SetRowCount(60);
    model.WriteCell(1, 1, "<a href=\"cell://R7C2\">go</a>");
    QCoreApplication::processEvents();
    QScrollBar* bar = grid->verticalScrollBar();
    QVERIFY(bar->isVisible());
    Type("abc");
    QVERIFY(grid->EditSession().IsEditing());
    const QPoint track(bar->width() / 2, bar->height() * 3 / 4);
    QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {}, bar->mapTo(form_.get(), track));
    QVERIFY(!grid->EditSession().IsEditing());
    QCOMPARE(model.ReadCell(0, 1), std::string("abc"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));
    QVERIFY(model.TopRow() > 1);

    // A press on a link follows it and gives the grid the keyboard focus.
    grid->SetTopLeft(0, 1);
    form_->Button2->setFocus();
    const QRect link = CellInWindow(grid, 1, 1);
    QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {}, link.topLeft() + QPoint(6, link.height() / 2));
    QCOMPARE((TCellAddress{model.FocusedCol(), model.FocusedRow()}), (TCellAddress{2, 7}));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));
  }

  // Zoomed in past the row height, every cell still shows its first line, cut at the cell.
  void zoomedTextStaysVisible() {
    TTableGridView* grid = OpenPage(1);
    grid->Model().WriteCell(0, 0, "Name");
    grid->Model().WriteCell(0, 1, "Wire");
    for (int i = 0; i < 3; ++i) Wheel(grid->viewport(), -120, Qt::ControlModifier);
    QCOMPARE(grid->ZoomLevel(), 9);
    for (int row : {0, 1}) {
      const QRect cell = CellInWindow(grid, 0, row);
      const QRect ink = InkBox(cell.adjusted(1, 1, -2, -2));
      QVERIFY2(ink.height() > 4, qPrintable(QStringLiteral("row %1").arg(row)));
    }
  }

  // The editor shows its text where the cell painted it.
  void editorTextLiesWherePaintedTextLies() {
    TTableGridView* grid = OpenPage(1);
    grid->Model().WriteCell(0, 1, "Wg");
    grid->Model().WriteCell(0, 2, ToTableBytes(QString::fromUtf8("名称")));
    for (int row : {1, 2}) {
      grid->Model().SetFocusedCell(0, row);
      grid->setFocus();
      QCoreApplication::processEvents();
      const QRect cell = CellInWindow(grid, 0, row).adjusted(1, 1, -2, -2);
      // The focused cell is painted selected (light text): compare with the cell painted unfocused.
      grid->Model().SetFocusedCell(1, row);
      QCoreApplication::processEvents();
      const QRect painted = InkBox(cell);
      grid->Model().SetFocusedCell(0, row);
      Key(Qt::Key_F2);
      QVERIFY(grid->EditSession().IsEditing());
      grid->EditSession().Editor()->setCursorWidth(0);
      QCoreApplication::processEvents();
      const QRect edited = InkBox(cell);
      QVERIFY(!painted.isEmpty());
      QCOMPARE(edited, painted);
      Key(Qt::Key_Escape);
    }
  }

  // The table keys reach the page's grid from its buttons and from the tab bar; undo gives the grid the
  // keyboard. In an editor or the find box the text box keeps its own keys.
  void tableKeysWorkAnywhereOnThePage_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("rowsAfterClick");
    QTest::addColumn<int>("colsAfterClick");
    QTest::newRow("删除一行") << 1 << "Button3" << 9 << 5;
    QTest::newRow("插入一行") << 1 << "Button6" << 11 << 5;
    QTest::newRow("增加一行") << 2 << "Button7" << 11 << 5;
    QTest::newRow("增加列") << 2 << "Button11" << 10 << 6;
  }
  void tableKeysWorkAnywhereOnThePage() {
    QFETCH(int, page);
    QFETCH(QString, button);
    QFETCH(int, rowsAfterClick);
    QFETCH(int, colsAfterClick);
    TTableGridView* grid = OpenPage(page);
    grid->Model().WriteCell(0, 1, "a");
    auto* pressed = form_->findChild<QPushButton*>(button);
    Click(pressed);
    QCOMPARE(grid->Model().RowCount(), rowsAfterClick);
    QCOMPARE(grid->Model().ColCount(), colsAfterClick);
    QCOMPARE(QApplication::focusWidget(), pressed);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid->Model().RowCount(), 10);
    QCOMPARE(grid->Model().ColCount(), 5);
    QCOMPARE(grid->Model().ReadCell(0, 1), "a");
    QVERIFY(grid->hasFocus());

    // From the tab bar: redo, undo again, and the find box.
    form_->PageControl1->tabBar()->setFocus();
    Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(grid->Model().RowCount(), rowsAfterClick);
    QVERIFY(grid->hasFocus());
    form_->PageControl1->tabBar()->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid->Model().RowCount(), rowsAfterClick);  // nothing left to redo
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid->Model().RowCount(), 10);
    form_->PageControl1->tabBar()->setFocus();
    Key(Qt::Key_F, Qt::ControlModifier);
    QLineEdit* findBox = form_->findChild<QLineEdit*>(QStringLiteral("FindText"), Qt::FindChildrenRecursively);
    QVERIFY(QApplication::focusWidget() != nullptr);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("FindText"));
    QVERIFY(findBox != nullptr);

    // The find box and the in-place editor keep their own keys.
    Key(Qt::Key_Y, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid->Model().RowCount(), 10);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("FindText"));
    Key(Qt::Key_Escape);
    QVERIFY(grid->hasFocus());
    Key(Qt::Key_F2);
    Type("x");
    Key(Qt::Key_Y, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(grid->EditSession().IsEditing());
    QCOMPARE(grid->Model().RowCount(), 10);
  }

  void typedRowIsFoundBeforeSavingAndListedAfterRestart() {
    TTableGridView* grid = OpenPage(1);
    Click(form_->Button2);
    QCOMPARE(grid->Model().RowCount(), 11);
    grid->setFocus();
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Type("Z9");
    form_->PageControl1->setCurrentIndex(0);  // leaving the page ends the edit
    QCOMPARE(grid->Model().LocateText("Z9"), (TCellAddress{0, 10}));

    OpenPage(1);
    Click(form_->Button4);
    form_.reset();
    ShowForm();
    QVERIFY(form_->ComboBox1->findText(QStringLiteral("Z9")) >= 0);
  }

  void deletedRowComesBackAsTheLastRowAndIsSaved() {
    TTableGridView* grid = OpenPage(1);
    Type("A");
    Key(Qt::Key_Down);
    Type("B");
    Key(Qt::Key_Return);
    Key(Qt::Key_Home, Qt::ControlModifier);
    Click(form_->Button3);
    QCOMPARE(grid->Model().RowCount(), 9);
    QCOMPARE(grid->Model().ReadCell(0, 1), std::string("B"));
    Click(form_->Button2);
    QCOMPARE(grid->Model().ReadCell(0, 9), std::string("A"));
    Click(form_->Button4);
    QCOMPARE(SavedCell("data.dat", 0, 9), std::string("A"));
  }

  void lastDataRowDeletedTurnsTheHeaderIntoABodyRow() {
    TTableGridView* grid = OpenPage(1);
    TTableGrid& model = grid->Model();
    model.SetRowCount(2);
    model.WriteCell(0, 0, "Name");
    Click(form_->Button3);
    QCOMPARE(model.FixedRows(), 0);
    QCOMPARE((TCellAddress{model.FocusedCol(), model.FocusedRow()}), (TCellAddress{0, 0}));
    // The former header row is edited like any other row.
    grid->setFocus();
    Key(Qt::Key_F2);
    Type("s");
    Key(Qt::Key_Return);
    QCOMPARE(model.ReadCell(0, 0), std::string("Names"));
    // Once another row exists, the next delete removes it.
    Click(form_->Button2);
    Click(form_->Button3);
    QCOMPARE(model.RowCount(), 1);
    QCOMPARE(model.ReadCell(0, 1), std::string("Names"));
  }

  void insertInTheLastRowPutsTheEmptyRowAboveIt() {
    TTableGridView* grid = OpenPage(1);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Type("last");
    Click(form_->Button6);
    TTableGrid& model = grid->Model();
    QCOMPARE(model.RowCount(), 11);
    QCOMPARE(model.FocusedRow(), 9);
    QCOMPARE(model.ReadCell(0, 9), std::string());
    QCOMPARE(model.ReadCell(0, 10), std::string("last"));
  }

  void threeAddedColumnsSurviveSaveAndRestart() {
    OpenPage(2);
    for (int i = 0; i < 3; ++i) Click(form_->Button11);
    QCOMPARE(form_->TableGrid2->Model().ColCount(), 8);
    Click(form_->Button10);
    form_.reset();
    ShowForm();
    QCOMPARE(form_->TableGrid2->Model().ColCount(), 8);
    QCOMPARE(form_->TableGrid2->Model().ColWidth(7), 64);
  }
};

}  // namespace metrazil

METRAZIL_TEST_MAIN(metrazil::MaintenancePagesTest)

#include "MaintenancePagesTest.moc"
