// Every text the window paints reads, at a contrast of 4.5:1 or more against what it is painted on, under the
// light palette and under a dark desktop's, measured in the rendered window; under the light palette the
// design's own colours stay.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "base/ColourContrast.h"
#include "grid/file/TableFileWriter.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridPainter.h"
#include "grid/view/ReadableColour.h"
#include "grid/view/TableGridView.h"
#include "tests/support/DarkPalette.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/TestMain.h"
#include "tests/support/UserInput.h"
#include "ui/ClickLabel.h"
#include "ui/FindBar.h"
#include "ui/WebBrowser.h"

namespace metrazil {

namespace {

// A pixel belongs to the text where it stands out from its row's background at all.
constexpr double kInk = 1.5;

// Each row's background in an area: its most frequent colour.
std::vector<QColor> RowBackgrounds(const QImage& image, const QRect& area) {
  std::vector<QColor> backgrounds;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    std::map<QRgb, int> counts;
    for (int x = area.left(); x <= area.right(); ++x) ++counts[image.pixel(x, y)];
    QRgb most = 0;
    int count = 0;
    for (const auto& [rgb, n] : counts) {
      if (n > count) std::tie(most, count) = std::pair{rgb, n};
    }
    backgrounds.emplace_back(most);
  }
  return backgrounds;
}

// The contrast of the text in an area against what it is drawn on: the text's colour is the pixel that
// stands out most from its row's background, held against the background of every row the text is in (a
// gradient under light text is as readable as its lightest band). 0 when the area shows no text.
double TextContrast(const QImage& image, const QRect& area) {
  const std::vector<QColor> backgrounds = RowBackgrounds(image, area);
  QColor text;
  double strongest = 1;
  std::vector<QColor> inkRows;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const QColor& background = backgrounds[static_cast<std::size_t>(y - area.top())];
    bool ink = false;
    for (int x = area.left(); x <= area.right(); ++x) {
      const double contrast = ContrastRatio(image.pixelColor(x, y), background);
      ink = ink || contrast >= kInk;
      if (contrast > strongest) std::tie(strongest, text) = std::pair{contrast, image.pixelColor(x, y)};
    }
    if (ink) inkRows.push_back(background);
  }
  if (inkRows.empty()) return 0;
  double weakest = 21;
  for (const QColor& background : inkRows) weakest = std::min(weakest, ContrastRatio(text, background));
  return weakest;
}

// The columns of an area from its first run of text on (first = true) up to the first gap of blank columns,
// or those after that run: the icon and the caption of a button.
QRect Run(const QImage& image, const QRect& area, bool first) {
  const std::vector<QColor> backgrounds = RowBackgrounds(image, area);
  auto inkAt = [&](int x) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
      if (ContrastRatio(image.pixelColor(x, y), backgrounds[static_cast<std::size_t>(y - area.top())]) >= kInk)
        return true;
    }
    return false;
  };
  int start = area.left();
  while (start <= area.right() && !inkAt(start)) ++start;
  int end = start;
  while (end <= area.right() && (inkAt(end) || inkAt(end + 1))) ++end;
  // With a few columns of background either side of the run.
  return first ? QRect(QPoint(std::max(area.left(), start - 3), area.top()), QPoint(end + 2, area.bottom()))
               : QRect(QPoint(end + 1, area.top()), area.bottomRight());
}

}  // namespace

class ContrastTest : public TFormTestBase {
  Q_OBJECT

  // A text the window paints: on which page, and where in the window.
  struct TText {
    const char* name;
    int page;
    std::function<QRect()> area;
  };

  QRect In(QWidget* widget, const QRect& rect) const {
    return QRect(widget->mapTo(form_.get(), rect.topLeft()), rect.size());
  }
  QRect Of(QWidget* widget, int margin = 0) const {
    return In(widget, widget->rect().adjusted(margin, margin, -margin, -margin));
  }
  QRect Cell(TTableGridView* grid, int col, int row) const {
    // Inside the grid lines and the focus rectangle.
    return In(grid->viewport(), grid->CellRect(col, row).adjusted(1, 1, -2, -2));
  }
  TFindBar* Bar() const { return form_->findChild<TFindBar*>(QStringLiteral("FindBar1")); }

  std::vector<TText> Texts() const {
    TTableGridView* grid = form_->TableGrid1;
    QPushButton* close = form_->BitBtn1;
    return {
        {"tab caption", 0,
         [this] { return In(form_->PageControl1->tabBar(), form_->PageControl1->tabBar()->tabRect(1)); }},
        {"label", 0, [this] { return Of(form_->Label1).adjusted(-4, -2, 4, 2); }},
        {"radio button caption", 0, [this] { return Of(form_->RadioButton1).adjusted(18, 0, 0, 0); }},
        {"quantity box", 0, [this] { return Of(form_->Edit1, 3); }},
        {"button caption", 0, [this] { return Of(form_->Button1, 3); }},
        {"log", 0, [this] { return Of(form_->Memo1, 3).adjusted(0, 0, 0, -120); }},
        {"link caption", 0, [this] { return Of(form_->Label7).adjusted(-4, -3, 90, 3); }},
        {"close button glyph", 0, [this, close] { return Run(shot_, Of(close, 3), true); }},
        {"close button caption", 0, [this, close] { return Run(shot_, Of(close, 3), false); }},
        {"header caption", 1, [this, grid] { return Cell(grid, 1, 0); }},
        {"body cell", 1, [this, grid] { return Cell(grid, 1, 2); }},
        {"selected cell", 1, [this, grid] { return Cell(grid, 0, 1); }},
        {"link in a cell", 1, [this, grid] { return Cell(grid, 2, 2); }},
        {"find box, nothing found", 1, [this] { return Of(Bar()->TextBox(), 3).adjusted(0, 0, -100, 0); }},
        {"status line", 2, [this] { return Of(form_->findChild<QLabel*>(QStringLiteral("StatusLine2"))); }},
        {"web page's link", 3, [this] { return Of(form_->findChild<QLabel*>(QStringLiteral("FallbackLink"))); }},
    };
  }

  // A new palette reaches a window's widgets one after the other; colours that follow it settle after.
  static void Settle() { QTest::qWait(100); }

  // Each text's contrast as rendered under the application's palette now.
  void CheckEveryText(const char* palette) {
    Settle();
    QStringList unreadable;
    int shown = -1;
    for (const TText& text : Texts()) {
      if (text.page != shown) {
        shown = text.page;
        form_->PageControl1->setCurrentIndex(shown);
        QCoreApplication::processEvents();
        shot_ = form_->grab().toImage().convertToFormat(QImage::Format_RGB32);
      }
      const double contrast = TextContrast(shot_, text.area());
      if (contrast < kMinTextContrast)
        unreadable << QStringLiteral("%1 %2:1").arg(QLatin1String(text.name)).arg(contrast);
    }
    QVERIFY2(unreadable.isEmpty(), qPrintable(QLatin1String(palette) + QStringLiteral(": ") + unreadable.join(", ")));
  }

  // Under the light palette, the colours the design gives.
  void CheckDesignColours() {
    Settle();
    QCOMPARE(form_->Label7->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("StatusLine2"))->palette().color(QPalette::WindowText),
             QColor(160, 0, 0));
    QCOMPARE(Bar()->TextBox()->palette().color(QPalette::Base), QColor(255, 204, 204));
    const TGridStyle& style = form_->TableGrid1->Style();
    QCOMPARE(style.headerTopColor, QColor(Qt::white));
    QCOMPARE(style.headerTextColor, style.textColor);
    const QIcon standard = form_->BitBtn1->style()->standardIcon(QStyle::SP_DialogCloseButton);
    QCOMPARE(form_->BitBtn1->icon().pixmap(16).toImage(), standard.pixmap(16).toImage());
  }

  QImage shot_;
  QPalette light_;

 private slots:
  void initTestCase() {
    // The web page shows its link, as where the web engine cannot start.
    TWebBrowser::SetNavigator({});
    qputenv("QTWEBENGINEPROCESS_PATH", "/nonexistent");
    light_ = QApplication::palette();
  }

  void init() {
    MakeProgramDirectory();
    // A table with a header, a body cell, a link; an address book that cannot be read, so its page says why.
    TTableGrid table;
    table.WriteCell(0, 0, ToTableBytes(QString::fromUtf8("名称")));
    table.WriteCell(1, 0, ToTableBytes(QString::fromUtf8("长度")));
    table.WriteCell(0, 1, ToTableBytes(QString::fromUtf8("圆钢")));
    table.WriteCell(1, 2, "12.5");
    table.WriteCell(2, 2, "<A HREF=\"https://www.metrazil.example/\">GB/T</A>");
    WriteTableFile(table, Path("data.dat").toStdString());
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("data2.dat")));
  }

  void cleanup() {
    QApplication::setPalette(light_);
    TakeErrors();  // the address book's read error
    CloseForm();
  }

  void everyTextReadsUnderBothPalettes_data() {
    QTest::addColumn<bool>("darkFirst");
    QTest::newRow("started on a dark desktop") << true;
    QTest::newRow("the desktop switching to dark and back") << false;
  }
  void everyTextReadsUnderBothPalettes() {
    QFETCH(bool, darkFirst);
    if (darkFirst) QApplication::setPalette(DarkPalette());
    ShowForm();
    form_->PageControl1->setCurrentIndex(1);
    form_->TableGrid1->setFocus();
    Key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(Bar()->TextBox(), QStringLiteral("zzz"));
    QTRY_VERIFY(Bar()->ShowsNoMatch());
    form_->TableGrid1->setFocus();            // no text cursor in the box
    form_->PageControl1->setCurrentIndex(3);  // asks for the web page
    form_->Memo1->setPlainText(QString::fromUtf8("100米圆钢的重量是61.700000公斤"));

    if (darkFirst) {
      CheckEveryText("dark");
      QApplication::setPalette(light_);
      CheckDesignColours();
      CheckEveryText("light");
    } else {
      CheckDesignColours();
      CheckEveryText("light");
      QApplication::setPalette(DarkPalette());
      CheckEveryText("dark");
      QApplication::setPalette(light_);
      CheckDesignColours();
    }
  }
};

}  // namespace metrazil

METRAZIL_TEST_MAIN(metrazil::ContrastTest)
#include "ContrastTest.moc"
