#include <sys/stat.h>

#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <functional>
#include <vector>

#include "grid/file/TableFileReader.h"
#include "grid/text/CellTextKind.h"
#include "grid/view/CellTextPainter.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/GridKeyController.h"
#include "grid/view/GridPainter.h"
#include "tests/grid/view/GridViewHarness.h"

namespace metrazil {

namespace {

std::string Gb(const char* utf8) { return ToTableBytes(QString::fromUtf8(utf8)); }

QColor Pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

QColor Inverted(const QColor& c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); }

QImage Shot(TTableGridView* grid) { return grid->viewport()->grab().toImage(); }

// What the window's backing store holds over the grid, its frame and scroll bars included: only the parts
// that were asked to repaint are new there, unlike grab(), which paints everything afresh.
QImage Shown(GridViewHarness& h) {
  QApplication::sendPostedEvents();
  QApplication::processEvents();
  const QRect at(h.grid->mapTo(&h.window, QPoint(0, 0)), h.grid->size());
  return h.window.screen()->grabWindow(h.window.winId(), at.x(), at.y(), at.width(), at.height()).toImage();
}

// A style whose frame shows the keyboard focus, as some desktop styles' frames do.
class TFocusFrameStyle : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element != CE_ShapedFrame || !option->state.testFlag(State_HasFocus)) return;
    painter->setPen(Qt::red);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
  }
};

// The same after the whole grid painted again.
QImage ShownAfterFullRepaint(GridViewHarness& h) {
  h.grid->repaint();
  return Shown(h);
}

}  // namespace

class GridViewTest : public QObject {
  Q_OBJECT

 private slots:
  void paintsHeaderBodyLinesAndEmptyArea();
  void paintsSelectionAndFocusRectangle();
  void partialRepaintsShowWhatAFullRepaintShows();
  void showsWholeLinesAndHidesTags();
  void linesBreakBetweenWordsNeverInside();
  void markupLoadsNothingAndLongTextsStayCheap();
  void keyTableGivesEachPlaceItsAction();
  void keysMoveFocusSelectionAndView();
  void hugeGridMovesAndPaintsLikeASmallOne();
  void editingStoresTextWhenTheEditEnds();
  void editorKeysMoveOrStayOnTheirCell();
  void pasteWritesAtOnceAndEscRestores();
  void writeFromOutsideReloadsTheEditor();
  void focusLeavingTheGridEndsTheEdit();
  void closingWithOpenEditorsIsSafe();
  void acceleratorHandlerEndsTheEditsToSeeTheText();
  void mousePressesFollowTheRules();
  void rightPressHidesTheEditorUntilRelease();
  void headerEditorOpensByDoubleClickAndStoresOnFocusLoss();
  void editorsTakeTheCellColoursOfTheCurrentPalette();
  void inputMethodCompositionOpensTheEditor();
};

void GridViewTest::paintsHeaderBodyLinesAndEmptyArea() {
  GridViewHarness h(QSize(400, 260));  // room right of the last column and below the last row
  h.button->setFocus();                // no focus rectangle
  const QImage shot = Shot(h.grid);
  const QColor fixed = h.grid->Style().fixedColor;
  const QColor base = h.grid->Style().cellColor;
  const QColor dark(fixed.red() / 2, fixed.green() / 2, fixed.blue() / 2);

  // Header cell (1, 0) spans x 64..127, y 0..20: white top and left edges, dark bottom, grey right line.
  QCOMPARE(Pixel(shot, 70, 0), QColor(Qt::white));
  QCOMPARE(Pixel(shot, 64, 10), QColor(Qt::white));
  QCOMPARE(Pixel(shot, 70, 20), dark);
  QCOMPARE(Pixel(shot, 127, 10), QColor(128, 128, 128));
  // Gradient: content height 19, band k starts at 1 + round(k * 1.9) and is 3 pixels high.
  QCOMPARE(Pixel(shot, 120, 1), TGridPainter::GradientBand(Qt::white, fixed, 0));
  QCOMPARE(Pixel(shot, 120, 11), TGridPainter::GradientBand(Qt::white, fixed, 5));
  QCOMPARE(Pixel(shot, 120, 19), TGridPainter::GradientBand(Qt::white, fixed, 9));
  QCOMPARE(TGridPainter::GradientBand(Qt::white, QColor(240, 240, 240), 5), QColor(248, 248, 248));  // 247.5 rounds up

  // Body cell (1, 2) spans x 64..127, y 42..62: fill, grey lines right and bottom.
  QCOMPARE(Pixel(shot, 66, 44), base);
  QCOMPARE(Pixel(shot, 127, 50), QColor(192, 192, 192));
  QCOMPARE(Pixel(shot, 80, 62), QColor(192, 192, 192));
  // Beyond the last column (x 320) and below the last row (y 210): the body colour, no lines.
  QCOMPARE(Pixel(shot, 320, 10), base);
  QCOMPARE(Pixel(shot, 399, 100), base);
  QCOMPARE(Pixel(shot, 63, 215), base);
}

void GridViewTest::paintsSelectionAndFocusRectangle() {
  GridViewHarness h;
  QVERIFY(h.grid->hasFocus());
  const QColor selection(182, 202, 234);
  // Focused cell (0, 1): x 0..63, y 21..41, selected and with the dotted inverted rectangle on
  // (0, 21)-(62, 40): every other pixel inverted, starting at the corner.
  QImage shot = Shot(h.grid);
  QCOMPARE(Pixel(shot, 30, 30), selection);
  QCOMPARE(Pixel(shot, 0, 21), Inverted(selection));
  QCOMPARE(Pixel(shot, 1, 21), selection);
  QCOMPARE(Pixel(shot, 2, 21), Inverted(selection));
  QCOMPARE(Pixel(shot, 62, 23), Inverted(selection));  // right side at x = 62
  QCOMPARE(Pixel(shot, 62, 22), selection);
  QCOMPARE(Pixel(shot, 63, 30), QColor(192, 192, 192));  // the grid line is not part of it
  QCOMPARE(Pixel(shot, 64 + 30, 30), h.grid->Style().cellColor);

  // Without the keyboard focus the selection stays, the focus rectangle goes.
  h.button->setFocus();
  shot = Shot(h.grid);
  QCOMPARE(Pixel(shot, 0, 21), selection);
  QCOMPARE(Pixel(shot, 2, 21), selection);

  // The open editor shows the cell's background, its margins included, never the selection colour.
  h.grid->setFocus();
  h.Key(Qt::Key_Return);
  shot = Shot(h.grid);
  QCOMPARE(Pixel(shot, 0, 21), h.grid->Style().cellColor);
  QCOMPARE(Pixel(shot, 60, 23), h.grid->Style().cellColor);
  QCOMPARE(Pixel(shot, 63, 30), QColor(192, 192, 192));  // the editor leaves the grid lines alone
  h.Key(Qt::Key_Escape);

  // Ctrl+A selects the whole body, the header stays unselected.
  h.grid->setFocus();
  h.Key(Qt::Key_A, Qt::ControlModifier);
  shot = Shot(h.grid);
  QCOMPARE(Pixel(shot, 64 * 4 + 30, 21 * 5 + 10), selection);
  QCOMPARE(Pixel(shot, 64 * 4 + 30, 10) == selection, false);
}

void GridViewTest::partialRepaintsShowWhatAFullRepaintShows() {
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) QSKIP("needs the offscreen backing store");
  struct Step {
    const char* name;
    std::function<void(GridViewHarness&)> act;
  };
  const auto key = [](int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    return [k, mods](GridViewHarness& h) { h.Key(k, mods); };
  };
  const std::vector<Step> steps = {
      {"Down", key(Qt::Key_Down)},
      {"Right", key(Qt::Key_Right)},
      {"Shift+Down grows the selection", key(Qt::Key_Down, Qt::ShiftModifier)},
      {"Shift+Right", key(Qt::Key_Right, Qt::ShiftModifier)},
      {"Shift+Up shrinks it", key(Qt::Key_Up, Qt::ShiftModifier)},
      {"Left collapses it", key(Qt::Key_Left)},
      {"Down to the last fully visible row", [](GridViewHarness& h) { h.grid->MoveFocus(2, 5, false); }},
      {"Down scrolls", key(Qt::Key_Down)},
      {"Shift+Down scrolls the selection", key(Qt::Key_Down, Qt::ShiftModifier)},
      {"PageDown", key(Qt::Key_PageDown)},
      {"Shift+PageUp", key(Qt::Key_PageUp, Qt::ShiftModifier)},
      {"the selection grown while the view scrolled, in one change",
       [](GridViewHarness& h) {
         const TTableGrid::TUpdateGuard update(h.Model());
         h.Model().SetFocusedCell(3, 9, true);
         h.grid->SetTopLeft(0, h.Model().TopRow() + 2);
       }},
      {"a selection from (1, 12) to (2, 14)",
       [](GridViewHarness& h) {
         h.grid->SetTopLeft(0, 10);
         h.Model().SetFocusedCell(1, 12);
         h.Model().SetFocusedCell(2, 14, true);
       }},
      {"the focus moved sideways while the view scrolled, in one change",
       [](GridViewHarness& h) {
         const TTableGrid::TUpdateGuard update(h.Model());
         h.Model().SetFocusedCell(3, 14, true);
         h.grid->SetTopLeft(0, 11);
       }},
      {"End to the cut last column", key(Qt::Key_End)},
      {"Up", key(Qt::Key_Up)},
      {"Home scrolls back", key(Qt::Key_Home)},
      {"Ctrl+Home", key(Qt::Key_Home, Qt::ControlModifier)},
      {"the focus on the cell cut at the bottom edge",
       [](GridViewHarness& h) {
         const TGridGeometry geometry = h.grid->Geometry();
         QVERIFY(geometry.LastFullyVisibleRow() < geometry.VisibleRows().back());
         h.Model().SetFocusedCell(1, geometry.VisibleRows().back());
       }},
      {"the focus on the cell cut at both edges",
       [](GridViewHarness& h) {
         const TGridGeometry geometry = h.grid->Geometry();
         const int lastCol = geometry.VisibleCols().back();
         QVERIFY(geometry.ScrollIntoView(lastCol, geometry.TopRow()).col > geometry.LeftCol());  // cut
         h.Model().SetFocusedCell(lastCol, geometry.VisibleRows().back(), true);
       }},
      {"Ctrl+A", key(Qt::Key_A, Qt::ControlModifier)},
      {"Shift+Up after Ctrl+A", key(Qt::Key_Up, Qt::ShiftModifier)},
      {"Ctrl+Home again", key(Qt::Key_Home, Qt::ControlModifier)},
      {"F2 opens the editor", key(Qt::Key_F2)},
      {"typing", [](GridViewHarness& h) { h.Type("xy"); }},
      {"Enter commits", key(Qt::Key_Return)},
      {"Down and F2",
       [](GridViewHarness& h) {
         h.Key(Qt::Key_Down);
         h.Key(Qt::Key_F2);
       }},
      {"the view scrolled under the open editor", [](GridViewHarness& h) { h.grid->SetTopLeft(0, 2); }},
      {"Esc cancels", key(Qt::Key_Escape)},
      {"a cell written from outside", [](GridViewHarness& h) { h.Model().WriteCell(1, 2, "written"); }},
      {"a cell emptied from outside", [](GridViewHarness& h) { h.Model().WriteCell(0, 1, ""); }},
      {"a click on another cell", [](GridViewHarness& h) { h.Click(h.CellCenter(1, 3)); }},
      {"the focus leaves the grid", [](GridViewHarness& h) { h.button->setFocus(); }},
      {"and comes back", [](GridViewHarness& h) { h.grid->setFocus(); }},
      {"a row inserted", [](GridViewHarness& h) { h.Model().InsertRowsAt(2, 1); }},
      {"a column widened", [](GridViewHarness& h) { h.Model().SetColWidth(1, 90); }},
  };
  TFocusFrameStyle focusFrameStyle;
  for (const int fixedCols : {0, 1}) {
    GridViewHarness h;
    QVERIFY(h.active);
    if (fixedCols == 1) h.grid->setStyle(&focusFrameStyle);
    TTableGrid& model = h.Model();
    model.SetRowCount(40);
    model.SetFixedCols(fixedCols);
    model.SetColWidth(2, 100);  // the last column is cut at the right edge
    for (int row = 0; row < 40; ++row) {
      for (int col = 0; col < 5; ++col) model.WriteCell(col, row, std::to_string(col) + "," + std::to_string(row));
    }
    h.grid->setFocus();
    QVERIFY(!Shown(h).isNull());
    QCOMPARE(Shown(h), ShownAfterFullRepaint(h));
    for (const Step& step : steps) {
      step.act(h);
      const QImage shown = Shown(h);
      QVERIFY2(shown == ShownAfterFullRepaint(h),
               qPrintable(QStringLiteral("%1, fixed columns %2").arg(step.name).arg(fixedCols)));
    }
  }
}

void GridViewTest::showsWholeLinesAndHidesTags() {
  GridViewHarness h;
  h.button->setFocus();
  TTableGrid& model = h.Model();
  const QRect a = h.grid->CellRect(1, 2);
  const QRect b = h.grid->CellRect(2, 2);
  auto cellImage = [&](const QRect& r) { return Shot(h.grid).copy(r); };

  // With rows of 21 pixels only the first line shows.
  model.WriteCell(1, 2, "Wg");
  model.WriteCell(2, 2, "Wg\r\nWg");
  QCOMPARE(cellImage(a), cellImage(b));
  model.SetRowHeight(2, 60);
  QVERIFY(cellImage(h.grid->CellRect(1, 2)) != cellImage(h.grid->CellRect(2, 2)));
  model.SetRowHeight(2, 21);

  // Chinese text shows in a body row of 21 pixels even though its glyphs come from a taller fallback font.
  model.WriteCell(1, 2, Gb("价格"));
  model.WriteCell(2, 2, "");
  QVERIFY(cellImage(a) != cellImage(b));

  // Markup shows no tags: a cell of tags only looks empty; "&" and a lone "<" show as they are.
  model.WriteCell(1, 2, "<B></B><I></I>");
  model.WriteCell(2, 2, "");
  QCOMPARE(cellImage(a), cellImage(b));
  model.WriteCell(2, 2, "1<2");
  QVERIFY(cellImage(a) != cellImage(b));

  // Anchors in markup are links that can be found under the pointer.
  const std::string link = "<A HREF=\"CELL://R3C2\">go there</A>";
  const QRect text = TGridPainter::TextRect(a);
  QCOMPARE(TCellTextPainter::AnchorAt(link, text, h.grid->Style().bodyFont, text.topLeft() + QPoint(3, 5)),
           QStringLiteral("CELL://R3C2"));
  QCOMPARE(TCellTextPainter::AnchorAt("plain", text, h.grid->Style().bodyFont, text.topLeft() + QPoint(3, 5)),
           QString());

  // Wide and rich texts are laid out as their decoded text; cell bytes are GB18030.
  QCOMPARE(TCellTextPainter::DisplayText("|\\\x4f\x60\x59\x7d"), QString::fromUtf8("你好"));
  QCOMPARE(TCellTextPainter::DisplayText("{\\rtf1 \\'c4\\'e3\\par x}"),
           QString::fromUtf8("你") + QChar::LineSeparator + "x");
  QCOMPARE(TCellTextPainter::DisplayText(Gb("价格\r\n2")), QString::fromUtf8("价格") + QChar::LineSeparator + "2");

  // A zero or negative width from a file lays the column out with no width.
  model.SetColWidth(1, 0);
  QCOMPARE(h.grid->CellRect(1, 1), QRect());
  QCOMPARE(h.grid->CellRect(2, 1).left(), 64);
}

// The first line of a text in a rectangle just wide enough for `fits`: a number, a Latin word or a code is
// one word, never broken inside; Chinese breaks between characters.
void GridViewTest::linesBreakBetweenWordsNeverInside() {
  GridViewHarness h;
  const QFont font = h.grid->Style().bodyFont;
  const QFontMetricsF metrics(font);
  const struct {
    const char* name;
    const char* text;
    const char* fits;
    const char* firstLine;
  } cases[] = {
      {"a number is one word", "0.00811126712", "0.", "0.00811126712"},
      {"a number, then its unit", "0.00811126712 kg", "0.008", "0.00811126712 "},
      {"Latin words break at blanks", "round steel bar", "round steel b", "round steel "},
      {"a code is one word", "HRB400", "HRB", "HRB400"},
      {"a code, then Chinese", "HRB400钢筋", "HRB400钢", "HRB400钢"},
      {"Chinese, then a code", "钢筋HRB400", "钢筋HRB", "钢筋"},
      {"Chinese breaks between characters", "螺纹钢筋", "螺纹钢", "螺纹钢"},
      {"a number inside Chinese stays whole", "直径12毫米", "直径1", "直径"},
      {"a word longer than the cell", "0.00811126712kg/m", "0.0", "0.00811126712kg/m"},
  };
  for (const auto& c : cases) {
    const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(QString::fromUtf8(c.fits)))) + 1;
    const QStringList lines = TCellTextPainter::LineTexts(Gb(c.text), QRect(0, 0, width, 17), font);
    QVERIFY2(!lines.isEmpty(), c.name);
    QCOMPARE(lines.first(), QString::fromUtf8(c.firstLine));
  }
  // Rows tall enough for more lines show the words that follow, each whole.
  QCOMPARE(TCellTextPainter::LineTexts("HRB400 HRB500", QRect(0, 0, 10, 100), font),
           (QStringList{QStringLiteral("HRB400 "), QStringLiteral("HRB500")}));

  // A number wider than its column is drawn from its first digit up to the column's edge.
  TTableGrid& model = h.Model();
  model.SetColWidth(1, 40);
  model.WriteCell(1, 2, "0.00811126712");
  const QRect text = TGridPainter::TextRect(h.grid->CellRect(1, 2));
  const QImage shot = Shot(h.grid);
  bool inkAtTheEdge = false;
  for (int y = text.top(); y <= text.bottom(); ++y) {
    for (int x = text.right() - 3; x <= text.right(); ++x) inkAtTheEdge |= qGray(shot.pixel(x, y)) < 160;
  }
  QVERIFY2(inkAtTheEdge, "the digits stop short of the column's edge");
}

long ResidentKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return 0;
}

void GridViewTest::markupLoadsNothingAndLongTextsStayCheap() {
  GridViewHarness h;
  TTableGrid& model = h.Model();
  const QRect a = h.grid->CellRect(1, 2);
  const QRect b = h.grid->CellRect(2, 2);
  auto cellImage = [&](const QRect& r) { return Shot(h.grid).copy(r); };
  QTemporaryDir dir;
  const QByteArray fifo = dir.filePath(QStringLiteral("pipe")).toUtf8();
  QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);

  // A picture or style that names a device, a pipe or any file is drawn as nothing, without opening it
  // (a pipe would block the window for good, /dev/zero would fill the memory).
  const long before = ResidentKilobytes();
  model.WriteCell(2, 2, "<B>x</B>");
  for (const std::string& markup :
       std::vector<std::string>{"<B>x</B><img src=\"/dev/zero\">", "<B>x</B><img src=\"file:///dev/zero\">",
                                "<B>x</B><img src=\"" + fifo.toStdString() + "\">",
                                "<B>x</B><span style=\"background-image:url(/dev/zero)\"></span>",
                                "<B>x</B><link rel=\"stylesheet\" href=\"" + fifo.toStdString() + "\">"}) {
    model.WriteCell(1, 2, markup);
    QCOMPARE(cellImage(a), cellImage(b));
  }
  QVERIFY2(ResidentKilobytes() - before < 50 * 1024, "memory grew while painting markup");

  // Markup nested too deep to lay out is shown as plain text, tags and all.
  std::string tables;
  for (int i = 0; i < 900; ++i) tables += "<table><tr><td>";
  model.WriteCell(1, 2, tables);
  model.WriteCell(2, 2, "<table><tr><td><table><tr><td><table>");
  QCOMPARE(cellImage(a), cellImage(b));

  // A text too long for the editor to lay out quickly opens read-only and cut; the cell keeps every byte.
  const std::string longText(kMaxEditedChars + 1, 'w');
  for (const std::string& text : std::vector<std::string>{longText, longText.substr(1)}) {
    model.WriteCell(1, 1, text);
    model.SetFocusedCell(1, 1);
    h.grid->setFocus();
    h.Key(Qt::Key_F2);
    QVERIFY(h.EditorOpen());
    QCOMPARE(static_cast<std::size_t>(h.EditorText().size()), kMaxEditedChars);
    const bool cut = text.size() > kMaxEditedChars;
    QCOMPARE(h.grid->EditSession().Editor()->isReadOnly(), cut);
    h.Key(Qt::Key_End, Qt::ControlModifier);
    h.Type(QStringLiteral("z"));
    h.Key(Qt::Key_Return);
    QCOMPARE(h.Cell(1, 1), cut ? text : text + "z");
  }
}

void GridViewTest::keyTableGivesEachPlaceItsAction() {
  using A = TGridKeyAction;
  using W = TGridKeyController::Where;
  const Qt::KeyboardModifiers C = Qt::ControlModifier, S = Qt::ShiftModifier, N = Qt::NoModifier;
  struct Case {
    const char* name;
    W where;
    int key;
    Qt::KeyboardModifiers mods;
    QString text;
    A expected;
  } cases[] = {
      {"Shift is no part of a grid key", W::kGrid, Qt::Key_Down, S, {}, A::kDown},
      {"Ctrl+Down scrolls", W::kGrid, Qt::Key_Down, C, {}, A::kScrollDown},
      {"Alt+Down does nothing", W::kGrid, Qt::Key_Down, Qt::AltModifier, {}, A::kNone},
      {"Ctrl+Shift+A selects all", W::kGrid, Qt::Key_A, C | S, "a", A::kSelectAll},
      {"a character types", W::kGrid, Qt::Key_A, S, "A", A::kType},
      {"Ctrl with a character does not", W::kGrid, Qt::Key_B, C, "b", A::kNone},
      {"Backspace types", W::kGrid, Qt::Key_Backspace, N, "\b", A::kType},
      {"Enter edits", W::kGrid, Qt::Key_Return, N, "\r", A::kEdit},
      {"F2 edits at the end", W::kGrid, Qt::Key_F2, N, {}, A::kEditAtEnd},
      {"Esc in the grid does nothing", W::kGrid, Qt::Key_Escape, N, {}, A::kNone},
      {"Ctrl+Enter breaks the line", W::kEditor, Qt::Key_Return, C, {}, A::kNewLine},
      {"Shift+Enter ends the edit", W::kEditor, Qt::Key_Enter, S, {}, A::kEndEdit},
      {"Ctrl+Shift+Enter ends the edit", W::kEditor, Qt::Key_Return, C | S, {}, A::kEndEdit},
      {"Esc cancels", W::kEditor, Qt::Key_Escape, S, {}, A::kCancelEdit},
      {"PgDn pages from the editor", W::kEditor, Qt::Key_PageDown, C, {}, A::kPageDown},
      {"Up may leave the cell", W::kEditor, Qt::Key_Up, N, {}, A::kLeaveUp},
      {"Shift+Up selects text", W::kEditor, Qt::Key_Up, S, {}, A::kNone},
      {"Home goes to the text's start", W::kEditor, Qt::Key_Home, N, {}, A::kCaretStart},
      {"Ctrl+Insert copies", W::kEditor, Qt::Key_Insert, C, {}, A::kCopy},
      {"Shift+Insert pastes", W::kEditor, Qt::Key_Insert, S, {}, A::kPaste},
      {"Insert alone is dropped", W::kEditor, Qt::Key_Insert, N, {}, A::kSwallow},
      {"Shift+Delete cuts", W::kEditor, Qt::Key_Delete, S, {}, A::kCut},
      {"a character is the editor's own", W::kEditor, Qt::Key_A, N, "a", A::kNone},
      {"Enter in the header editor is dropped", W::kHeaderEditor, Qt::Key_Return, N, {}, A::kSwallow},
      {"Up in the header editor is its own", W::kHeaderEditor, Qt::Key_Up, N, {}, A::kNone},
  };
  for (const Case& c : cases) {
    const QKeyEvent event(QEvent::KeyPress, c.key, c.mods, c.text);
    QVERIFY2(TGridKeyController::ActionFor(event, c.where) == c.expected, c.name);
  }
}

void GridViewTest::keysMoveFocusSelectionAndView() {
  struct Step {
    int key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
  };
  constexpr auto S = Qt::ShiftModifier;
  constexpr auto C = Qt::ControlModifier;
  struct Case {
    const char* name;
    std::vector<Step> keys;
    TCellAddress focus;
    TCellAddress anchor;  // {-1, -1}: same as the focus
    int topRow;
  } cases[] = {
      {"Down", {{Qt::Key_Down}}, {0, 2}, {}, 1},
      {"Up in the top body row", {{Qt::Key_Up}}, {0, 1}, {}, 1},
      {"Right stops at the last column",
       {{Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Right}},
       {4, 1},
       {},
       1},
      {"End, Home", {{Qt::Key_End}, {Qt::Key_Home}}, {0, 1}, {}, 1},
      {"End", {{Qt::Key_End}}, {4, 1}, {}, 1},
      {"PgDn moves focus and top by a page of 4", {{Qt::Key_PageDown}}, {0, 5}, {}, 5},
      {"PgDn twice clamps", {{Qt::Key_PageDown}, {Qt::Key_PageDown}}, {0, 9}, {}, 5},
      {"PgDn, PgUp", {{Qt::Key_PageDown}, {Qt::Key_PageUp}}, {0, 1}, {}, 1},
      {"Ctrl+End", {{Qt::Key_End, C}}, {4, 9}, {}, 5},
      {"Ctrl+End, Ctrl+Home", {{Qt::Key_End, C}, {Qt::Key_Home, C}}, {0, 1}, {}, 1},
      {"Ctrl+PgDn: last fully visible row", {{Qt::Key_PageDown, C}}, {0, 5}, {}, 1},
      {"Ctrl+End, Ctrl+PgUp: top row", {{Qt::Key_End, C}, {Qt::Key_PageUp, C}}, {4, 5}, {}, 5},
      {"Ctrl+Down scrolls only", {{Qt::Key_Down, C}, {Qt::Key_Down, C}}, {0, 1}, {}, 3},
      {"Ctrl+Down clamps the view", std::vector<Step>(9, Step{Qt::Key_Down, C}), {0, 1}, {}, 5},
      {"Shift extends from the anchor", {{Qt::Key_Down, S}, {Qt::Key_Right, S}}, {1, 2}, {0, 1}, 1},
      {"Shift range, then a plain move collapses it", {{Qt::Key_Down, S}, {Qt::Key_Right}}, {1, 2}, {}, 1},
      {"Ctrl+A selects the body without scrolling", {{Qt::Key_A, C}}, {4, 9}, {0, 1}, 1},
      {"Ctrl+A, Shift+Up shrinks from the corner", {{Qt::Key_A, C}, {Qt::Key_Up, S}}, {4, 8}, {0, 1}, 4},
      {"Esc, Insert, Delete do nothing", {{Qt::Key_Escape}, {Qt::Key_Insert}, {Qt::Key_Delete}}, {0, 1}, {}, 1},
  };
  for (const Case& c : cases) {
    GridViewHarness h;
    for (const Step& step : c.keys) h.Key(step.key, step.mods);
    const TTableGrid& m = h.Model();
    const TCellAddress anchor = c.anchor.col < 0 ? c.focus : c.anchor;
    QVERIFY2((TCellAddress{m.FocusedCol(), m.FocusedRow()}) == c.focus, c.name);
    QVERIFY2((TCellAddress{m.AnchorCol(), m.AnchorRow()}) == anchor, c.name);
    QVERIFY2(m.TopRow() == c.topRow, c.name);
    QVERIFY2(!h.EditorOpen(), c.name);
    QVERIFY2(h.grid->hasFocus(), c.name);
  }

  // Ctrl+Left/Right move the focus and the left column by a page of columns; Tab leaves the grid.
  GridViewHarness narrow(QSize(150, 127));  // columns 0 and 1 fully visible: a page of 1
  narrow.Key(Qt::Key_Right, C);
  QCOMPARE(narrow.Model().FocusedCol(), 1);
  QCOMPARE(narrow.Model().LeftCol(), 1);
  narrow.Key(Qt::Key_End);
  QCOMPARE(narrow.Model().LeftCol(), 3);
  narrow.Key(Qt::Key_Left, C);
  QCOMPARE(narrow.Model().FocusedCol(), 3);
  QCOMPARE(narrow.Model().LeftCol(), 2);
  narrow.Key(Qt::Key_Tab);
  QCOMPARE(narrow.Focus(), narrow.button);
}

void GridViewTest::hugeGridMovesAndPaintsLikeASmallOne() {
  GridViewHarness h;
  TTableGrid& m = h.Model();
  m.SetRowCount(TTableGrid::kMaxCount);
  const int last = TTableGrid::kMaxCount - 1;
  m.WriteCell(2, last, "bottom");
  h.Key(Qt::Key_End, Qt::ControlModifier);
  QCOMPARE(m.FocusedRow(), last);
  QCOMPARE(m.TopRow(), last - 4);
  QCOMPARE(h.grid->CellRect(4, last), QRect(256, 105, 64, 21));
  h.Key(Qt::Key_PageUp);
  QCOMPARE(m.FocusedRow(), last - 4);
  QCOMPARE(m.TopRow(), last - 8);
  h.Key(Qt::Key_Home, Qt::ControlModifier);
  QCOMPARE(m.TopRow(), 1);
  QVERIFY(!Shot(h.grid).isNull());
}

void GridViewTest::editingStoresTextWhenTheEditEnds() {
  struct Case {
    const char* name;
    std::string start;
    std::vector<int> before;  // keys before typing
    QString typed;
    std::vector<int> after;
    std::string expected;
  } cases[] = {
      {"typing replaces, Enter stores", "xyz", {}, "abc", {Qt::Key_Return}, "abc"},
      {"Esc restores", "xyz", {}, "abc", {Qt::Key_Escape}, "xyz"},
      {"F2 appends", "12", {Qt::Key_F2}, "3", {Qt::Key_Return}, "123"},
      {"Enter selects all", "12", {Qt::Key_Return}, "3", {Qt::Key_Return}, "3"},
      {"a character selects all", "12", {}, "3", {Qt::Key_Return}, "3"},
      {"Backspace empties", "12", {Qt::Key_Backspace}, "", {Qt::Key_Return}, ""},
      {"tags kept when nothing changed", "<B>a</B><br>b", {Qt::Key_Return}, "", {Qt::Key_Return}, "<B>a</B><br>b"},
      {"tags removed once edited", "<B>a</B><br>b", {Qt::Key_F2}, "c", {Qt::Key_Return}, "a\r\nbc"},
      {"a lone < stays", "1<2", {Qt::Key_Return}, "", {Qt::Key_Return}, "1<2"},
      {"a lone < stays when edited", "1<2", {Qt::Key_F2}, "3", {Qt::Key_Return}, "1<23"},
      {"Home and End reach the whole text",
       "ab",
       {Qt::Key_F2, Qt::Key_Home},
       "x",
       {Qt::Key_End, Qt::Key_Return},
       "xab"},
  };
  for (const Case& c : cases) {
    GridViewHarness h;
    h.Model().WriteCell(0, 1, c.start);
    for (int key : c.before) h.Key(key);
    h.Type(c.typed);
    QVERIFY2(h.EditorOpen(), c.name);
    QVERIFY2(h.Cell(0, 1) == c.start, c.name);  // nothing reaches the cell while the editor is open
    for (int key : c.after) h.Key(key);
    QVERIFY2(h.Cell(0, 1) == c.expected, c.name);
    QVERIFY2(!h.EditorOpen(), c.name);
    QVERIFY2(h.grid->hasFocus(), c.name);
    QVERIFY2(h.Model().FocusedRow() == 1, c.name);  // no advance on Enter
  }

  // Ctrl+Enter makes a CR LF line break.
  GridViewHarness h;
  h.Type("a");
  h.Key(Qt::Key_Return, Qt::ControlModifier);
  h.Type("b");
  h.Key(Qt::Key_Return);
  QCOMPARE(h.Cell(0, 1), std::string("a\r\nb"));

  // Chinese text is stored as GB18030 bytes.
  h.Key(Qt::Key_F2);
  h.TypeCharacter(QString::fromUtf8("价"));
  h.Key(Qt::Key_Return);
  QCOMPARE(h.Cell(0, 1), std::string("a\r\nb") + Gb("价"));
}

void GridViewTest::editorKeysMoveOrStayOnTheirCell() {
  GridViewHarness h;
  // Up on the first line commits and moves up, which ends the edit.
  h.Key(Qt::Key_Down);
  h.Type("q");
  h.Key(Qt::Key_Up);
  QCOMPARE(h.Cell(0, 2), std::string("q"));
  QCOMPARE(h.Model().FocusedRow(), 1);
  QVERIFY(!h.EditorOpen());
  QVERIFY(h.grid->hasFocus());

  // Up and Down inside a multi-line text move the caret only.
  h.Model().WriteCell(0, 1, "one\r\ntwo");
  h.Key(Qt::Key_F2);
  h.Key(Qt::Key_Up);
  QVERIFY(h.EditorOpen());
  QCOMPARE(h.Model().FocusedRow(), 1);
  h.Key(Qt::Key_Escape);

  // Down in the last body row commits, keeps the editor open and bound to its cell.
  h.Key(Qt::Key_End, Qt::ControlModifier);
  h.Type("new");
  h.Key(Qt::Key_Down);
  QCOMPARE(h.Cell(4, 9), std::string("new"));
  QVERIFY(h.EditorOpen());
  h.Type("er");
  QCOMPARE(h.Cell(4, 9), std::string("new"));
  h.Key(Qt::Key_Return);
  QCOMPARE(h.Cell(4, 9), std::string("newer"));

  // PgUp in the editor moves a page and ends the edit; where the focus cannot move nothing happens.
  h.Type("p");
  h.Key(Qt::Key_PageDown);
  QVERIFY(h.EditorOpen());
  h.Key(Qt::Key_PageUp);
  QVERIFY(!h.EditorOpen());
  QCOMPARE(h.Cell(4, 9), std::string("p"));
  QCOMPARE(h.Model().FocusedRow(), 5);
}

void GridViewTest::pasteWritesAtOnceAndEscRestores() {
  GridViewHarness h;
  h.Model().WriteCell(0, 1, "xyz");
  QApplication::clipboard()->setText(QStringLiteral("pasted"));
  h.Key(Qt::Key_Return);
  h.Key(Qt::Key_V, Qt::ControlModifier);
  QVERIFY(h.EditorOpen());
  QCOMPARE(h.Cell(0, 1), std::string("pasted"));
  h.Key(Qt::Key_Insert, Qt::ShiftModifier);
  QCOMPARE(h.Cell(0, 1), std::string("pastedpasted"));
  h.Key(Qt::Key_Escape);
  QCOMPARE(h.Cell(0, 1), std::string("xyz"));
  QVERIFY(!h.EditorOpen());
}

void GridViewTest::writeFromOutsideReloadsTheEditor() {
  GridViewHarness h;
  h.Type("abc");
  h.Model().WriteCell(0, 1, "<B>zzz</B>");
  QCOMPARE(h.EditorText(), QStringLiteral("zzz"));
  QCOMPARE(h.grid->EditSession().Editor()->textCursor().selectedText(), QStringLiteral("zzz"));
  h.Key(Qt::Key_Return);
  QCOMPARE(h.Cell(0, 1), std::string("<B>zzz</B>"));
  // Writes elsewhere leave the editor alone.
  h.Type("k");
  h.Model().WriteCell(1, 1, "other");
  QCOMPARE(h.EditorText(), QStringLiteral("k"));

  // So does a table read: the edited cell reloads when the read changed it, and only then (the second
  // read's cells surround the edited one).
  QTemporaryDir dir;
  const auto read = [&](const char* lines) {
    const QString path = dir.filePath(QStringLiteral("t.dat"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lines);
    file.close();
    ReadTableFile(h.Model(), path.toStdString());
  };
  read("5,10\r\n1,1,a\r\n0,2,b\r\n");
  QCOMPARE(h.EditorText(), QStringLiteral("k"));
  read("5,10\r\n0,0,h\r\n2,2,c\r\n");
  QCOMPARE(h.EditorText(), QStringLiteral("k"));
  read("5,10\r\n1,1,a\r\n0,1,read\r\n0,2,b\r\n");
  QCOMPARE(h.EditorText(), QStringLiteral("read"));
}

void GridViewTest::focusLeavingTheGridEndsTheEdit() {
  {  // a click on a button
    GridViewHarness h;
    h.Type("abc");
    QTest::mouseClick(h.window.windowHandle(), Qt::LeftButton, {}, h.button->geometry().center());
    QCOMPARE(h.Cell(0, 1), std::string("abc"));
    QVERIFY(!h.EditorOpen());
    QCOMPARE(h.Focus(), h.button);
  }
  {  // Tab from the editor goes to the control after the grid
    GridViewHarness h;
    h.Type("abc");
    h.Key(Qt::Key_Tab);
    QCOMPARE(h.Cell(0, 1), std::string("abc"));
    QVERIFY(!h.EditorOpen());
    QCOMPARE(h.Focus(), h.button);
  }
  {  // the page holding the grid is hidden
    GridViewHarness h;
    h.Type("abc");
    h.grid->hide();
    QCOMPARE(h.Cell(0, 1), std::string("abc"));
    QVERIFY(!h.grid->EditSession().IsEditing());
  }
  {  // another window becomes active: the grid keeps no editor and gets the focus back later
    GridViewHarness h;
    h.Type("abc");
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(h.Cell(0, 1), std::string("abc"));
    QVERIFY(!h.EditorOpen());
    h.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&h.window));
    QVERIFY(h.grid->hasFocus());
  }
}

void GridViewTest::closingWithOpenEditorsIsSafe() {
  {
    GridViewHarness h;
    h.Type("abc");
  }
  {
    GridViewHarness h(QSize(400, 260));
    h.DoubleClick(QPoint(160, 10));
    QTest::keyClicks(h.grid->EditSession().HeaderEditor(), QStringLiteral("x"));
  }
}

// An accelerator leaves the editor open; a handler that saves ends the edits first and sees the text.
void GridViewTest::acceleratorHandlerEndsTheEditsToSeeTheText() {
  GridViewHarness h;
  h.Model().WriteCell(0, 1, "old");
  std::string before = "not clicked";
  std::string after;
  QObject::connect(h.button, &QPushButton::clicked, [&] {
    before = h.Cell(0, 1);
    h.grid->EditSession().EndAllEdits();
    after = h.Cell(0, 1);
  });
  h.Type("abc");
  QTest::keyClick(h.Focus(), Qt::Key_S, Qt::AltModifier);
  QTRY_COMPARE(before, std::string("old"));
  QCOMPARE(after, std::string("abc"));
  QVERIFY(!h.EditorOpen());
  QCOMPARE(h.Focus(), static_cast<QWidget*>(h.grid));
}

void GridViewTest::mousePressesFollowTheRules() {
  GridViewHarness h;
  h.button->setFocus();
  // A press on another body cell moves the focus and gives the grid the keyboard focus; no editor.
  h.Click(h.CellCenter(2, 3));
  QCOMPARE((TCellAddress{h.Model().FocusedCol(), h.Model().FocusedRow()}), (TCellAddress{2, 3}));
  QVERIFY(h.grid->hasFocus());
  QVERIFY(!h.EditorOpen());
  // Shift does not extend the selection.
  h.Click(h.CellCenter(3, 4), Qt::ShiftModifier);
  QCOMPARE((TCellAddress{h.Model().AnchorCol(), h.Model().AnchorRow()}), (TCellAddress{3, 4}));
  // A press on the focused cell opens the editor with its text selected.
  h.Model().WriteCell(3, 4, "old");
  h.Click(h.CellCenter(3, 4));
  QVERIFY(h.EditorOpen());
  QCOMPARE(h.grid->EditSession().Editor()->textCursor().selectedText(), QStringLiteral("old"));
  // A press on the header ends the edit and does nothing else.
  h.Type("new");
  h.Click(h.CellCenter(1, 0));
  QCOMPARE(h.Cell(3, 4), std::string("new"));
  QVERIFY(!h.EditorOpen());
  QCOMPARE(h.Model().FocusedCol(), 3);
  // A double-click on a cell without the focus only moves the focus there.
  h.DoubleClick(h.CellCenter(1, 2));
  QCOMPARE((TCellAddress{h.Model().FocusedCol(), h.Model().FocusedRow()}), (TCellAddress{1, 2}));
  QVERIFY(!h.EditorOpen());
  QVERIFY(!h.grid->EditSession().HeaderEditor()->isVisible());

  // A double-click on the focused cell: the first press opens the editor, the second one lands in it
  // and selects the word under the pointer.
  h.Model().SetColWidth(1, 200);
  h.Model().WriteCell(1, 2, "abcd efgh");
  h.DoubleClick(h.grid->CellRect(1, 2).topLeft() + QPoint(8, 8));
  QVERIFY(h.EditorOpen());
  QCOMPARE(h.grid->EditSession().Editor()->textCursor().selectedText(), QStringLiteral("abcd"));
}

void GridViewTest::rightPressHidesTheEditorUntilRelease() {
  GridViewHarness h;
  h.Type("abc");
  const QPoint elsewhere = h.CellCenter(2, 3);
  h.Press(elsewhere, Qt::RightButton);
  QCOMPARE(h.Cell(0, 1), std::string("abc"));
  QVERIFY(!h.EditorOpen());
  QCOMPARE(h.Model().FocusedRow(), 1);  // the focused cell does not move
  h.Release(elsewhere, Qt::RightButton);
  QVERIFY(h.EditorOpen());
  QCOMPARE(h.grid->EditSession().Editor()->textCursor().selectedText(), QStringLiteral("abc"));
}

void GridViewTest::headerEditorOpensByDoubleClickAndStoresOnFocusLoss() {
  GridViewHarness h(QSize(400, 260));
  auto* header = h.grid->EditSession().HeaderEditor();
  // The middle of column 2's header.
  h.DoubleClick(QPoint(160, 10));
  QVERIFY(header->isVisible());
  QCOMPARE(header->geometry(), h.grid->CellRect(2, 0).adjusted(1, 1, -1, -1));
  QCOMPARE(h.Focus(), static_cast<QWidget*>(header));
  QTest::keyClicks(header, QStringLiteral("Name"));
  h.Key(Qt::Key_Return);
  h.Key(Qt::Key_Escape);
  QVERIFY(header->isVisible());
  QCOMPARE(h.Cell(2, 0), std::string());
  h.Click(h.CellCenter(1, 3));
  QCOMPARE(h.Cell(2, 0), std::string("Name"));
  QVERIFY(!header->isVisible());

  // Right of the last column, more than 4 pixels from its border: the last column's header.
  h.DoubleClick(QPoint(360, 10));
  QVERIFY(header->isVisible());
  QCOMPARE(header->geometry(), h.grid->CellRect(4, 0).adjusted(1, 1, -1, -1));
  QTest::keyClicks(header, QStringLiteral("X"));
  h.grid->setFocus();
  QCOMPARE(h.Cell(4, 0), std::string("X"));

  // Below the last row and on a border: nothing opens.
  h.DoubleClick(QPoint(100, 240));
  QVERIFY(!header->isVisible());
  h.DoubleClick(QPoint(127, 10));
  QVERIFY(!header->isVisible());
  QVERIFY(!h.EditorOpen());
}

void GridViewTest::editorsTakeTheCellColoursOfTheCurrentPalette() {
  GridViewHarness h(QSize(400, 260));
  h.Model().WriteCell(0, 1, "body");
  h.Model().WriteCell(2, 0, "head");
  const QPalette light = h.window.palette();
  struct Colours {
    const char* name;
    QColor base, text;
  } palettes[] = {
      {"dark", QColor(30, 30, 30), QColor(230, 230, 230)},
      {"blue", QColor(0, 0, 96), QColor(255, 255, 0)},
      {"light again", light.color(QPalette::Base), light.color(QPalette::Text)},
  };
  auto setPalette = [&h, &light](const Colours& c) {
    QPalette palette = light;
    palette.setColor(QPalette::Base, c.base);
    palette.setColor(QPalette::Text, c.text);
    h.window.setPalette(palette);
  };
  // The editor's margin shows its background, as the cells around it do theirs.
  auto check = [&h](QWidget* editor, const Colours& c, const char* when) {
    const QString what = QStringLiteral("%1, %2").arg(QLatin1String(c.name), QLatin1String(when));
    QVERIFY2(editor->isVisible(), qPrintable(what));
    QCOMPARE(h.grid->Style().cellColor, c.base);
    QVERIFY2(editor->palette().color(QPalette::Base) == c.base, qPrintable(what));
    QVERIFY2(editor->palette().color(QPalette::Text) == c.text, qPrintable(what));
    QVERIFY2(editor->grab().toImage().pixelColor(1, 1) == c.base, qPrintable(what));
  };
  using Open = void (*)(GridViewHarness&);
  const struct {
    const char* name;
    Open open;
    QWidget* (*editor)(GridViewHarness&);
  } editors[] = {
      {"in-place editor", [](GridViewHarness& g) { g.grid->EditSession().BeginEdit(true); },
       [](GridViewHarness& g) -> QWidget* { return g.grid->EditSession().Editor(); }},
      {"header editor", [](GridViewHarness& g) { g.grid->EditSession().BeginHeaderEdit(2); },
       [](GridViewHarness& g) -> QWidget* { return g.grid->EditSession().HeaderEditor(); }},
  };
  for (const auto& e : editors) {
    // Made and shown under the first palette, then changed while open and opened again after a change.
    h.window.setPalette(light);
    e.open(h);
    for (const Colours& c : palettes) {
      setPalette(c);
      check(e.editor(h), c, e.name);
      h.grid->EditSession().EndAllEdits();
      setPalette(palettes[0]);
      e.open(h);
      check(e.editor(h), palettes[0], e.name);
    }
    h.grid->EditSession().EndAllEdits();
  }
}

void GridViewTest::inputMethodCompositionOpensTheEditor() {
  GridViewHarness h;
  h.Model().WriteCell(0, 1, "old");
  QVERIFY(h.grid->testAttribute(Qt::WA_InputMethodEnabled));
  QCOMPARE(h.grid->inputMethodQuery(Qt::ImEnabled).toBool(), true);
  QCOMPARE(h.grid->inputMethodQuery(Qt::ImCursorRectangle).toRect(),
           h.grid->CellRect(0, 1).translated(h.grid->viewport()->pos()));

  // Pre-edit text opens the editor while the grid keeps the focus.
  QInputMethodEvent preedit(QStringLiteral("ni"), {});
  QApplication::sendEvent(h.grid, &preedit);
  QVERIFY(h.EditorOpen());
  QVERIFY(h.grid->hasFocus());
  QInputMethodEvent more(QStringLiteral("ni hao"), {});
  QApplication::sendEvent(h.grid, &more);
  QVERIFY(h.grid->hasFocus());
  QCOMPARE(h.Cell(0, 1), std::string("old"));

  // The commit replaces the selected text like a typed character; then the editor takes the focus.
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("你好"));
  QApplication::sendEvent(h.grid, &commit);
  QCOMPARE(h.EditorText(), QString::fromUtf8("你好"));
  QTRY_COMPARE(h.Focus(), static_cast<QWidget*>(h.grid->EditSession().Editor()));

  // The editor takes further composed text like any text box.
  QInputMethodEvent again;
  again.setCommitString(QString::fromUtf8("吗"));
  QApplication::sendEvent(h.Focus(), &again);
  h.Key(Qt::Key_Return);
  QCOMPARE(h.Cell(0, 1), Gb("你好吗"));

  // Focus leaving the grid in the middle of a composition ends the edit with what was composed so far.
  h.Key(Qt::Key_Down);
  QInputMethodEvent half(QStringLiteral("zh"), {});
  QApplication::sendEvent(h.grid, &half);
  QVERIFY(h.EditorOpen());
  h.button->setFocus();
  QVERIFY(!h.grid->EditSession().IsEditing());
  h.grid->setFocus();
  h.Key(Qt::Key_Up);

  // A commit with no composition before it opens the editor too.
  h.Key(Qt::Key_Down);
  QInputMethodEvent direct;
  direct.setCommitString(QString::fromUtf8("中"));
  QApplication::sendEvent(h.grid, &direct);
  QTRY_COMPARE(h.Focus(), static_cast<QWidget*>(h.grid->EditSession().Editor()));
  h.Key(Qt::Key_Return);
  QCOMPARE(h.Cell(0, 2), Gb("中"));
}

}  // namespace metrazil

QTEST_MAIN(metrazil::GridViewTest)
#include "GridViewTest.moc"
