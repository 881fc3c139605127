// The find bar of the table pages driven through the real window: its keys, the notes it shows, texts found
// as the grid paints them, and a search through a million rows that leaves the window live.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <string>

#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/TestMain.h"
#include "tests/support/UserInput.h"
#include "ui/FindBar.h"
#include "ui/Form1.h"

namespace metrazil {

class FindBarTest : public TFormTestBase {
  Q_OBJECT

 public:
  FindBarTest() : TFormTestBase(TStart::kShownWindow) {}

 private:
  // Shows a table page with the given cells (GB18030 bytes) and gives its grid the keyboard focus on a cell.
  TTableGridView* OpenPage(int index, int rows, const std::vector<std::pair<TCellAddress, std::string>>& cells,
                           TCellAddress focus) {
    form_->PageControl1->setCurrentIndex(index);
    TTableGridView* grid = index == 1 ? form_->TableGrid1 : form_->TableGrid2;
    grid->Model().SetRowCount(rows);
    for (const auto& [cell, text] : cells) grid->Model().WriteCell(cell.col, cell.row, text);
    grid->Model().SetFocusedCell(focus.col, focus.row);
    grid->setFocus();
    QCoreApplication::processEvents();
    return grid;
  }
  TFindBar* Bar(int index) const {
    return form_->findChild<TFindBar*>(index == 1 ? QStringLiteral("FindBar1") : QStringLiteral("FindBar2"));
  }
  static TCellAddress Focus(const TTableGridView* grid) {
    return TCellAddress{grid->Model().FocusedCol(), grid->Model().FocusedRow()};
  }
  // Types into the open bar and waits for the search to end.
  static void Search(TFindBar* bar, const QString& text) {
    bar->TextBox()->selectAll();
    TypeCharacters(text);
    QTRY_VERIFY(!bar->Searching());
  }

 private slots:
  void keysOpenSearchStepAndClose_data() {
    QTest::addColumn<int>("page");
    QTest::newRow("维护") << 1;
    QTest::newRow("通信录") << 2;
  }
  void keysOpenSearchStepAndClose() {
    QFETCH(int, page);
    TTableGridView* grid =
        OpenPage(page, 8, {{{1, 2}, "Apple"}, {{0, 4}, "pineapple"}, {{2, 5}, "APPLE pie"}, {{1, 6}, "grape"}}, {0, 1});
    TFindBar* bar = Bar(page);
    QVERIFY(bar != nullptr);
    const int gridHeight = grid->height();
    QPushButton* firstButton = page == 1 ? form_->Button2 : form_->Button7;

    Key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), bar->TextBox());
    // The bar takes room from the grid and hides none of the buttons.
    QVERIFY(grid->geometry().bottom() < bar->geometry().top());
    QVERIFY(bar->geometry().bottom() < firstButton->geometry().top());

    struct Step {
      const char* what;
      int key;  // 0: type the text
      Qt::KeyboardModifiers mods;
      const char* text;
      TCellAddress found;
      const char* note;
    };
    const Step steps[] = {
        {"typing finds the first match after the focus", 0, {}, "app", {1, 2}, ""},
        {"a match that still matches stays", 0, {}, "l", {1, 2}, ""},
        {"Enter finds the next", Qt::Key_Return, {}, "", {0, 4}, ""},
        {"F3 finds the next, case aside", Qt::Key_F3, {}, "", {2, 5}, ""},
        {"past the end it starts again at the top", Qt::Key_F3, {}, "", {1, 2}, "已从头开始查找"},
        {"Shift+F3 goes back round the start", Qt::Key_F3, Qt::ShiftModifier, "", {2, 5}, "已从末尾开始查找"},
        {"Shift+Enter finds the previous", Qt::Key_Return, Qt::ShiftModifier, "", {0, 4}, ""},
        {"the keypad's Enter as Enter", Qt::Key_Enter, Qt::KeypadModifier, "", {2, 5}, ""},
    };
    for (const Step& step : steps) {
      if (step.key == 0) {
        TypeCharacters(QString::fromUtf8(step.text));
      } else {
        Key(step.key, step.mods);
      }
      QTRY_VERIFY2(!bar->Searching(), step.what);
      QVERIFY2(Focus(grid) == step.found, step.what);
      QCOMPARE(bar->Note(), QString::fromUtf8(step.note));
      QVERIFY2(!bar->ShowsNoMatch(), step.what);
      QCOMPARE(QApplication::focusWidget(), bar->TextBox());
    }

    Key(Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), grid);
    QCOMPARE(grid->height(), gridHeight);
    QCOMPARE(Focus(grid), (TCellAddress{2, 5}));

    // F3 from the grid opens the bar again and goes on with its text.
    Key(Qt::Key_F3);
    QTRY_VERIFY(!bar->Searching());
    QVERIFY(bar->isVisible());
    QCOMPARE(Focus(grid), (TCellAddress{1, 2}));
  }

  void noMatchIsShownPlainly() {
    TTableGridView* grid = OpenPage(1, 5, {{{0, 1}, "steel"}, {{1, 3}, "wire"}}, {1, 3});
    TFindBar* bar = Bar(1);
    Key(Qt::Key_F, Qt::ControlModifier);
    const QColor normal = bar->TextBox()->palette().color(QPalette::Base);

    Search(bar, QStringLiteral("copper"));
    QVERIFY(bar->ShowsNoMatch());
    QCOMPARE(bar->Note(), QString::fromUtf8("找不到"));
    const QColor shown = bar->TextBox()->palette().color(QPalette::Base);
    QVERIFY(shown != normal);
    QVERIFY(shown.red() > shown.green() && shown.red() > shown.blue());  // a light red
    QCOMPARE(Focus(grid), (TCellAddress{1, 3}));                         // the focus stays where it was

    // A text that matches again brings the box back to normal.
    Search(bar, QStringLiteral("STEEL"));
    QVERIFY(!bar->ShowsNoMatch());
    QCOMPARE(bar->TextBox()->palette().color(QPalette::Base), normal);
    QCOMPARE(Focus(grid), (TCellAddress{0, 1}));
  }

  // The bar takes room from the bottom of the grid: a focused cell it would cover scrolls into view, and a
  // cell found lies fully above the bar.
  void barNeverHidesTheFocusedCell() {
    std::vector<std::pair<TCellAddress, std::string>> cells;
    for (int row = 1; row < 40; ++row) cells.push_back({{0, row}, "r" + std::to_string(row)});
    cells.push_back({{2, 35}, "target"});
    TTableGridView* grid = OpenPage(1, 40, cells, {0, 1});
    const int lastShown = grid->Geometry().LastFullyVisibleRow();
    grid->MoveFocus(0, lastShown, false);
    QCOMPARE(grid->Model().TopRow(), 1);
    const auto fullyShown = [grid](TCellAddress cell) {
      const QRect rect = grid->CellRect(cell.col, cell.row);
      return !rect.isNull() && grid->viewport()->rect().contains(rect);
    };
    Key(Qt::Key_F, Qt::ControlModifier);
    TFindBar* bar = Bar(1);
    QVERIFY(bar->isVisible());
    QVERIFY(fullyShown(Focus(grid)));
    QVERIFY(grid->Model().TopRow() > 1);
    QVERIFY(grid->geometry().bottom() < bar->geometry().top());

    Search(bar, QStringLiteral("target"));
    QCOMPARE(Focus(grid), (TCellAddress{2, 35}));
    QVERIFY(fullyShown(Focus(grid)));

    // A focused cell scrolled out of view on purpose stays where the user left it.
    Key(Qt::Key_Escape);
    grid->SetTopLeft(0, 1);
    const int top = grid->Model().TopRow();
    Key(Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(grid->Model().TopRow(), top);
  }

  void textsAreFoundAsPainted_data() {
    QTest::addColumn<QByteArray>("cell");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("found");
    QTest::newRow("markup without its tags") << QByteArray("<B>bo</B>ld") << QStringLiteral("BOLD") << true;
    QTest::newRow("markup's tags are not shown") << QByteArray("<B>bold</B>") << QStringLiteral("<b>") << false;
    QTest::newRow("every entity as its document decodes it")
        << QByteArray("<B>&#20013;&copy;</B>") << QString::fromUtf8("中©") << true;
    QTest::newRow("blanks a document collapses") << QByteArray("<I>a   b</I>") << QStringLiteral("a b") << true;
    QTest::newRow("wide text decoded") << QByteArray("|\\\x4e\x2d\x00\x41", 6) << QString::fromUtf8("中a") << true;
    QTest::newRow("wide text's bytes are not its text")
        << QByteArray("|\\\x4e\x2d\x00\x41", 6) << QStringLiteral("N-") << false;
    QTest::newRow("Chinese plain text") << QByteArray(ToTableBytes(QString::fromUtf8("圆钢 Φ12")).c_str())
                                        << QString::fromUtf8("钢 Φ") << true;
  }
  void textsAreFoundAsPainted() {
    QFETCH(QByteArray, cell);
    QFETCH(QString, search);
    QFETCH(bool, found);
    TTableGridView* grid = OpenPage(2, 6, {{{3, 4}, cell.toStdString()}}, {0, 1});
    TFindBar* bar = Bar(2);
    Key(Qt::Key_F, Qt::ControlModifier);
    Search(bar, search);
    QCOMPARE(!bar->ShowsNoMatch(), found);
    QCOMPARE(Focus(grid), found ? (TCellAddress{3, 4}) : (TCellAddress{0, 1}));
  }

  void millionRowsAreSearchedWithoutBlocking() {
    constexpr int kRows = 1000000;
    TTableGridView* grid = OpenPage(1, 1, {}, {0, 0});
    TTableGrid& model = grid->Model();
    model.SetRowCount(kRows + 1);
    // Every cell opens with the search text's first letter, so each one is looked at closely.
    for (int row = 1; row <= kRows; ++row) {
      model.WriteCell(0, row, "Round bar " + std::to_string(row));
      model.WriteCell(1, row, "Rebar");
    }
    model.WriteCell(2, kRows, "Rolled plate");
    model.SetFocusedCell(0, 1);
    TFindBar* bar = Bar(1);
    Key(Qt::Key_F, Qt::ControlModifier);

    int ticks = 0;
    QTimer other;
    connect(&other, &QTimer::timeout, [&] { ticks += bar->Searching() ? 1 : 0; });
    other.start(0);
    TypeCharacters(QStringLiteral("rolled"));
    QTRY_VERIFY_WITH_TIMEOUT(!bar->Searching(), 20000);
    QVERIFY2(ticks > 0, "the window took no events while the search ran");
    QCOMPARE(Focus(grid), (TCellAddress{2, kRows}));
    QVERIFY(!grid->CellRect(2, kRows).isNull());  // scrolled into view

    // A new keystroke cancels a running search and starts its own.
    ticks = 0;
    TypeCharacters(QStringLiteral("x"));
    QVERIFY(bar->Searching());
    Key(Qt::Key_Backspace);
    QTRY_VERIFY_WITH_TIMEOUT(!bar->Searching(), 20000);
    QCOMPARE(Focus(grid), (TCellAddress{2, kRows}));
    QVERIFY(!bar->ShowsNoMatch());

    // The user moving on in the grid while a search runs ends it where they are, the match not shown.
    model.SetFocusedCell(0, 1);
    Key(Qt::Key_Return);
    QVERIFY(bar->Searching());
    model.SetFocusedCell(1, 2);
    QTRY_VERIFY_WITH_TIMEOUT(!bar->Searching(), 20000);
    QCOMPARE(Focus(grid), (TCellAddress{1, 2}));
    QVERIFY(bar->Note().isEmpty());
  }
};

}  // namespace metrazil

METRAZIL_TEST_MAIN(metrazil::FindBarTest)

#include "FindBarTest.moc"
