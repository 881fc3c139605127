#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <memory>

#include "grid/layout/GridGeometry.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridSizing.h"
#include "grid/view/TableGridView.h"

namespace metrazil {
namespace {

// Remembers the addresses the desktop would have opened.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

class GridSizingViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = std::make_unique<TTableGridView>();
    TTableGrid& model = Model();
    // The form's settings: one header row, no header column, 10 body rows of 21 pixels, 5 columns of 64.
    model.SetFixedCols(0);
    model.SetRowCount(11);
    model.SetFocusedCell(0, 1);
    view_->resize(420, 300);
    view_->show();
    view_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view_.get()));
    view_->setFocus();
    QApplication::processEvents();
  }

  TTableGrid& Model() { return view_->Model(); }
  QWidget* Viewport() { return view_->viewport(); }
  QRect Header(int col) { return view_->CellRect(col, 0); }
  // The x of a column's border: its left edge plus its width.
  int Border(int col) { return Header(col).left() + Header(col).width(); }

  void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint pos = target->rect().center();
    QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
  }

  int FittedWidth(int col) {
    // Widest first line of the column in its row's font, plus 10 (see FitColumn).
    int widest = 0;
    for (int row = 0; row < Model().RowCount(); ++row) {
      const QFontMetrics metrics(row == 0 ? view_->HeaderFont() : view_->BodyFont());
      QString text = QString::fromUtf8(Model().ReadCell(col, row));
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

TEST_F(GridSizingViewTest, DoubleClickNearABorderFitsTheColumn) {
  Model().WriteCell(1, 0, "Name");
  Model().WriteCell(1, 3, "a much longer first line\r\nand a second line longer than all the rest of them");
  Model().WriteCell(1, 5, "short");
  Model().WriteCell(4, 2, "x");
  const int fitted1 = FittedWidth(1);
  ASSERT_GT(fitted1, 64);

  // Exactly on the grid line between the headers of columns 1 and 2: column 1.
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Border(1) - 1, 10));
  EXPECT_EQ(Model().ColWidth(1), fitted1);
  EXPECT_EQ(Model().ColWidth(2), 64);

  // Just inside column 2, left of its left border: still column 1; the texts did not change, neither does it.
  Model().SetColWidth(1, 30);
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Header(2).left() + 2, 10));
  EXPECT_EQ(Model().ColWidth(1), fitted1);

  // Just right of the last column's border, in the empty area: the last column.
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Border(4) + 1, 10));
  EXPECT_EQ(Model().ColWidth(4), 10 + QFontMetrics(view_->BodyFont()).horizontalAdvance("x"));

  // The middle of a header and a body cell fit nothing.
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Header(3).center().x(), 10));
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Border(2) - 1, 40));
  EXPECT_EQ(Model().ColWidth(2), 64);
  EXPECT_EQ(Model().ColWidth(3), 64);
}

TEST_F(GridSizingViewTest, FitColumnOfEmptyTextsAndZoomedFonts) {
  view_->Sizing().FitColumn(0);
  EXPECT_EQ(Model().ColWidth(0), 10);
  EXPECT_THROW(view_->Sizing().FitColumn(5), EListError);
  Model().WriteCell(0, 4, "WWWWWWWW");
  view_->Sizing().FitColumn(0);
  const int unzoomed = Model().ColWidth(0);
  EXPECT_EQ(unzoomed, FittedWidth(0));
  // The fonts grow with the zoom level, and so does the fitted width.
  view_->Sizing().ZoomBy(3);
  view_->Sizing().FitColumn(0);
  EXPECT_EQ(Model().ColWidth(0), FittedWidth(0));
  EXPECT_GT(Model().ColWidth(0), unzoomed);
}

TEST_F(GridSizingViewTest, DraggingABorder) {
  struct Case {
    const char* name;
    int releaseX;  // relative to column 1's left edge, or absolute past the right edge
    bool outside;
    int expected;
  };
  const Case cases[] = {
      {"wider", 100, false, 100},
      {"to 2 pixels", 2, false, 2},
      {"to 1 pixel changes nothing", 1, false, 64},
      {"left of the column changes nothing", -20, false, 64},
      {"released outside on the right is abandoned", 0, true, 64},
  };
  for (const auto& c : cases) {
    Model().SetColWidth(1, 64);
    const int left = Header(1).left();
    const QPoint press(Border(1) - 1, 8);  // on the grid line, 1 pixel left of the border
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, press);
    const int x = c.outside ? Viewport()->width() + 5 : left + c.releaseX - 1;
    Move(QPoint(x, 8), Qt::LeftButton);
    EXPECT_TRUE(view_->Sizing().isSizing()) << c.name;
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 8));
    EXPECT_FALSE(view_->Sizing().isSizing()) << c.name;
    EXPECT_EQ(Model().ColWidth(1), c.expected) << c.name;
  }
  // The split cursor shows over a sizing zone only, and only in the header row.
  Move(QPoint(Border(2) + 4, 8));
  EXPECT_EQ(Viewport()->cursor().shape(), Qt::SplitHCursor);
  Move(QPoint(Border(2) + 5, 8));
  EXPECT_EQ(Viewport()->cursor().shape(), Qt::ArrowCursor);
  Move(QPoint(Border(2), 30));
  EXPECT_EQ(Viewport()->cursor().shape(), Qt::ArrowCursor);
  // A press in a header away from any border sizes nothing.
  QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Header(2).center().x(), 8));
  EXPECT_FALSE(view_->Sizing().isSizing());
  QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Header(2).center().x(), 8));
}

TEST_F(GridSizingViewTest, TheSizingLineInvertsThePixelsUnderIt) {
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
  EXPECT_EQ(qRed(now), 255 - qRed(was));
  EXPECT_EQ(qGreen(now), 255 - qGreen(was));
  EXPECT_EQ(qBlue(now), 255 - qBlue(was));
  EXPECT_EQ(during.pixel(lineX + 1, y), before.pixel(lineX + 1, y));
  EXPECT_EQ(view_->grab().toImage().pixel(lineX, y), was);
}

TEST_F(GridSizingViewTest, WheelMovesTheFocusStepRowsPlusOne) {
  ASSERT_EQ(view_->Sizing().wheelStep(), 3);
  Wheel(Viewport(), -120);  // towards the user
  EXPECT_EQ(Model().FocusedRow(), 5);
  Model().SetFocusedCell(2, 9);
  Wheel(Viewport(), -120);
  EXPECT_EQ(Model().FocusedRow(), 10);
  EXPECT_EQ(Model().FocusedCol(), 2);
  Wheel(Viewport(), 120);
  EXPECT_EQ(Model().FocusedRow(), 6);
  Wheel(Viewport(), 120);
  EXPECT_EQ(Model().FocusedRow(), 2);
  Wheel(Viewport(), 120);
  EXPECT_EQ(Model().FocusedRow(), 1);
  // A touchpad's fractions of a notch move once they add up to a whole one.
  Wheel(Viewport(), -50);
  Wheel(Viewport(), -50);
  EXPECT_EQ(Model().FocusedRow(), 1);
  Wheel(Viewport(), -20);
  EXPECT_EQ(Model().FocusedRow(), 5);
}

TEST_F(GridSizingViewTest, CtrlWheelZoomsWithinTen) {
  Model().SetColWidth(3, 2);
  Wheel(Viewport(), -120, Qt::ControlModifier);
  Wheel(Viewport(), -120, Qt::ControlModifier);
  Wheel(Viewport(), -120, Qt::ControlModifier);
  EXPECT_EQ(view_->ZoomLevel(), 9);
  EXPECT_EQ(Model().ColWidth(0), 73);
  EXPECT_EQ(Model().ColWidth(3), 11);
  EXPECT_EQ(Model().RowHeight(5), 30);
  EXPECT_EQ(Model().FocusedRow(), 4);
  Wheel(Viewport(), -120, Qt::ControlModifier);  // 12 would be beyond 10
  EXPECT_EQ(view_->ZoomLevel(), 9);
  EXPECT_EQ(Model().ColWidth(0), 73);
  EXPECT_EQ(Model().FocusedRow(), 5);
  // Away from the user: sizes shrink only where they stay above 0.
  for (int i = 0; i < 6; ++i) Wheel(Viewport(), 120, Qt::ControlModifier);
  EXPECT_EQ(view_->ZoomLevel(), -9);
  EXPECT_EQ(Model().ColWidth(0), 55);
  EXPECT_EQ(Model().ColWidth(3), 2);
  EXPECT_EQ(Model().RowHeight(5), 12);
  EXPECT_EQ(Model().FocusedRow(), 1);
}

TEST_F(GridSizingViewTest, NotchInTheEditorCommitsAndMovesOneRow) {
  Model().WriteCell(0, 1, "old");
  QTest::keyClick(view_.get(), Qt::Key_F2);
  ASSERT_TRUE(view_->IsEditing());
  QTest::keyClicks(QApplication::focusWidget(), "er");
  // The editor's text area, where the pointer is, gets the notch first.
  Wheel(view_->Editor()->viewport(), -120);
  EXPECT_FALSE(view_->IsEditing());
  EXPECT_EQ(Model().ReadCell(0, 1), "older");
  EXPECT_EQ(Model().FocusedRow(), 2);
}

TEST_F(GridSizingViewTest, WheelWithoutTheKeyboardFocusMovesNothing) {
  view_->clearFocus();
  QApplication::processEvents();
  Wheel(Viewport(), -120);
  EXPECT_EQ(Model().FocusedRow(), 1);
}

TEST_F(GridSizingViewTest, MiddleButtonPansDownToTheLastRowUntilAKey) {
  const QPoint press(100, 100);
  QTest::mousePress(Viewport(), Qt::MiddleButton, Qt::NoModifier, press);
  QTest::mouseRelease(Viewport(), Qt::MiddleButton, Qt::NoModifier, press);
  ASSERT_TRUE(view_->Sizing().isPanning());
  EXPECT_EQ(QWidget::mouseGrabber(), Viewport());
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  // Within 5 pixels nothing moves.
  Move(press + QPoint(30, 5));
  QTest::qWait(50);
  EXPECT_EQ(Model().FocusedRow(), 1);
  Move(press + QPoint(0, 20));
  EXPECT_TRUE(WaitForFocusRow(10));
  QTest::qWait(30);
  EXPECT_EQ(Model().FocusedRow(), 10);
  EXPECT_TRUE(view_->Sizing().isPanning());
  // The key ends panning and then has its own effect.
  QTest::keyClick(view_.get(), Qt::Key_Up);
  EXPECT_FALSE(view_->Sizing().isPanning());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Model().FocusedRow(), 9);
  QTest::qWait(30);
  EXPECT_EQ(Model().FocusedRow(), 9);
}

TEST_F(GridSizingViewTest, PanningUpAndEndedByAPress) {
  Model().SetFocusedCell(1, 8);
  QTest::mousePress(Viewport(), Qt::MiddleButton, Qt::NoModifier, QPoint(100, 150));
  QTest::mouseRelease(Viewport(), Qt::MiddleButton, Qt::NoModifier, QPoint(100, 150));
  Move(QPoint(100, 120));
  ASSERT_TRUE(WaitForFocusRow(1)) << Model().FocusedRow();
  // A left press on a body cell ends panning and moves the focus there as usual.
  const QPoint cell = view_->CellRect(3, 4).center();
  QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, cell);
  QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, cell);
  EXPECT_FALSE(view_->Sizing().isPanning());
  EXPECT_EQ(Model().FocusedRow(), 4);
  EXPECT_EQ(Model().FocusedCol(), 3);
}

TEST_F(GridSizingViewTest, ScrollBarsShowOnlyWhileNeeded) {
  EXPECT_FALSE(view_->verticalScrollBar()->isVisible());
  EXPECT_FALSE(view_->horizontalScrollBar()->isVisible());
  Model().SetRowCount(40);
  Model().SetColCount(9);
  QApplication::processEvents();
  EXPECT_TRUE(view_->verticalScrollBar()->isVisible());
  EXPECT_TRUE(view_->horizontalScrollBar()->isVisible());
  EXPECT_EQ(view_->verticalScrollBar()->maximum(), 127);
  Model().SetRowCount(11);
  Model().SetColCount(5);
  QApplication::processEvents();
  EXPECT_FALSE(view_->verticalScrollBar()->isVisible());
  EXPECT_FALSE(view_->horizontalScrollBar()->isVisible());
}

TEST_F(GridSizingViewTest, ScrollBarsOnAHugeGrid) {
  Model().SetRowCount(TTableGrid::kMaxCount);
  QApplication::processEvents();
  QScrollBar* bar = view_->verticalScrollBar();
  ASSERT_TRUE(bar->isVisible());
  ASSERT_EQ(bar->minimum(), 0);
  ASSERT_EQ(bar->maximum(), 127);
  const GridGeometry geometry(Model(), Viewport()->width(), Viewport()->height());
  const int maxTop = geometry.MaxTopRow();
  const int page = geometry.RowPage();
  const CellAddress focus{Model().FocusedCol(), Model().FocusedRow()};

  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Model().TopRow(), 2);
  EXPECT_EQ(bar->value(), 0);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Model().TopRow(), 2 + page);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(Model().TopRow(), maxTop);
  EXPECT_EQ(bar->value(), 127);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Model().TopRow(), maxTop);

  // The thumb moves the view only when it is let go.
  bar->setSliderDown(true);
  bar->setSliderPosition(64);
  EXPECT_EQ(Model().TopRow(), maxTop);
  bar->setSliderDown(false);
  EXPECT_EQ(Model().TopRow(), 1 + (64LL * (maxTop - 1) + 63) / 127);
  EXPECT_EQ(bar->value(), 64);

  // Scrolling never moves the focused cell.
  EXPECT_EQ(Model().FocusedCol(), focus.col);
  EXPECT_EQ(Model().FocusedRow(), focus.row);
}

TEST_F(GridSizingViewTest, ClickOnAScrollBarGivesTheGridTheFocus) {
  Model().SetRowCount(100);
  QApplication::processEvents();
  QScrollBar* bar = view_->verticalScrollBar();
  ASSERT_TRUE(bar->isVisible());
  view_->clearFocus();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 2, bar->height() - 5));
  EXPECT_TRUE(view_->hasFocus());
  EXPECT_EQ(Model().TopRow(), 2);
  EXPECT_EQ(Model().FocusedRow(), 1);
}

TEST_F(GridSizingViewTest, CellLinksMoveTheFocus) {
  view_->Sizing().FollowLink(QStringLiteral("cell://r7C3"));
  EXPECT_EQ(Model().FocusedRow(), 7);
  EXPECT_EQ(Model().FocusedCol(), 3);
  // A row outside the counts moves nothing.
  try {
    view_->Sizing().FollowLink(QStringLiteral("CELL://R99C1"));
    ADD_FAILURE() << "no error";
  } catch (const EInvalidGridOperation& e) {
    EXPECT_STREQ(e.what(), "网格索引越界");
  }
  EXPECT_EQ(Model().FocusedRow(), 7);
  // A valid row with a column outside: the row has the focus already.
  EXPECT_THROW(view_->Sizing().FollowLink(QStringLiteral("CELL://R4C9")), EInvalidGridOperation);
  EXPECT_EQ(Model().FocusedRow(), 4);
  EXPECT_EQ(Model().FocusedCol(), 3);
}

TEST_F(GridSizingViewTest, PressOnALinkOnlyFollowsIt) {
  Model().WriteCell(1, 3, "<a href=\"CELL://R8C4\">go</a>");
  Model().SetFocusedCell(0, 1);
  // The link's text starts at the cell's text rectangle; a few pixels in hits it.
  const QRect cell = view_->CellRect(1, 3);
  QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, cell.topLeft() + QPoint(5, cell.height() / 2));
  EXPECT_EQ(Model().FocusedRow(), 8);
  EXPECT_EQ(Model().FocusedCol(), 4);
  EXPECT_FALSE(view_->IsEditing());
  // Beside the link's text the press is an ordinary one.
  QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(cell.right() - 3, cell.center().y()));
  EXPECT_EQ(Model().FocusedRow(), 3);
  EXPECT_EQ(Model().FocusedCol(), 1);
}

TEST_F(GridSizingViewTest, OnlyWebAndMailLinksOpenOutside) {
  UrlRecorder recorder;
  for (const char* scheme : {"http", "https", "mailto", "file", "x-custom", "smb"})
    QDesktopServices::setUrlHandler(scheme, &recorder, "open");
  for (const char* target : {"http://example.com/a", "HTTPS://example.com/", "mailto:someone@example.com",
                             "file:///bin/sh", "x-custom://run?x", "smb://host/share", "/usr/bin/xterm", "calc.exe"})
    view_->Sizing().FollowLink(QString::fromUtf8(target));
  for (const char* scheme : {"http", "https", "mailto", "file", "x-custom", "smb"})
    QDesktopServices::unsetUrlHandler(scheme);
  ASSERT_EQ(recorder.opened.size(), 3);
  EXPECT_EQ(recorder.opened[0], QUrl("http://example.com/a"));
  EXPECT_EQ(recorder.opened[2].scheme(), "mailto");
  EXPECT_EQ(Model().FocusedRow(), 1);
}

}  // namespace
}  // namespace metrazil

#include "GridSizingViewTest.moc"
