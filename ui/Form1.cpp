#include "ui/Form1.h"

#include <unistd.h>

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <array>
#include <functional>

#include "base/Exception.h"
#include "grid/model/TableDesign.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridBlockCommands.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/ReadableColour.h"
#include "grid/view/TableGridView.h"
#include "ui/ArrowKeyGroup.h"
#include "ui/ClickLabel.h"
#include "ui/FindBar.h"
#include "ui/GroupFrame.h"
#include "ui/Guarded.h"
#include "ui/IconPixels.h"
#include "ui/ItemBox.h"
#include "ui/ReadEventPump.h"
#include "ui/ReadableText.h"
#include "ui/ReportException.h"
#include "ui/ShowNotice.h"
#include "ui/TablePage.h"
#include "ui/WebBrowser.h"
#include "ui/WindowPlacement.h"

namespace metrazil {

namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }

template <typename Widget>
Widget* Make(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int left, int top) {
  auto* label = new QLabel(Utf8(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(left, top);
  label->adjustSize();
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                        int height) {
  auto* button = Make<QPushButton>(parent, name, left, top, width, height);
  button->setText(Utf8(caption));
  button->setAutoDefault(false);
  return button;
}

// Pictures rendered at build time: an SVG icon would load the SVG icon engine and probe every image-format
// plugin before the window first shows, and the style's close icon searches the icon themes' folders.
template <std::size_t kSizes>
QIcon BuiltIcon(const unsigned char* pixels, const std::array<int, kSizes>& sizes) {
  QIcon icon;
  for (const int size : sizes) {
    icon.addPixmap(QPixmap::fromImage(QImage(pixels, size, size, QImage::Format_ARGB32_Premultiplied)));
    pixels += static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4;
  }
  return icon;
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    // A dialog frame: X11 window managers drop the minimise and maximise boxes for the dialog window type,
    // while many ignore the motif hints that the button hints alone set. It has no parent, so it keeps its
    // task-bar entry.
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Utf8(kApplicationTitle));
  setWindowIcon(BuiltIcon(kIconPixels, kIconSizes));
  QFont song(Utf8("宋体"));
  song.setPixelSize(12);
  setFont(song);
  setFixedSize(591, 381);
  new TWindowPlacement(this, QPoint(257, 227));

  PageControl1 = Make<QTabWidget>(this, "PageControl1", 0, 0, 591, 337);
  TabSheet1 = new QWidget;
  TabSheet2 = new QWidget;
  TabSheet3 = new QWidget;
  TabSheet4 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
  TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
  PageControl1->addTab(TabSheet1, Utf8("计算"));
  PageControl1->addTab(TabSheet2, Utf8("维护"));
  PageControl1->addTab(TabSheet3, Utf8("通信录"));
  PageControl1->addTab(TabSheet4, Utf8("朋友圈"));
  PageControl1->setCurrentIndex(0);

  BuildCalculationPage();
  BuildTablePages();
  BuildBottomStrip();
  SetTabOrder();
  ConnectHandlers();
  ConnectPageKeysToTabBar();
}

TForm1::~TForm1() { delete Button5; }

void TForm1::BuildCalculationPage() {
  GroupBox1 = Make<TGroupFrame>(TabSheet1, "GroupBox1", 0, 0, 583, 137);
  Label4 = MakeLabel(GroupBox1, "Label4", "类型", 8, 16);
  Label1 = MakeLabel(GroupBox1, "Label1", "选择名称", 8, 48);
  Label5 = MakeLabel(GroupBox1, "Label5", "输入长度", 8, 80);
  Label6 = MakeLabel(GroupBox1, "Label6", "计算结果", 8, 112);
  Label2 = MakeLabel(GroupBox1, "Label2", "", 264, 72);
  Label3 = MakeLabel(GroupBox1, "Label3", "", 264, 104);

  RadioButton1 = Make<QRadioButton>(GroupBox1, "RadioButton1", 72, 16, 89, 17);
  RadioButton1->setText(Utf8("长度换成重量"));
  RadioButton1->setChecked(true);
  RadioButton2 = Make<QRadioButton>(GroupBox1, "RadioButton2", 192, 16, 121, 17);
  RadioButton2->setText(Utf8("重量换成长度"));

  ComboBox1 = Make<QComboBox>(GroupBox1, "ComboBox1", 72, 40, 241, 20);
  ComboBox1->setMaxVisibleItems(8);
  itemBox_ = new TItemBox(ComboBox1);
  Label1->setBuddy(ComboBox1);

  Edit1 = Make<QLineEdit>(GroupBox1, "Edit1", 72, 72, 185, 20);
  Edit1->setText(QStringLiteral("0"));
  Label5->setBuddy(Edit1);
  Button1 = MakeButton(GroupBox1, "Button1", "计算(&J)", 328, 72, 65, 21);
  Edit2 = Make<QLineEdit>(GroupBox1, "Edit2", 72, 104, 185, 20);
  Edit2->setText(QStringLiteral("0"));
  Label6->setBuddy(Edit2);
  // Never shown, only clicked by code: outside the window's widgets, so that assistive tools, which list a
  // window's hidden children too, do not offer it.
  Button5 = MakeButton(nullptr, "Button5", "Button5", 416, 16, 49, 17);
  Button5->setVisible(false);

  Memo1 = Make<QPlainTextEdit>(TabSheet1, "Memo1", 0, 137, 583, 152);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setTabChangesFocus(true);
  Memo1->setAccessibleName(Utf8("计算记录"));

  // The group's controls in tab order; the drop-down list keeps Up and Down for itself.
  new TArrowKeyGroup({ComboBox1, RadioButton1, RadioButton2, Edit1, Button1, Edit2},
                     {RadioButton1, RadioButton2, Button1}, GroupBox1);
}

void TForm1::BuildTablePages() {
  TableGrid1 = Make<TTableGridView>(TabSheet2, "TableGrid1", 0, 0, 583, 265);
  TableGrid1->setAccessibleName(Utf8("换算表"));
  SetDesignState(TableGrid1->Model());
  Button2 = MakeButton(TabSheet2, "Button2", "增加一行", 8, 272, 89, 25);
  Button3 = MakeButton(TabSheet2, "Button3", "删除一行", 112, 272, 81, 25);
  Button6 = MakeButton(TabSheet2, "Button6", "插入一行", 216, 272, 81, 25);
  Button4 = MakeButton(TabSheet2, "Button4", "保存(&S)", 480, 272, 89, 25);

  TableGrid2 = Make<TTableGridView>(TabSheet3, "TableGrid2", 0, 0, 583, 265);
  TableGrid2->setAccessibleName(Utf8("通信录"));
  SetDesignState(TableGrid2->Model());
  // The address book's columns have no fixed meanings: a paste may add some.
  TableGrid2->BlockCommands().SetPasteGrowsColumns(true);
  Button7 = MakeButton(TabSheet3, "Button7", "增加一行", 8, 272, 89, 25);
  Button8 = MakeButton(TabSheet3, "Button8", "删除一行", 112, 272, 81, 25);
  Button9 = MakeButton(TabSheet3, "Button9", "插入一行", 216, 272, 81, 25);
  Button11 = MakeButton(TabSheet3, "Button11", "增加列", 312, 272, 89, 25);
  Button10 = MakeButton(TabSheet3, "Button10", "保存(&S)", 480, 272, 89, 25);

  conversionTable_ = new TTablePage(TableGrid1, TabSheet2, "data.dat", "换算表", 1);
  addressBook_ = new TTablePage(TableGrid2, TabSheet3, "data2.dat", "通信录", 2);

  WebBrowser1 = Make<TWebBrowser>(TabSheet4, "WebBrowser1", 0, 0, 583, 273);
  WebBrowser1->setAccessibleName(Utf8("朋友圈网页"));
}

void TForm1::BuildBottomStrip() {
  Image1 = Make<TClickLabel>(this, "Image1", 0, 344, 129, 25);
  Image1->setPixmap(
      QPixmap::fromImage(QImage(kBannerPixels, kBannerWidth, kBannerHeight, QImage::Format_ARGB32_Premultiplied)));
  Image1->setScaledContents(true);
  Image1->setAccessibleName(Utf8("Metrazil 主页"));

  Label7 = Make<TClickLabel>(this, "Label7", 136, 352, 293, 12);
  Label7->setText(Utf8("www.metrazil.example 长度与重量换算小工具"));
  QFont bold = font();
  bold.setBold(true);
  Label7->setFont(bold);
  // Navy, or on a window it does not read on, the desktop's own link colour.
  KeepReadable(Label7, QPalette::WindowText, QColor(0, 0, 128), QPalette::Link);
  Label7->adjustSize();

  BitBtn1 = MakeButton(this, "BitBtn1", "关闭[&C]", 520, 344, 65, 21);
  FollowPalette(BitBtn1, [this] {
    const QPalette palette = BitBtn1->palette();
    BitBtn1->setIcon(ReadableIcon(BuiltIcon(kCloseGlyphPixels, kCloseGlyphSizes), palette.color(QPalette::Button),
                                  ReadableOn(palette.color(QPalette::ButtonText), palette.color(QPalette::Button))));
  });
}

void TForm1::SetTabOrder() {
  // Each find box comes after its grid, before the page's buttons.
  const QList<QWidget*> chain = {PageControl1, ComboBox1,
                                 RadioButton1, RadioButton2,
                                 Edit1,        Button1,
                                 Edit2,        Memo1,
                                 TableGrid1,   conversionTable_->FindBar().TextBox(),
                                 Button2,      Button3,
                                 Button4,      Button6,
                                 TableGrid2,   addressBook_->FindBar().TextBox(),
                                 Button7,      Button8,
                                 Button9,      Button10,
                                 Button11,     WebBrowser1,
                                 BitBtn1};
  for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void TForm1::ConnectHandlers() {
  auto guard = [this](void (TForm1::*handler)()) { return Guarded([this, handler] { (this->*handler)(); }); };
  connect(Button1, &QPushButton::clicked, this, guard(&TForm1::Button1Click));
  connect(Button5, &QPushButton::clicked, this, guard(&TForm1::Button5Click));
  // A radio button runs the handler only when it becomes checked, and only the checked one is a tab stop.
  for (QRadioButton* radio : {RadioButton1, RadioButton2}) {
    radio->setFocusPolicy(radio->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    connect(radio, &QRadioButton::toggled, radio,
            [radio](bool checked) { radio->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus); });
    connect(radio, &QRadioButton::toggled, this, Guarded([this](bool checked) {
              if (checked) Button5Click();
            }));
  }
  connect(itemBox_, &TItemBox::picked, this, guard(&TForm1::Button5Click));
  connect(Edit1, &QLineEdit::returnPressed, this, Guarded([this] {
            char key = '\r';
            Edit1KeyPress(key);
          }));
  connect(Button2, &QPushButton::clicked, this, guard(&TForm1::Button2Click));
  connect(Button3, &QPushButton::clicked, this, guard(&TForm1::Button3Click));
  connect(Button6, &QPushButton::clicked, this, guard(&TForm1::Button6Click));
  connect(Button4, &QPushButton::clicked, this, guard(&TForm1::Button4Click));
  connect(Button7, &QPushButton::clicked, this, guard(&TForm1::Button7Click));
  connect(Button8, &QPushButton::clicked, this, guard(&TForm1::Button8Click));
  connect(Button9, &QPushButton::clicked, this, guard(&TForm1::Button9Click));
  connect(Button11, &QPushButton::clicked, this, guard(&TForm1::Button11Click));
  connect(Button10, &QPushButton::clicked, this, guard(&TForm1::Button10Click));
  connect(Image1, &TClickLabel::clicked, this, guard(&TForm1::Image1Click));
  connect(Label7, &TClickLabel::clicked, this, guard(&TForm1::Label7Click));
  connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);
}

// ---- Start-up ----

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (phase_ != TPhase::kBuilt) return;
  phase_ = TPhase::kReading;
  // Runs once the window is up, so that the window shows even when the tables fail to load.
  QTimer::singleShot(0, this, [this] {
    Guarded([this] { FormShow(); })();
    const bool closeRequested = phase_ == TPhase::kClosingAfterRead;
    phase_ = TPhase::kRunning;
    if (closeRequested) close();
  });
}

void TForm1::closeEvent(QCloseEvent* event) {
  // The read in progress ends at its next yield; the window closes after it has unwound.
  if (IsReading()) {
    phase_ = TPhase::kClosingAfterRead;
    event->ignore();
    return;
  }
  // Whatever goes wrong on the way (a failed save) is reported and keeps the window open.
  bool close = false;
  Guarded([&] { close = SaveChangesBeforeClosing(); })();
  if (!close) {
    event->ignore();
    return;
  }
  for (TTablePage* page : Pages()) page->DropJournal();
  QWidget::closeEvent(event);
}

void TForm1::PreserveWorkAndExit() {
  // No question may hold up a shutdown: the journals keep the unsaved work for the next start.
  for (TTablePage* page : Pages()) page->KeepWorkForExit();
  ::_exit(0);
}

void TForm1::KeepWork() {
  for (TTablePage* page : Pages()) page->KeepJournal();
}

bool TForm1::SaveChangesBeforeClosing() {
  for (TTablePage* page : Pages()) page->View().EditSession().EndAllEdits();
  for (TTablePage* page : Pages()) {
    if (!page->SaveBeforeClosing()) return false;
  }
  return true;
}

void TForm1::FormShow() {
  TReadEventPump pump([this] { return phase_ == TPhase::kClosingAfterRead; });
  for (TTablePage* page : Pages()) page->PrepareRead();
  const auto cutShort = qScopeGuard([this] {
    for (TTablePage* page : Pages()) page->CutShort();
  });
  try {
    for (TTablePage* page : Pages()) {
      const bool read = page->Read(pump);
      // What killed instances left unsaved comes back before the page takes input.
      page->StartJournal();
      if (!read) continue;
      // The item list and the web page follow a complete read of data.dat only: a list from part of the
      // table would hide the names it lacks.
      if (page == conversionTable_) {
        itemBox_->Fill(TableGrid1->Model(), std::ref(pump));
        WebBrowser1->Navigate(QUrl(QString::fromLatin1(kCommunityPage)));
      }
      page->ShowReadNotice();
    }
  } catch (const EAbort&) {
    // The close that cut the reads short may still be cancelled: the pages it left incomplete journal too.
    for (TTablePage* page : Pages()) {
      if (page->CutShort()) page->StartJournal();
    }
    throw;
  }
}

// ---- Calculation page ----

TDirection TForm1::Direction() const {
  return RadioButton2->isChecked() ? TDirection::WeightToLength : TDirection::LengthToWeight;
}

void TForm1::ShowUnits(const TItemUnits& units) {
  Label2->setText(FromTableBytes(units.quantityUnit));
  Label3->setText(FromTableBytes(units.resultUnit));
  Label2->adjustSize();
  Label3->adjustSize();
}

bool TForm1::HasNameAndQuantity(const QString& name) {
  if (!name.isEmpty() && !Edit1->text().isEmpty()) return true;
  ShowNotice(Utf8(kNoticeMissingInput));
  return false;
}

// The selection goes on with the calculation of the row it found, as a click of Button1 would.
void TForm1::Button5Click() {
  const QString name = ComboBox1->currentText();
  if (name.isEmpty()) return;
  // Any step from here on may end in a notice or an error; only a completed calculation writes a result
  // again, so no figure stays beside a name it does not belong to.
  Edit2->clear();
  const TDirection direction = Direction();
  const int row = FindItemRow(TableGrid1->Model(), ToTableBytes(name));
  // The caption changes even when the name is found nowhere and reading its units fails.
  Label5->setText(Utf8(QuantityCaption(direction)));
  ShowUnits(ReadItemUnits(TableGrid1->Model(), row, direction));
  if (HasNameAndQuantity(name)) Calculate(name, row, direction);
}

void TForm1::Button1Click() {
  Edit2->clear();  // as in the selection: a notice or an error leaves no result
  const QString name = ComboBox1->currentText();
  if (!HasNameAndQuantity(name)) return;
  const TDirection direction = Direction();
  const int row = FindItemRow(TableGrid1->Model(), ToTableBytes(name));
  // The units shown and logged are those of the row calculated with, also for a name the list lacks.
  const TItemUnits units = ReadItemUnits(TableGrid1->Model(), row, direction);
  Label5->setText(Utf8(QuantityCaption(direction)));
  ShowUnits(units);
  Calculate(name, row, direction);
}

void TForm1::Calculate(const QString& name, int row, TDirection direction) {
  // The quantity goes as typed, so a conversion error shows it as typed.
  const TConversion conversion = Convert(TableGrid1->Model(), row, Edit1->text().toStdString(), direction);
  if (conversion.notice) {
    ShowNotice(QString::fromStdString(*conversion.notice));
    return;
  }
  Edit2->setText(QString::fromStdString(conversion.result));
  if (!IsLoggedResult(Edit2->text().toStdString())) return;
  AppendLog(Edit1->text() + Label2->text() + name + Utf8(ResultSuffix(direction)) + Utf8("是") + Edit2->text() +
            Label3->text());
}

void TForm1::Edit1KeyPress(char& key) {
  if (key == '\r') Button1Click();
}

void TForm1::AppendLog(const QString& line) {
  const QString text = Memo1->toPlainText();
  QString piece;
  if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) piece += QLatin1Char('\n');
  piece += line + QLatin1Char('\n');
  QTextCursor cursor = Memo1->textCursor();
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(piece);
  Memo1->setTextCursor(cursor);
  Memo1->ensureCursorVisible();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  // A plain J reaches the window only from controls that take no characters.
  QWidget* focused = focusWidget();
  if (event->key() == Qt::Key_J && event->modifiers() == Qt::NoModifier && focused != nullptr &&
      qobject_cast<QAbstractButton*>(focused) != nullptr && TabSheet1->isAncestorOf(focused)) {
    Button1->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

// ---- Table pages ----

TTablePage* TForm1::CurrentTablePage() const {
  QWidget* sheet = PageControl1->currentWidget();
  if (sheet == TabSheet2) return conversionTable_;
  if (sheet == TabSheet3) return addressBook_;
  return nullptr;
}

void TForm1::ConnectPageKeysToTabBar() {
  for (const TTablePage::TPageKey& key : TTablePage::PageKeys()) {
    auto* shortcut = new QShortcut(key.keys, PageControl1->tabBar(), nullptr, nullptr, Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, this, Guarded([this, action = key.action] {
              if (TTablePage* page = CurrentTablePage()) (page->*action)();
            }));
  }
}

void TForm1::Button2Click() { conversionTable_->AddRow(); }

void TForm1::Button3Click() { conversionTable_->RemoveFocusedRow(); }

void TForm1::Button6Click() { conversionTable_->InsertRowAtFocus(); }

void TForm1::Button4Click() { conversionTable_->Save(); }

void TForm1::Button7Click() { addressBook_->AddRow(); }

void TForm1::Button8Click() { addressBook_->RemoveFocusedRow(); }

void TForm1::Button9Click() { addressBook_->InsertRowAtFocus(); }

void TForm1::Button11Click() { addressBook_->AddColumn(); }

void TForm1::Button10Click() { addressBook_->Save(); }

// ---- Links ----

namespace {

// The banner and the link label open the same page.
void OpenHomePage() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage))); }

}  // namespace

void TForm1::Image1Click() { OpenHomePage(); }

void TForm1::Label7Click() { OpenHomePage(); }

}  // namespace metrazil
