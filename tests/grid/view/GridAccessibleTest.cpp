// The grid as assistive tools see it, through QAccessible in process: the table, its cells and headers,
// the focused cell, and the events a screen reader needs to announce the new cell.
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <vector>

#include "grid/file/TableFileReader.h"
#include "grid/text/CellTextKind.h"
#include "grid/view/GridAccessible.h"
#include "grid/view/GridAccessibleEvents.h"
#include "grid/view/GridHeaderEditor.h"
#include "tests/grid/view/GridViewHarness.h"
#include "tests/support/Utf8.h"

namespace metrazil {

namespace {

std::string Gb(const char* utf8) { return ToTableBytes(QString::fromUtf8(utf8)); }

// What the test's stand-in for an assistive tool was told.
struct TToldEvent {
  QAccessible::Event type;
  QAccessibleInterface* target;
  QAccessibleTableModelChangeEvent::ModelChangeType change = QAccessibleTableModelChangeEvent::ModelReset;
  int firstRow = -1;
  int lastRow = -1;
  int firstCol = -1;
  int lastCol = -1;
};
std::vector<TToldEvent> told;

void Capture(QAccessibleEvent* event) {
  TToldEvent e{event->type(), event->accessibleInterface()};
  if (event->type() == QAccessible::TableModelChanged) {
    const auto* change = static_cast<QAccessibleTableModelChangeEvent*>(event);
    e.change = change->modelChangeType();
    e.firstRow = change->firstRow();
    e.lastRow = change->lastRow();
    e.firstCol = change->firstColumn();
    e.lastCol = change->lastColumn();
  }
  told.push_back(e);
}

// Qt tells the platform layer whether a tool listens; the test plays that part.
void SetToolActive(bool active) { QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(active); }

int Count(QAccessible::Event type, QAccessibleInterface* target = nullptr) {
  int n = 0;
  for (const TToldEvent& e : told) n += e.type == type && (target == nullptr || e.target == target) ? 1 : 0;
  return n;
}

const TToldEvent* LastModelChange() {
  for (auto it = told.rbegin(); it != told.rend(); ++it) {
    if (it->type == QAccessible::TableModelChanged) return &*it;
  }
  return nullptr;
}

QAccessibleInterface* LastFocus() {
  for (auto it = told.rbegin(); it != told.rend(); ++it) {
    if (it->type == QAccessible::Focus) return it->target;
  }
  return nullptr;
}

// The main window's conversion table: named, a header row, no fixed column.
struct TTable : GridViewHarness {
  TTable() {
    grid->setAccessibleName(U("换算表"));
    Model().WriteCell(0, 0, Gb("名称"));
    Model().WriteCell(1, 0, Gb("长度"));
    Model().WriteCell(0, 1, Gb("<B>X1</B> 钢"));
    Model().WriteCell(1, 1, "12.5");
    iface = QAccessible::queryAccessibleInterface(grid);
    table = iface->tableInterface();
    // The set-up is told once the grid has been quiet a while; the cases start after that.
    QTest::qWait(TGridAccessibleEvents::kSettleMs * 3);
    told.clear();
  }
  QAccessibleInterface* Cell(int row, int col) { return table->cellAt(row, col); }
  TGridAccessible* Accessible() { return dynamic_cast<TGridAccessible*>(iface); }
  QAccessibleInterface* iface = nullptr;
  QAccessibleTableInterface* table = nullptr;
};

}  // namespace

class GridAccessibleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QAccessible::installUpdateHandler(Capture);
    SetToolActive(true);
    QVERIFY(QAccessible::isActive());
  }
  void init() { told.clear(); }

  void tableCellsAndHeaders();
  void cellsReadAsTheGridPaintsThem();
  void openEditorsAndScrollBarsAreInTheTree();
  void hugeGridCostsOnlyTheCellsAskedFor();
  void keyMoveFocusesTheCellAndTellsIt();
  void editEndingWithNewTextTellsTheCell();
  void editorsAreNamedByTheirHeader();
  void rowsAddedAndTableReadAreTold();
  void noToolNoCellObjectsNoEvents();
};

void GridAccessibleTest::tableCellsAndHeaders() {
  TTable t;
  QCOMPARE(t.iface->role(), QAccessible::Table);
  QCOMPARE(t.iface->text(QAccessible::Name), U("换算表"));
  // The body is the table; the header row heads its columns.
  QCOMPARE(t.table->rowCount(), 9);
  QCOMPARE(t.table->columnCount(), 5);
  // Every cell, the header row included, then the scroll bar shown: the grid holds more rows than show.
  QVERIFY(t.grid->verticalScrollBar()->isVisible() && !t.grid->horizontalScrollBar()->isVisible());
  QCOMPARE(t.iface->childCount(), 50 + 1);

  QAccessibleInterface* x1 = t.Cell(0, 0);
  QVERIFY(x1 != nullptr);
  QCOMPARE(x1->role(), QAccessible::Cell);
  QCOMPARE(x1->text(QAccessible::Name), U("X1 钢"));  // tags removed, GB18030 decoded
  QCOMPARE(t.Cell(0, 1)->text(QAccessible::Name), U("12.5"));
  QCOMPARE(t.Cell(0, 0), x1);  // one object per cell
  QCOMPARE(t.iface->child(5), x1);
  QCOMPARE(t.iface->indexOfChild(x1), 5);
  QCOMPARE(x1->parent(), t.iface);

  QAccessibleTableCellInterface* cell = x1->tableCellInterface();
  QVERIFY(cell != nullptr);
  QCOMPARE(cell->rowIndex(), 0);
  QCOMPARE(cell->columnIndex(), 0);
  const QList<QAccessibleInterface*> headers = cell->columnHeaderCells();
  QCOMPARE(headers.size(), 1);
  QCOMPARE(headers[0]->role(), QAccessible::ColumnHeader);
  QCOMPARE(headers[0]->text(QAccessible::Name), U("名称"));
  QCOMPARE(t.iface->indexOfChild(headers[0]), 0);
  QCOMPARE(headers[0]->tableCellInterface()->rowIndex(), -1);
  QVERIFY(cell->rowHeaderCells().isEmpty());
  QCOMPARE(t.table->columnDescription(1), U("长度"));

  // On screen where the grid paints it; a cell scrolled out has no extent.
  const QRect painted = t.grid->CellRect(0, 1);
  QCOMPARE(x1->rect(), QRect(t.grid->viewport()->mapToGlobal(painted.topLeft()), painted.size()));
  QCOMPARE(t.iface->childAt(x1->rect().center().x(), x1->rect().center().y()), x1);
  QVERIFY(t.Cell(8, 4)->rect().isEmpty());
  QVERIFY(t.Cell(8, 4)->state().offscreen);

  // Out of the body, and texts of any length.
  QVERIFY(t.Cell(9, 0) == nullptr);
  QVERIFY(t.Cell(0, 5) == nullptr);
  QVERIFY(t.Cell(-1, 0) == nullptr);
  t.Model().WriteCell(2, 1, std::string(1 << 20, 'a'));
  QCOMPARE(t.Cell(0, 2)->text(QAccessible::Name).size(), static_cast<qsizetype>(kMaxEditedChars));
  t.Model().WriteCell(3, 1, "line 1\r\nline 2");
  QCOMPARE(t.Cell(0, 3)->text(QAccessible::Name), U("line 1\nline 2"));
}

void GridAccessibleTest::cellsReadAsTheGridPaintsThem() {
  TTable t;
  std::string deep;
  for (int i = 0; i <= kMaxMarkupDepth; ++i) deep += "<div>";
  deep += "x</div>";
  const struct {
    const char* name;
    std::string cell;
    QString read;
  } cases[] = {
      {"wide text", "|\\N-e\x87", U("中文")},
      {"rich text", "{\\rtf1\\ansi Rich\\par}", U("Rich")},
      {"rich text in the code page", "{\\rtf1 \\'d6\\'d0\\u25991?}", U("中文")},
      {"markup's entities and line tags", "<B>a&amp;b</B><BR>c", U("a&b\nc")},
      {"markup too deep for a document, tags and all", deep, QString::fromLatin1(deep.c_str())},
      {"a leading = keeps its tags", "=<B>x</B>", U("=<B>x</B>")},
      {"a wide text of no pairs", "|\\", QString()},
  };
  for (const auto& c : cases) {
    t.Model().WriteCell(2, 1, c.cell);
    QVERIFY2(t.Cell(0, 2)->text(QAccessible::Name) == c.read, c.name);
  }

  // The editor still shows the cell's own text, its markup removed.
  t.Model().WriteCell(2, 1, "|\\N-e\x87");
  t.grid->setFocus();
  t.Key(Qt::Key_Right);
  t.Key(Qt::Key_Right);
  t.Key(Qt::Key_F2);
  QVERIFY(t.EditorOpen());
  QCOMPARE(t.EditorText(), EditorText("|\\N-e\x87"));
  t.Key(Qt::Key_Escape);
}

void GridAccessibleTest::openEditorsAndScrollBarsAreInTheTree() {
  TTable t;
  const int cells = 50;
  QAccessibleInterface* bar = t.iface->child(cells);
  QVERIFY(bar != nullptr);
  QCOMPARE(bar->parent(), t.iface);
  QCOMPARE(t.iface->indexOfChild(bar), cells);
  QCOMPARE(bar->childCount(), 1);
  QCOMPARE(bar->child(0)->role(), QAccessible::ScrollBar);
  QCOMPARE(bar->child(0)->object(), t.grid->verticalScrollBar());
  QCOMPARE(bar->child(0)->parent(), bar);

  // An open editor lies in the viewport, listed after the cells; closed, it leaves the tree.
  const auto reachEditor = [&t, cells](QWidget* editor) {
    QCOMPARE(t.iface->childCount(), cells + 2);
    QAccessibleInterface* viewport = t.iface->child(cells);
    QCOMPARE(viewport->object(), t.grid->viewport());
    QCOMPARE(viewport->parent(), t.iface);
    QCOMPARE(t.iface->indexOfChild(viewport), cells);
    QCOMPARE(viewport->childCount(), 1);
    QAccessibleInterface* child = viewport->child(0);
    QCOMPARE(child, QAccessible::queryAccessibleInterface(editor));
    QCOMPARE(child->parent(), viewport);
    QCOMPARE(viewport->indexOfChild(child), 0);
    QCOMPARE(t.iface->indexOfChild(t.iface->child(cells + 1)), cells + 1);  // the scroll bar, after it
    const QPoint inside = editor->mapToGlobal(editor->rect().center());
    QCOMPARE(t.iface->childAt(inside.x(), inside.y()), viewport);
    QCOMPARE(viewport->childAt(inside.x(), inside.y()), child);
  };
  t.grid->setFocus();
  t.Key(Qt::Key_F2);
  QVERIFY(t.EditorOpen());
  reachEditor(t.grid->EditSession().Editor());
  QVERIFY(QAccessible::queryAccessibleInterface(t.grid->EditSession().Editor())->textInterface() != nullptr);
  t.Key(Qt::Key_Escape);
  QCOMPARE(t.iface->childCount(), cells + 1);
  QCOMPARE(t.iface->child(cells), bar);

  t.DoubleClick(t.CellCenter(1, 0));
  QVERIFY(t.grid->EditSession().HeaderEditor()->isVisible());
  reachEditor(t.grid->EditSession().HeaderEditor());
  t.button->setFocus();
  QCOMPARE(t.iface->childCount(), cells + 1);

  // Both scroll bars, once the columns no longer fit either.
  t.Model().SetColCount(20);
  QTRY_VERIFY(t.grid->horizontalScrollBar()->isVisible());
  QCOMPARE(t.iface->childCount(), 20 * 10 + 2);
  QCOMPARE(t.iface->child(20 * 10)->child(0)->object(), t.grid->horizontalScrollBar());
  QCOMPARE(t.iface->child(20 * 10 + 1)->child(0)->object(), t.grid->verticalScrollBar());
}

void GridAccessibleTest::hugeGridCostsOnlyTheCellsAskedFor() {
  TTable t;
  t.Cell(2, 2);
  t.Cell(3, 3);
  t.Model().SetRowCount(TTableGrid::kMaxCount);
  t.Model().WriteCell(4, TTableGrid::kMaxCount - 1, "last");
  QTRY_COMPARE(Count(QAccessible::TableModelChanged), 1);
  // The row change dropped the cells asked for; the focused cell was told anew.
  QCOMPARE(t.Accessible()->CachedCellCount(), std::size_t{1});

  QCOMPARE(t.table->rowCount(), TTableGrid::kMaxCount - 1);
  QCOMPARE(t.iface->childCount(), 5 * TTableGrid::kMaxCount + 1);  // and the vertical scroll bar
  QCOMPARE(t.Cell(TTableGrid::kMaxCount - 2, 4)->text(QAccessible::Name), U("last"));
  QCOMPARE(t.iface->indexOfChild(t.Cell(TTableGrid::kMaxCount - 2, 4)), 5 * TTableGrid::kMaxCount - 1);
  QCOMPARE(t.Accessible()->CachedCellCount(), std::size_t{2});

  // Everything selected: counted, but only a bounded list of cells is made.
  t.grid->setFocus();
  t.Key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(t.table->selectedCellCount(), 5 * (TTableGrid::kMaxCount - 1));
  QCOMPARE(t.table->selectedCells().size(), TGridAccessible::kMaxListedCells);
  QCOMPARE(t.table->selectedRowCount(), TTableGrid::kMaxCount - 1);
  QCOMPARE(t.table->selectedRows().size(), TGridAccessible::kMaxListedCells);
  QVERIFY(t.Accessible()->CachedCellCount() <= std::size_t{TGridAccessible::kMaxListedCells + 2});
}

void GridAccessibleTest::keyMoveFocusesTheCellAndTellsIt() {
  TTable t;
  t.grid->setFocus();
  QCOMPARE(t.iface->focusChild(), t.Cell(0, 0));
  t.Key(Qt::Key_Right);
  t.Key(Qt::Key_Down);
  QAccessibleInterface* focused = t.iface->focusChild();
  QCOMPARE(focused, t.Cell(1, 1));
  QVERIFY(focused->state().focused);
  QVERIFY(!t.Cell(0, 0)->state().focused);
  QCOMPARE(Count(QAccessible::Focus), 2);
  QCOMPARE(LastFocus(), focused);
  // A key that moves nothing tells nothing.
  told.clear();
  t.Key(Qt::Key_Left);
  t.Key(Qt::Key_Left);
  QCOMPARE(Count(QAccessible::Focus), 1);
  QCOMPARE(LastFocus(), t.Cell(1, 0));

  // The grid taking the focus back announces its cell, after the widget's own focus event.
  t.button->setFocus();
  told.clear();
  t.grid->setFocus();
  QTRY_COMPARE(LastFocus(), t.Cell(1, 0));
  QCOMPARE(told.back().type, QAccessible::Focus);
}

void GridAccessibleTest::editEndingWithNewTextTellsTheCell() {
  TTable t;
  t.grid->setFocus();
  QAccessibleInterface* x1 = t.Cell(0, 0);
  t.Key(Qt::Key_F2);
  QVERIFY(t.EditorOpen());
  QCOMPARE(Count(QAccessible::NameChanged, x1), 0);
  t.Key(Qt::Key_End);
  t.Type(QStringLiteral("b"));
  t.Key(Qt::Key_Return);
  QVERIFY(!t.EditorOpen());
  QCOMPARE(x1->text(QAccessible::Name), U("X1 钢b"));
  QCOMPARE(Count(QAccessible::NameChanged, x1), 1);
  const TToldEvent* change = LastModelChange();
  QVERIFY(change != nullptr);
  QCOMPARE(change->change, QAccessibleTableModelChangeEvent::DataChanged);
  QCOMPARE(change->firstRow, 0);
  QCOMPARE(change->lastRow, 0);
  QCOMPARE(change->firstCol, 0);
  QCOMPARE(change->lastCol, 0);

  // An edit ending unchanged tells nothing.
  told.clear();
  t.Key(Qt::Key_F2);
  t.Key(Qt::Key_Return);
  QCOMPARE(Count(QAccessible::NameChanged, x1), 0);
  QCOMPARE(Count(QAccessible::TableModelChanged), 0);
}

void GridAccessibleTest::editorsAreNamedByTheirHeader() {
  TTable t;
  t.grid->setFocus();
  t.Key(Qt::Key_Right);
  t.Key(Qt::Key_F2);
  QVERIFY(t.EditorOpen());
  QCOMPARE(QAccessible::queryAccessibleInterface(t.grid->EditSession().Editor())->text(QAccessible::Name), U("长度"));
  QCOMPARE(t.iface->focusChild(), QAccessible::queryAccessibleInterface(t.grid->EditSession().Editor()));
  t.Key(Qt::Key_Escape);

  t.DoubleClick(QPoint(t.grid->CellRect(0, 0).center().x(), t.grid->CellRect(0, 0).center().y()));
  TGridHeaderEditor* header = t.grid->EditSession().HeaderEditor();
  QVERIFY(header->isVisible());
  QCOMPARE(QAccessible::queryAccessibleInterface(header)->text(QAccessible::Name), U("名称"));

  // A header text stored is told as a header change, not as a change of the body.
  told.clear();
  t.Key(Qt::Key_End);
  t.Type(QStringLiteral("x"));
  t.button->setFocus();
  QTRY_COMPARE(Count(QAccessible::TableColumnHeaderChanged), 1);
  QCOMPARE(Count(QAccessible::TableModelChanged), 0);
  QCOMPARE(t.table->columnDescription(0), U("名称x"));
}

void GridAccessibleTest::rowsAddedAndTableReadAreTold() {
  TTable t;
  t.grid->setFocus();
  t.Cell(0, 0);
  t.Cell(0, 1);
  QCOMPARE(t.Accessible()->CachedCellCount(), std::size_t{2});

  // Rows added: one model reset once the grid is quiet, the cell objects dropped, the focused cell told.
  t.Model().SetRowCount(11);
  t.Model().SetRowCount(12);
  QCOMPARE(Count(QAccessible::TableModelChanged), 0);
  QTRY_COMPARE(Count(QAccessible::TableModelChanged), 1);
  QCOMPARE(LastModelChange()->change, QAccessibleTableModelChangeEvent::ModelReset);
  QCOMPARE(t.Accessible()->CachedCellCount(), std::size_t{1});  // the focused cell, told anew
  QCOMPARE(LastFocus(), t.Cell(0, 0));
  QCOMPARE(t.table->rowCount(), 11);

  // A table read with the same counts: the written cells as one change, then the focused cell.
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("data.dat")).toStdString();
  {
    std::ofstream file(path, std::ios::binary);
    file << "5,12\r\n";
    for (int row = 2; row < 12; ++row) file << "1," << row << ",v" << row << "\r\n";
  }
  told.clear();
  ReadTableFile(t.Model(), path, [] { QApplication::processEvents(); });
  QTRY_VERIFY(Count(QAccessible::Focus) == 1);
  QCOMPARE(Count(QAccessible::TableModelChanged), 1);
  const TToldEvent* change = LastModelChange();
  QCOMPARE(change->change, QAccessibleTableModelChangeEvent::DataChanged);
  QCOMPARE(change->firstRow, 1);
  QCOMPARE(change->lastRow, 10);
  QCOMPARE(change->firstCol, 1);
  QCOMPARE(change->lastCol, 1);
  QCOMPARE(told.back().type, QAccessible::Focus);
  QCOMPARE(t.Cell(4, 1)->text(QAccessible::Name), U("v5"));
}

void GridAccessibleTest::noToolNoCellObjectsNoEvents() {
  TTable t;
  const std::size_t cells = t.Accessible()->CachedCellCount();
  SetToolActive(false);
  t.grid->setFocus();
  t.Key(Qt::Key_Down);
  t.Key(Qt::Key_F2);
  t.Type(QStringLiteral("x"));
  t.Key(Qt::Key_Return);
  t.Model().SetRowCount(20);
  QTest::qWait(TGridAccessibleEvents::kSettleMs * 2);
  SetToolActive(true);
  QCOMPARE(t.Accessible()->CachedCellCount(), cells);
  QVERIFY(told.empty());
}

}  // namespace metrazil

QTEST_MAIN(metrazil::GridAccessibleTest)
#include "GridAccessibleTest.moc"
