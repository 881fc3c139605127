#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <utility>

#include "base/Exception.h"
#include "grid/layout/GridGeometry.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridSizingLine.h"
#include "grid/view/TableGridView.h"
#include "tests/support/DoubleClickColumnBorder.h"
#include "tests/support/UrlRecorder.h"
#include "tests/support/UserInput.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define SIZING_TEST_LSAN 1
#endif

namespace metrazil {
namespace {

// Qt's widget library is built without unwinding cleanups: an error leaving a mouse handler skips the
// destructors of the event copies Qt made on its way down, a few hundred bytes per error. Those are not
// ours, so a click expected to fail is made with leak checking paused.
class TQtUnwindLeakScope {
 public:
#ifdef SIZING_TEST_LSAN
  TQtUnwindLeakScope() { __lsan_disable(); }
  ~TQtUnwindLeakScope() { __lsan_enable(); }
#else
  TQtUnwindLeakScope() = default;
#endif
  TQtUnwindLeakScope(const TQtUnwindLeakScope&) = delete;
  TQtUnwindLeakScope& operator=(const TQtUnwindLeakScope&) = delete;
};

// Records what escapes an event handler, where the program's dispatch would report it.
class TRecordingApplication : public QApplication {
 public:
  using QApplication::QApplication;
  static TRecordingApplication* Instance() { return static_cast<TRecordingApplication*>(qApp); }

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const Exception& error) {
      errors.append(QString::fromUtf8(error.what()));
      return true;
    }
  }

  QStringList errors;
};

class GridSizingViewTest : public QObject {
  Q_OBJECT

 private slots:
  // The step of a wheel notch is the desktop's, so pin it.
  void initTestCase() { QApplication::setWheelScrollLines(3); }

  void init() {
    TRecordingApplication::Instance()->errors.clear();
    view_ = std::make_unique<TTableGridView>();
    TTableGrid& model = Model();
    // The form's settings: one header row, no header column, 10 body rows of 21 pixels, 5 columns of 64.
    model.SetFixedCols(0);
    model.SetRowCount(11);
    model.SetFocusedCell(0, 1);
    view_->resize(420, 300);
    view_->show();
    view_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view_.get()));
    view_->setFocus();
    QApplication::processEvents();
  }
  void cleanup() {
    view_.reset();
    QCOMPARE(TRecordingApplication::Instance()->errors, QStringList());
  }

  void doubleClickNearABorderFitsTheColumn();
  void fitColumnOfEmptyTextsAndZoomedFonts();
  void fitColumnSkipsOnlyTextsThatCannotBeWider_data();
  void fitColumnSkipsOnlyTextsThatCannotBeWider();
  void fitColumnBoundsStrayBytes();
  void draggingABorder_data();
  void draggingABorder();
  void theSizingLineInvertsThePixelsUnderIt();
  void wheelMovesTheFocusStepRowsPlusOne();
  void ctrlWheelZoomsWithinTen();
  void notchInTheEditorCommitsAndMovesOneRow();
  void wheelWithoutTheKeyboardFocusMovesNothing();
  void middleButtonPansDownToTheLastRowUntilAKey();
  void panningUpAndEndedByAPress();
  void scrollBarsShowOnlyWhileNeeded();
  void scrollBarsOnAHugeGrid();
  void clickOnAScrollBarGivesTheGridTheFocus();
  void cellLinksMoveTheFocus();
  void pressOnALinkOnlyFollowsIt();
  void onlyWebAndMailLinksOpenOutside();

 private:
  TTableGrid& Model() { return view_->Model(); }
  QWidget* Viewport() { return view_->viewport(); }
  QRect Header(int col) { return view_->CellRect(col, 0); }
  // The x of a column's border: its left edge plus its width.
  int Border(int col) { return Header(col).left() + Header(col).width(); }
  // A border is being dragged while its line shows.
  bool Sizing() { return Viewport()->findChild<TGridSizingLine*>()->isVisible(); }
  // Panning holds the pointer and shows its own cursor.
  bool Panning() { return QWidget::mouseGrabber() == Viewport() && QGuiApplication::overrideCursor() != nullptr; }

  // Puts a link to target in a cell and presses it: the link's text starts at the cell's text rectangle, a
  // few pixels in hits it. Returns what escaped the press.
  QStringList ClickLink(const QString& target, int col = 1, int row = 3) {
    Model().WriteCell(col, row, ToTableBytes(QStringLiteral("<a href=\"%1\">go</a>").arg(target)));
    const QRect cell = view_->CellRect(col, row);
    [[maybe_unused]] const TQtUnwindLeakScope errorsLeakInQt;
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, cell.topLeft() + QPoint(5, cell.height() / 2));
    return std::exchange(TRecordingApplication::Instance()->errors, {});
  }

  int FittedWidth(int col) {
    // Widest first line of the column in its row's font, plus 10 (see FitColumn).
    int widest = 0;
    for (int row = 0; row < Model().RowCount(); ++row) {
      const QFontMetrics metrics(row == 0 ? view_->Style().headerFont : view_->Style().bodyFont);
      QString text = FromTableBytes(Model().CellText(col, row));
      text = text.left(text.indexOf('\r') >= 0 ? text.indexOf('\r') : text.size());
      widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    return std::max(widest + 10, 10);
  }

  // A pointer move as the grid sees it, with the given buttons held.
  void Move(QPoint pos, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), Viewport()->mapToGlobal(QPointF(pos)), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &move);
  }

  // Lets the event loop run until the focus reaches row or the time is up.
  bool WaitForFocusRow(int row, int timeoutMs = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (Model().FocusedRow() != row && timer.elapsed() < timeoutMs) QTest::qWait(5);
    return Model().FocusedRow() == row;
  }

  std::unique_ptr<TTableGridView> view_;
};

void GridSizingViewTest::doubleClickNearABorderFitsTheColumn() {
  Model().WriteCell(1, 0, "Name");
  Model().WriteCell(1, 3, "a much longer first line\r\nand a second line longer than all the rest of them");
  Model().WriteCell(1, 5, "short");
  Model().WriteCell(4, 2, "x");
  const int fitted1 = FittedWidth(1);
  QCOMPARE_GT(fitted1, 64);

  // Exactly on the grid line between the headers of columns 1 and 2: column 1.
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Border(1) - 1, 10));
  QCOMPARE(Model().ColWidth(1), fitted1);
  QCOMPARE(Model().ColWidth(2), 64);

  // Just inside column 2, left of its left border: still column 1; the texts did not change, neither does it.
  Model().SetColWidth(1, 30);
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Header(2).left() + 2, 10));
  QCOMPARE(Model().ColWidth(1), fitted1);

  // Just right of the last column's border, in the empty area: the last column.
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Border(4) + 1, 10));
  QCOMPARE(Model().ColWidth(4), 10 + QFontMetrics(view_->Style().bodyFont).horizontalAdvance("x"));

  // The middle of a header and a body cell fit nothing.
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Header(3).center().x(), 10));
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Border(2) - 1, 40));
  QCOMPARE(Model().ColWidth(2), 64);
  QCOMPARE(Model().ColWidth(3), 64);
}

void GridSizingViewTest::fitColumnOfEmptyTextsAndZoomedFonts() {
  DoubleClickColumnBorder(*view_, 0);
  QCOMPARE(Model().ColWidth(0), 10);
  Model().WriteCell(0, 4, "WWWWWWWW");
  DoubleClickColumnBorder(*view_, 0);
  const int unzoomed = Model().ColWidth(0);
  QCOMPARE(unzoomed, FittedWidth(0));
  // The fonts grow with the zoom level, and so does the fitted width.
  Wheel(Viewport(), -120, Qt::ControlModifier);
  QCOMPARE(view_->ZoomLevel(), 3);
  DoubleClickColumnBorder(*view_, 0);
  QCOMPARE(Model().ColWidth(0), FittedWidth(0));
  QCOMPARE_GT(Model().ColWidth(0), unzoomed);
}

// Fitting leaves out texts that cannot beat the widest so far; the result stays that of measuring every
// first line, whichever order the texts come in.
void GridSizingViewTest::fitColumnSkipsOnlyTextsThatCannotBeWider_data() {
  QTest::addColumn<QStringList>("texts");
  QTest::newRow("same length, narrow digits first") << QStringList{"1111", "1111", "9999", "1111"};
  QTest::newRow("kerned pairs") << QStringList{"AVAVAVAV", "WAWAWAWA", "LTLTLTLT", "ToToToTo"};
  QTest::newRow("tabs") << QStringList{"ab", "\tx", "a\tb\tc", "abcdefghij"};
  QTest::newRow("two-byte characters") << QStringList{"千克千克", "mmmmmmmm", "ＡＢＣＤ", "αβγδεζ"};
  QTest::newRow("four-byte and combining characters")
      << QStringList{"e\u0301e\u0301e\u0301", "\U00020000\U00020000", "eee", "abc"};
  QTest::newRow("markup and later lines") << QStringList{"<b>x</b>", "x\r\nmuch wider second line", "[a](b)", "x"};
}

void GridSizingViewTest::fitColumnSkipsOnlyTextsThatCannotBeWider() {
  QFETCH(QStringList, texts);
  for (const bool reversed : {false, true}) {
    if (reversed) std::reverse(texts.begin(), texts.end());
    Model().SetRowCount(static_cast<int>(texts.size()) * 50 + 1);
    for (int row = 1; row < Model().RowCount(); ++row) {
      Model().WriteCell(1, row, ToTableBytes(texts[(row - 1) % texts.size()]));
    }
    DoubleClickColumnBorder(*view_, 1);
    QCOMPARE(Model().ColWidth(1), FittedWidth(1));
  }
}

// Bytes that make no character (a lead byte at the end, 0x80, 0xFF, a cut four-byte character) decode on
// their own; the bound must count them as that, wherever they stand.
void GridSizingViewTest::fitColumnBoundsStrayBytes() {
  const std::string texts[] = {"ab\x81", "\x80\x80\x80\x80", "\xFF\xFFx", "a\x81\x30", "\x81\x30\x81\x30wide", "x"};
  Model().SetRowCount(static_cast<int>(std::size(texts)) * 20 + 1);
  for (int row = 1; row < Model().RowCount(); ++row) Model().WriteCell(1, row, texts[(row - 1) % std::size(texts)]);
  DoubleClickColumnBorder(*view_, 1);
  QCOMPARE(Model().ColWidth(1), FittedWidth(1));
}

void GridSizingViewTest::draggingABorder_data() {
  QTest::addColumn<int>("releaseX");  // relative to column 1's left edge, or absolute past the right edge
  QTest::addColumn<bool>("outside");
  QTest::addColumn<int>("expected");
  QTest::newRow("wider") << 100 << false << 100;
  QTest::newRow("to 2 pixels") << 2 << false << 2;
  QTest::newRow("to 1 pixel changes nothing") << 1 << false << 64;
  QTest::newRow("left of the column changes nothing") << -20 << false << 64;
  QTest::newRow("released outside on the right is abandoned") << 0 << true << 64;
}

void GridSizingViewTest::draggingABorder() {
  QFETCH(int, releaseX);
  QFETCH(bool, outside);
  QFETCH(int, expected);
  Model().SetColWidth(1, 64);
  const int left = Header(1).left();
  const QPoint press(Border(1) - 1, 8);  // on the grid line, 1 pixel left of the border
  QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, press);
  const int x = outside ? Viewport()->width() + 5 : left + releaseX - 1;
  Move(QPoint(x, 8), Qt::LeftButton);
  QVERIFY(Sizing());
  QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 8));
  QVERIFY(!Sizing());
  QCOMPARE(Model().ColWidth(1), expected);
  // The split cursor shows over a sizing zone only, and only in the header row.
  Move(QPoint(Border(2) + 4, 8));
  QCOMPARE(Viewport()->cursor().shape(), Qt::SplitHCursor);
  Move(QPoint(Border(2) + 5, 8));
  QCOMPARE(Viewport()->cursor().shape(), Qt::ArrowCursor);
  Move(QPoint(Border(2), 30));
  QCOMPARE(Viewport()->cursor().shape(), Qt::ArrowCursor);
  // A press in a header away from any border sizes nothing.
  QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Header(2).center().x(), 8));
  QVERIFY(!Sizing());
  QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Header(2).center().x(), 8));
}

void GridSizingViewTest::theSizingLineInvertsThePixelsUnderIt() {
  const QImage before = view_->grab().toImage();
  const int x = Header(2).center().x();
  QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Border(1), 8));
  Move(QPoint(x, 8), Qt::LeftButton);
  const QImage during = view_->grab().toImage();
  QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Viewport()->width() + 5, 8));
  const QPoint origin = Viewport()->mapTo(view_.get(), QPoint(0, 0));
  const int lineX = origin.x() + x - 1;
  const int y = origin.y() + 50;  // a body cell below the header
  const QRgb was = before.pixel(lineX, y);
  const QRgb now = during.pixel(lineX, y);
  QCOMPARE(qRed(now), 255 - qRed(was));
  QCOMPARE(qGreen(now), 255 - qGreen(was));
  QCOMPARE(qBlue(now), 255 - qBlue(was));
  QCOMPARE(during.pixel(lineX + 1, y), before.pixel(lineX + 1, y));
  QCOMPARE(view_->grab().toImage().pixel(lineX, y), was);
}

void GridSizingViewTest::wheelMovesTheFocusStepRowsPlusOne() {
  Wheel(Viewport(), -120);  // towards the user: the desktop's 3 lines plus one
  QCOMPARE(Model().FocusedRow(), 5);
  Model().SetFocusedCell(2, 9);
  Wheel(Viewport(), -120);
  QCOMPARE(Model().FocusedRow(), 10);
  QCOMPARE(Model().FocusedCol(), 2);
  Wheel(Viewport(), 120);
  QCOMPARE(Model().FocusedRow(), 6);
  Wheel(Viewport(), 120);
  QCOMPARE(Model().FocusedRow(), 2);
  Wheel(Viewport(), 120);
  QCOMPARE(Model().FocusedRow(), 1);
  // A touchpad's fractions of a notch move once they add up to a whole one.
  Wheel(Viewport(), -50);
  Wheel(Viewport(), -50);
  QCOMPARE(Model().FocusedRow(), 1);
  Wheel(Viewport(), -20);
  QCOMPARE(Model().FocusedRow(), 5);
}

void GridSizingViewTest::ctrlWheelZoomsWithinTen() {
  Model().SetColWidth(3, 2);
  Wheel(Viewport(), -120, Qt::ControlModifier);
  Wheel(Viewport(), -120, Qt::ControlModifier);
  Wheel(Viewport(), -120, Qt::ControlModifier);
  QCOMPARE(view_->ZoomLevel(), 9);
  QCOMPARE(Model().ColWidth(0), 73);
  QCOMPARE(Model().ColWidth(3), 11);
  QCOMPARE(Model().RowHeight(5), 30);
  QCOMPARE(Model().FocusedRow(), 4);
  Wheel(Viewport(), -120, Qt::ControlModifier);  // 12 would be beyond 10
  QCOMPARE(view_->ZoomLevel(), 9);
  QCOMPARE(Model().ColWidth(0), 73);
  QCOMPARE(Model().FocusedRow(), 5);
  // Away from the user: sizes shrink only where they stay above 0.
  for (int i = 0; i < 6; ++i) Wheel(Viewport(), 120, Qt::ControlModifier);
  QCOMPARE(view_->ZoomLevel(), -9);
  QCOMPARE(Model().ColWidth(0), 55);
  QCOMPARE(Model().ColWidth(3), 2);
  QCOMPARE(Model().RowHeight(5), 12);
  QCOMPARE(Model().FocusedRow(), 1);
}

void GridSizingViewTest::notchInTheEditorCommitsAndMovesOneRow() {
  Model().WriteCell(0, 1, "old");
  QTest::keyClick(view_.get(), Qt::Key_F2);
  QVERIFY(view_->EditSession().IsEditing());
  QTest::keyClicks(QApplication::focusWidget(), "er");
  // The editor's text area, where the pointer is, gets the notch first.
  Wheel(view_->EditSession().Editor()->viewport(), -120);
  QVERIFY(!view_->EditSession().IsEditing());
  QCOMPARE(Model().ReadCell(0, 1), std::string("older"));
  QCOMPARE(Model().FocusedRow(), 2);
}

void GridSizingViewTest::wheelWithoutTheKeyboardFocusMovesNothing() {
  view_->clearFocus();
  QApplication::processEvents();
  Wheel(Viewport(), -120);
  QCOMPARE(Model().FocusedRow(), 1);
}

void GridSizingViewTest::middleButtonPansDownToTheLastRowUntilAKey() {
  const QPoint press(100, 100);
  QTest::mousePress(Viewport(), Qt::MiddleButton, Qt::NoModifier, press);
  QTest::mouseRelease(Viewport(), Qt::MiddleButton, Qt::NoModifier, press);
  QVERIFY(Panning());
  // Within 5 pixels nothing moves.
  Move(press + QPoint(30, 5));
  QTest::qWait(50);
  QCOMPARE(Model().FocusedRow(), 1);
  Move(press + QPoint(0, 20));
  QVERIFY(WaitForFocusRow(10));
  QTest::qWait(30);
  QCOMPARE(Model().FocusedRow(), 10);
  QVERIFY(Panning());
  // The key ends panning and then has its own effect.
  QTest::keyClick(view_.get(), Qt::Key_Up);
  QCOMPARE(QWidget::mouseGrabber(), nullptr);
  QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  QCOMPARE(Model().FocusedRow(), 9);
  QTest::qWait(30);
  QCOMPARE(Model().FocusedRow(), 9);
}

void GridSizingViewTest::panningUpAndEndedByAPress() {
  Model().SetFocusedCell(1, 8);
  QTest::mousePress(Viewport(), Qt::MiddleButton, Qt::NoModifier, QPoint(100, 150));
  QTest::mouseRelease(Viewport(), Qt::MiddleButton, Qt::NoModifier, QPoint(100, 150));
  Move(QPoint(100, 120));
  QVERIFY2(WaitForFocusRow(1), qPrintable(QStringLiteral("focus on row %1").arg(Model().FocusedRow())));
  // A left press on a body cell ends panning and moves the focus there as usual.
  const QPoint cell = view_->CellRect(3, 4).center();
  QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, cell);
  QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, cell);
  QVERIFY(!Panning());
  QCOMPARE(Model().FocusedRow(), 4);
  QCOMPARE(Model().FocusedCol(), 3);
}

void GridSizingViewTest::scrollBarsShowOnlyWhileNeeded() {
  QVERIFY(!view_->verticalScrollBar()->isVisible());
  QVERIFY(!view_->horizontalScrollBar()->isVisible());
  Model().SetRowCount(40);
  Model().SetColCount(9);
  QApplication::processEvents();
  QVERIFY(view_->verticalScrollBar()->isVisible());
  QVERIFY(view_->horizontalScrollBar()->isVisible());
  QCOMPARE(view_->verticalScrollBar()->maximum(), 127);
  Model().SetRowCount(11);
  Model().SetColCount(5);
  QApplication::processEvents();
  QVERIFY(!view_->verticalScrollBar()->isVisible());
  QVERIFY(!view_->horizontalScrollBar()->isVisible());
}

void GridSizingViewTest::scrollBarsOnAHugeGrid() {
  Model().SetRowCount(TTableGrid::kMaxCount);
  QApplication::processEvents();
  QScrollBar* bar = view_->verticalScrollBar();
  QVERIFY(bar->isVisible());
  QCOMPARE(bar->minimum(), 0);
  QCOMPARE(bar->maximum(), 127);
  const TGridGeometry geometry(Model(), Viewport()->width(), Viewport()->height());
  const int maxTop = geometry.MaxTopRow();
  const int page = geometry.RowPage();
  const TCellAddress focus{Model().FocusedCol(), Model().FocusedRow()};

  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(Model().TopRow(), 2);
  QCOMPARE(bar->value(), 0);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  QCOMPARE(Model().TopRow(), 2 + page);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  QCOMPARE(Model().TopRow(), maxTop);
  QCOMPARE(bar->value(), 127);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(Model().TopRow(), maxTop);

  // The thumb moves the view only when it is let go.
  bar->setSliderDown(true);
  bar->setSliderPosition(64);
  QCOMPARE(Model().TopRow(), maxTop);
  bar->setSliderDown(false);
  QCOMPARE(Model().TopRow(), 1 + (64LL * (maxTop - 1) + 63) / 127);
  QCOMPARE(bar->value(), 64);

  // Scrolling never moves the focused cell.
  QCOMPARE(Model().FocusedCol(), focus.col);
  QCOMPARE(Model().FocusedRow(), focus.row);
}

void GridSizingViewTest::clickOnAScrollBarGivesTheGridTheFocus() {
  Model().SetRowCount(100);
  QApplication::processEvents();
  QScrollBar* bar = view_->verticalScrollBar();
  QVERIFY(bar->isVisible());
  view_->clearFocus();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 2, bar->height() - 5));
  QVERIFY(view_->hasFocus());
  QCOMPARE(Model().TopRow(), 2);
  QCOMPARE(Model().FocusedRow(), 1);
}

void GridSizingViewTest::cellLinksMoveTheFocus() {
  QCOMPARE(ClickLink(QStringLiteral("cell://r7C3")), QStringList());
  QCOMPARE(Model().FocusedRow(), 7);
  QCOMPARE(Model().FocusedCol(), 3);
  // A row outside the counts moves nothing.
  QCOMPARE(ClickLink(QStringLiteral("CELL://R99C1")), QStringList{QStringLiteral("网格索引越界")});
  QCOMPARE(Model().FocusedRow(), 7);
  // A valid row with a column outside: the row has the focus already.
  QCOMPARE(ClickLink(QStringLiteral("CELL://R4C9")), QStringList{QStringLiteral("网格索引越界")});
  QCOMPARE(Model().FocusedRow(), 4);
  QCOMPARE(Model().FocusedCol(), 3);
}

void GridSizingViewTest::pressOnALinkOnlyFollowsIt() {
  QCOMPARE(ClickLink(QStringLiteral("CELL://R8C4")), QStringList());
  QCOMPARE(Model().FocusedRow(), 8);
  QCOMPARE(Model().FocusedCol(), 4);
  QVERIFY(!view_->EditSession().IsEditing());
  // Beside the link's text the press is an ordinary one.
  const QRect cell = view_->CellRect(1, 3);
  QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(cell.right() - 3, cell.center().y()));
  QCOMPARE(Model().FocusedRow(), 3);
  QCOMPARE(Model().FocusedCol(), 1);
}

void GridSizingViewTest::onlyWebAndMailLinksOpenOutside() {
  QStringList escaped;
  TUrlRecorder recorder({QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                         QStringLiteral("file"), QStringLiteral("x-custom"), QStringLiteral("smb")});
  for (const char* target : {"http://example.com/a", "HTTPS://example.com/", "mailto:someone@example.com",
                             "file:///bin/sh", "x-custom://run?x", "smb://host/share", "/usr/bin/xterm", "calc.exe"})
    escaped += ClickLink(QString::fromUtf8(target));
  QCOMPARE(escaped, QStringList());
  QCOMPARE(recorder.opened.size(), 3);
  QCOMPARE(recorder.opened[0], QUrl("http://example.com/a"));
  QCOMPARE(recorder.opened[2].scheme(), QStringLiteral("mailto"));
  QCOMPARE(Model().FocusedRow(), 1);
}

}  // namespace
}  // namespace metrazil

int main(int argc, char** argv) {
  metrazil::TRecordingApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  metrazil::GridSizingViewTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "GridSizingViewTest.moc"
