#include "ui/Form1.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <system_error>
#include <vector>

#include "base/Exception.h"
#include "base/TableDirectory.h"
#include "grid/file/SavePlace.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/GridUndoStack.h"
#include "grid/model/TableDesign.h"
#include "grid/view/BusyYield.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridBlockCommands.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/TableGridView.h"
#include "ui/ClickLabel.h"
#include "ui/DialogFocus.h"
#include "ui/FindBar.h"
#include "ui/GroupFrame.h"
#include "ui/Guarded.h"
#include "ui/IconPixels.h"
#include "ui/ItemListModel.h"
#include "ui/NoticeForm.h"
#include "ui/ReportException.h"
#include "ui/WebBrowser.h"

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

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// Lets window messages through while a table loads, every few milliseconds. The read calls it every few
// thousand lines, so asking the clock costs nothing; the grid being read announces its layout and is
// repainted once per pass, not per line, and holds its update open throughout.
class TReadYield {
 public:
  explicit TReadYield(const bool& abort) : abort_(abort) {}
  void Reading(TTableGridView* view) { view_ = view; }
  void operator()() {
    if (std::chrono::steady_clock::now() - last_ < std::chrono::milliseconds(5)) return;
    if (view_ != nullptr) {
      view_->Model().FlushPendingLayout();
      view_->viewport()->update();
    }
    QCoreApplication::processEvents();
    last_ = std::chrono::steady_clock::now();
    if (abort_) throw EAbort();
  }

 private:
  const bool& abort_;
  TTableGridView* view_ = nullptr;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// Reads a table file into a view's grid with its layout changes held back between passes of the yield.
TTableReadReport ReadTable(TTableGridView& view, const std::string& path, TReadYield& yield) {
  const TTableGrid::TUpdateGuard update(view.Model());
  // The steps of the table read over no longer fit it.
  view.UndoStack().Clear();
  yield.Reading(&view);
  TTableReadReport report = ReadTableFile(view.Model(), path, std::ref(yield));
  yield.Reading(nullptr);
  view.viewport()->update();
  return report;
}

// The notice after a read that a save would not give back as the file was; empty for any other read.
QString ReadNotice(const char* fileName, const TTableReadReport& report) {
  const bool utf8 = report.encoding == TTableReadReport::TEncoding::kUtf8;
  if (!utf8 && report.total == 0) return {};
  const QString name = Utf8(fileName);
  QString text = name + (utf8 ? Utf8(" 按 UTF-8 编码读入，") : Utf8(" "));
  if (report.total > 0) text += Utf8("有 %1 行未能读入，").arg(report.total);
  text += utf8 ? Utf8("首次保存时将存为 GB18030，原文件保留为 ") : Utf8("首次保存时旧文件将保留为 ");
  return text + name + Utf8(".bak");
}

struct TAnswer {
  const char* caption;
  QMessageBox::ButtonRole role;
};

// A modal question; Esc gives the last answer. Returns the index of the answer given.
std::size_t Ask(QWidget* parent, const QString& question, std::initializer_list<TAnswer> answers,
                std::size_t defaultAnswer) {
  ReleaseMouseGrab();
  const TDialogFocusKeeper keeper;
  QMessageBox box(QMessageBox::Question, Utf8(kApplicationTitle), question, QMessageBox::NoButton, parent);
  std::vector<QPushButton*> buttons;
  for (const TAnswer& answer : answers) buttons.push_back(box.addButton(Utf8(answer.caption), answer.role));
  box.setDefaultButton(buttons[defaultAnswer]);
  box.setEscapeButton(buttons.back());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  const auto clicked = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return clicked == buttons.end() ? buttons.size() - 1 : static_cast<std::size_t>(clicked - buttons.begin());
}

enum class TSaveAnswer { kSave, kDontSave, kCancel };

// The question before closing over a table with unsaved changes.
TSaveAnswer AskToSave(QWidget* parent, const QString& question) {
  constexpr TSaveAnswer kAnswers[] = {TSaveAnswer::kSave, TSaveAnswer::kDontSave, TSaveAnswer::kCancel};
  return kAnswers[Ask(parent, question,
                      {{"保存(&S)", QMessageBox::AcceptRole},
                       {"不保存(&N)", QMessageBox::DestructiveRole},
                       {"取消", QMessageBox::RejectRole}},
                      0)];
}

// A question before a save that could destroy what the user never saw; 取消, the default, keeps the file.
bool ConfirmReplace(QWidget* parent, const QString& question, const char* proceed) {
  return Ask(parent, question, {{proceed, QMessageBox::AcceptRole}, {"取消", QMessageBox::RejectRole}}, 1) == 0;
}

// The room of a table page: the grid above the buttons, shorter while the status line shows between them.
constexpr int kGridHeight = 265;
constexpr int kStatusLineHeight = 18;

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
  move(257, 227);

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
  BuildFindBars();
  ConnectHandlers();
  for (TTablePage& page : pages_) page.saved.Mark(page.view->Model(), page.Path());
}

TForm1::~TForm1() = default;

std::string TForm1::TTablePage::Path() const { return TableDirectory() + fileName; }

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
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->setCompleter(nullptr);  // completion is ours: it selects the item and runs the handler
  ComboBox1->setMaxVisibleItems(8);
  // A list of a million names: no per-item objects, and neither the box nor its list measures every item.
  itemList_ = new TItemListModel(ComboBox1);
  ComboBox1->setModel(itemList_);
  ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  if (auto* list = qobject_cast<QListView*>(ComboBox1->view())) list->setUniformItemSizes(true);
  ComboBox1->view()->installEventFilter(this);
  ComboBox1->setCurrentIndex(-1);
  Label1->setBuddy(ComboBox1);

  Edit1 = Make<QLineEdit>(GroupBox1, "Edit1", 72, 72, 185, 20);
  Edit1->setText(QStringLiteral("0"));
  Label5->setBuddy(Edit1);
  Button1 = MakeButton(GroupBox1, "Button1", "计算(&J)", 328, 72, 65, 21);
  Edit2 = Make<QLineEdit>(GroupBox1, "Edit2", 72, 104, 185, 20);
  Edit2->setText(QStringLiteral("0"));
  Label6->setBuddy(Edit2);
  Button5 = MakeButton(GroupBox1, "Button5", "Button5", 416, 16, 49, 17);
  Button5->setVisible(false);

  Memo1 = Make<QPlainTextEdit>(TabSheet1, "Memo1", 0, 137, 583, 152);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setTabChangesFocus(true);
  Memo1->setAccessibleName(Utf8("计算记录"));

  for (QWidget* arrowTarget :
       {static_cast<QWidget*>(RadioButton1), static_cast<QWidget*>(RadioButton2), static_cast<QWidget*>(Button1)}) {
    arrowTarget->installEventFilter(this);
  }
  ComboBox1->installEventFilter(this);
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

  pages_[kConversionTable] = {.view = TableGrid1, .sheet = TabSheet2, .fileName = "data.dat", .tableName = "换算表"};
  pages_[kAddressBook] = {.view = TableGrid2, .sheet = TabSheet3, .fileName = "data2.dat", .tableName = "通信录"};
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    TTablePage& page = pages_[i];
    page.statusLine = new QLabel(page.sheet);
    page.statusLine->setObjectName(QStringLiteral("StatusLine%1").arg(i + 1));
    page.statusLine->setGeometry(8, kGridHeight - kStatusLineHeight + 4, 567, kStatusLineHeight);
    page.statusLine->setTextFormat(Qt::PlainText);
    QPalette warning = page.statusLine->palette();
    warning.setColor(QPalette::WindowText, QColor(160, 0, 0));
    page.statusLine->setPalette(warning);
    page.statusLine->hide();
  }

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
  QPalette navy = Label7->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  Label7->setPalette(navy);
  Label7->adjustSize();

  BitBtn1 = MakeButton(this, "BitBtn1", "关闭[&C]", 520, 344, 65, 21);
  BitBtn1->setIcon(BuiltIcon(kCloseGlyphPixels, kCloseGlyphSizes));
}

void TForm1::SetTabOrder() {
  const QList<QWidget*> chain = {PageControl1, ComboBox1, RadioButton1, RadioButton2, Edit1,   Button1,
                                 Edit2,        Button5,   Memo1,        TableGrid1,   Button2, Button3,
                                 Button4,      Button6,   TableGrid2,   Button7,      Button8, Button9,
                                 Button10,     Button11,  WebBrowser1,  BitBtn1};
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
  connect(ComboBox1, &QComboBox::activated, this, Guarded([this](int index) { ComboBox1Activated(index); }));
  connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
          Guarded([this](const QString& text) { ComboBox1Edited(text); }));
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
  if (shown_) return;
  shown_ = true;
  // Runs once the window is up, so that the window shows even when the tables fail to load.
  QTimer::singleShot(0, this, [this] {
    Guarded([this] { FormShow(); })();
    if (closeRequested_) close();
  });
}

void TForm1::closeEvent(QCloseEvent* event) {
  // The read in progress ends at its next yield; the window closes after it has unwound.
  if (reading_) {
    closeRequested_ = true;
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
  QWidget::closeEvent(event);
}

bool TForm1::SaveChangesBeforeClosing() {
  for (TTablePage& page : pages_) page.view->EditSession().EndEdits();
  for (TTablePage& page : pages_) {
    if (!page.saved.Changed(page.view->Model())) continue;
    const bool replaced = page.saved.ReplacedOnDisk(page.view->Model(), page.Path());
    QString question = Utf8(page.tableName) + Utf8("有未保存的修改，");
    if (replaced) question += Utf8("且 ") + Utf8(page.fileName) + Utf8(" 在读入后已被其他程序修改，");
    question += Utf8("是否保存？");
    switch (AskToSave(this, question)) {
      case TSaveAnswer::kSave:
        if (!SaveTable(page, replaced)) return false;
        break;
      case TSaveAnswer::kDontSave:
        break;
      case TSaveAnswer::kCancel:
        return false;
    }
  }
  return true;
}

void TForm1::FormShow() {
  const QScopedValueRollback<bool> reading(reading_, true);
  TReadYield yield(closeRequested_);
  for (TTablePage& page : pages_) {
    const std::string path = page.Path();
    RemoveStaleTemporaries(path);
    // A missing file is no error: the page keeps its design state, which a save creates the file from.
    SetTableState(page, FileExists(path) ? TTableState::kReading : TTableState::kRead);
    if (page.state == TTableState::kRead) page.saved.Mark(page.view->Model(), path);
  }
  // A read ended by closing the window leaves its page, and those still waiting, incomplete.
  const auto cutShort = qScopeGuard([this] {
    for (TTablePage& page : pages_) {
      if (page.state != TTableState::kReading) continue;
      SetTableState(page, TTableState::kIncomplete);
      page.saved.Mark(page.view->Model(), page.Path());
    }
  });
  for (TTablePage& page : pages_) {
    if (page.state != TTableState::kReading) continue;
    const std::string path = page.Path();
    // Each table is read on its own: a failure is reported and the other table is still read. Whatever a
    // read left in a grid is what closing compares with, marked before the page takes input again.
    TTableReadReport report;
    try {
      report = ReadTable(*page.view, path, yield);
    } catch (const EAbort&) {
      throw;
    } catch (const std::exception& error) {
      SetTableState(page, TTableState::kIncomplete, ErrorBoxText(error.what()));
      page.saved.Mark(page.view->Model(), path);
      ReportException(error);
      continue;
    }
    SetTableState(page, TTableState::kRead);
    page.saved.Mark(page.view->Model(), path);
    // The item list and the web page follow a complete read of data.dat only: a list from part of the
    // table would hide the names it lacks.
    if (&page == &pages_[kConversionTable]) {
      FillItemList(std::ref(yield));
      WebBrowser1->Navigate(QUrl(QString::fromLatin1(kCommunityPage)));
    }
    const QString notice = ReadNotice(page.fileName, report);
    page.keepOldOnSave = !notice.isEmpty();
    if (page.keepOldOnSave) ShowNotice(notice);
  }
}

void TForm1::SetTableState(TTablePage& page, TTableState state, const QString& reason) {
  page.state = state;
  page.sheet->setEnabled(state != TTableState::kReading);
  const bool showReason = state == TTableState::kIncomplete && !reason.isEmpty();
  page.statusLine->setText(reason);
  page.statusLine->setToolTip(reason);  // the whole text when a long path cuts the line
  page.statusLine->setVisible(showReason);
  LayoutTablePage(page);
}

void TForm1::LayoutTablePage(TTablePage& page) {
  int bottom = kGridHeight;
  if (page.statusLine->isVisibleTo(page.sheet)) bottom -= kStatusLineHeight;
  if (page.findBar->IsOpen()) {
    bottom -= TFindBar::kHeight;
    page.findBar->setGeometry(0, bottom, page.view->width(), TFindBar::kHeight);
  }
  page.view->resize(page.view->width(), bottom);
}

void TForm1::BuildFindBars() {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    TTablePage& page = pages_[i];
    page.findBar = new TFindBar(page.view, page.sheet);
    page.findBar->setObjectName(QStringLiteral("FindBar%1").arg(i + 1));
    connect(page.findBar, &TFindBar::openChanged, this, [&page] { LayoutTablePage(page); });
    // The find box comes after the grid in the tab order, before the page's buttons.
    QWidget* afterGrid = page.view->nextInFocusChain();
    QWidget::setTabOrder(page.view, page.findBar->TextBox());
    QWidget::setTabOrder(page.findBar->TextBox(), afterGrid);
    // On the whole page, the grid's open editor included; F3 opens the bar when it is closed.
    TFindBar* bar = page.findBar;
    const auto onPage = [&page](const QKeySequence& keys) {
      return new QShortcut(keys, page.sheet, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    };
    connect(onPage(QKeySequence::Find), &QShortcut::activated, bar, Guarded([bar] { bar->Open(); }));
    connect(onPage(QKeySequence(Qt::Key_F3)), &QShortcut::activated, bar,
            Guarded([bar] { bar->FindAgain(TFindDirection::kNext); }));
    connect(onPage(QKeySequence(Qt::SHIFT | Qt::Key_F3)), &QShortcut::activated, bar,
            Guarded([bar] { bar->FindAgain(TFindDirection::kPrevious); }));
  }
}

void TForm1::FillItemList(const std::function<void()>& yield) {
  const QString text = ComboBox1->currentText();
  itemList_->Fill(TableGrid1->Model(), yield);
  // No item is preselected and the text box keeps what it had.
  ComboBox1->setCurrentIndex(-1);
  ComboBox1->setEditText(text);
  selectedIndex_ = -1;
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
  const TDirection direction = Direction();
  const int row = FindItemRow(TableGrid1->Model(), ToTableBytes(name));
  // The caption changes even when the name is found nowhere and reading its units fails.
  Label5->setText(Utf8(QuantityCaption(direction)));
  ShowUnits(ReadItemUnits(TableGrid1->Model(), row, direction));
  if (HasNameAndQuantity(name)) Calculate(name, row, direction);
}

void TForm1::Button1Click() {
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

void TForm1::ComboBox1Activated(int index) {
  if (index < 0 || index == selectedIndex_) return;
  selectedIndex_ = index;
  Button5Click();
}

bool TForm1::ComboBox1ListKey(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  // Typing and editing keys belong to the text box while the list is dropped: the same auto-completion as
  // with the list closed, not the list's own keyboard search.
  const bool typed = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                     (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
  const bool editing = mods == Qt::NoModifier && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                                                  event->key() == Qt::Key_Left || event->key() == Qt::Key_Right);
  if (typed || editing) {
    lastEditKey_ = event->key();
    QCoreApplication::sendEvent(ComboBox1->lineEdit(), event);
    return true;
  }
  // Up and Down in the dropped list select as they do in the closed box, the list staying open.
  if (mods != Qt::NoModifier || (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down)) return false;
  QAbstractItemView* list = ComboBox1->view();
  const int current = list->currentIndex().row();
  const int target = std::clamp(event->key() == Qt::Key_Down ? current + 1 : current - 1, 0, ComboBox1->count() - 1);
  if (ComboBox1->count() == 0 || target == current || (current < 0 && event->key() == Qt::Key_Up)) return true;
  const QModelIndex index = ComboBox1->model()->index(target, 0);
  list->setCurrentIndex(index);
  list->scrollTo(index);
  ComboBox1->setCurrentIndex(target);
  Guarded([this, target] { ComboBox1Activated(target); })();
  return true;
}

void TForm1::ComboBox1Edited(const QString& text) {
  const int key = std::exchange(lastEditKey_, 0);
  if (key == Qt::Key_Backspace || key == Qt::Key_Delete) return;
  QLineEdit* edit = ComboBox1->lineEdit();
  const QString prefix = text.left(edit->cursorPosition());
  if (prefix.isEmpty()) return;
  const int match = itemList_->FindPrefix(prefix);
  if (match < 0) {
    // A name the list lacks: picking the item selected before is a change of selection again.
    selectedIndex_ = -1;
    return;
  }
  const QString item = ComboBox1->itemText(match);
  ComboBox1->setCurrentIndex(match);
  if (QAbstractItemView* list = ComboBox1->view(); list->isVisible()) {
    // The dropped list follows the match.
    const QModelIndex index = ComboBox1->model()->index(match, 0);
    list->setCurrentIndex(index);
    list->scrollTo(index);
  }
  edit->setText(prefix + item.mid(prefix.size()));
  edit->setSelection(static_cast<int>(prefix.size()), static_cast<int>(item.size() - prefix.size()));
  if (match == selectedIndex_) return;
  selectedIndex_ = match;
  Button5Click();
}

bool TForm1::MoveFocusInGroup(QWidget* from, int step) {
  // The group's controls in tab order; the arrows wrap and ignore tab stops.
  const QList<QWidget*> order = {ComboBox1, RadioButton1, RadioButton2, Edit1, Button1, Edit2};
  qsizetype at = order.indexOf(from);
  if (at < 0) return false;
  const qsizetype count = order.size();
  at = (at + step + count) % count;
  QWidget* target = order[at];
  target->setFocus(Qt::TabFocusReason);
  if (auto* radio = qobject_cast<QRadioButton*>(target); radio != nullptr && !radio->isChecked()) {
    radio->setChecked(true);
  }
  return true;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ComboBox1->view() && event->type() == QEvent::KeyPress) {
    return ComboBox1ListKey(static_cast<QKeyEvent*>(event));
  }
  if (watched == ComboBox1) {
    // Only noted, never consumed: typing, input methods and editing go on as usual.
    if (event->type() == QEvent::KeyPress) lastEditKey_ = static_cast<QKeyEvent*>(event)->key();
    if (event->type() == QEvent::InputMethod) lastEditKey_ = 0;
    return QWidget::eventFilter(watched, event);
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier) {
      switch (key->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
          return MoveFocusInGroup(static_cast<QWidget*>(watched), 1);
        case Qt::Key_Left:
        case Qt::Key_Up:
          return MoveFocusInGroup(static_cast<QWidget*>(watched), -1);
        default:
          break;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
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

namespace {

// The two maintenance pages' buttons do the same to their own grids.
void AddRow(TTableGridView& view) {
  view.RecordStep(AppendRow(view.Model()));
  view.viewport()->update();
}

void RemoveFocusedRow(TTableGridView& view) {
  TTableGrid& grid = view.Model();
  view.RecordStep(RemoveRowAt(grid, grid.FocusedRow()));
  grid.ScrollUpAfterRemoval(view.Geometry().FullyVisibleRows());
  view.viewport()->update();
}

void InsertRowAtFocus(TTableGridView& view) {
  TTableGrid& grid = view.Model();
  view.RecordStep(InsertRowAt(grid, grid.FocusedRow()));
  view.viewport()->update();
}

void AddColumn(TTableGridView& view) {
  view.RecordStep(AppendColumn(view.Model()));
  view.viewport()->update();
}

}  // namespace

void TForm1::Button2Click() { AddRow(*TableGrid1); }

void TForm1::Button3Click() { RemoveFocusedRow(*TableGrid1); }

void TForm1::Button6Click() { InsertRowAtFocus(*TableGrid1); }

void TForm1::Button4Click() { SaveTable(pages_[kConversionTable]); }

void TForm1::Button7Click() { AddRow(*TableGrid2); }

void TForm1::Button8Click() { RemoveFocusedRow(*TableGrid2); }

void TForm1::Button9Click() { InsertRowAtFocus(*TableGrid2); }

void TForm1::Button11Click() { AddColumn(*TableGrid2); }

void TForm1::Button10Click() { SaveTable(pages_[kAddressBook]); }

bool TForm1::SaveTable(TTablePage& page, bool replacedKnown) {
  if (page.state == TTableState::kReading) return false;
  page.view->EditSession().EndEdits();
  const std::string path = page.Path();
  const QString fileName = Utf8(page.fileName);
  const bool unread =
      page.state == TTableState::kIncomplete || (page.state == TTableState::kUnread && FileExists(path));
  if (unread &&
      !ConfirmReplace(this, fileName + Utf8(" 未能完整读入，保存将替换磁盘上的文件。仍然保存？"), "保存(&S)")) {
    return false;
  }
  if (!replacedKnown && page.saved.ReplacedOnDisk(page.view->Model(), path) &&
      !ConfirmReplace(this, fileName + Utf8(" 在读入后已被其他程序修改。覆盖它？"), "覆盖")) {
    return false;
  }
  CreateTableDirectory(TableDirectory());
  TBusyYield yield;
  WriteTableFile(page.view->Model(), path,
                 page.keepOldOnSave ? TSafeFile::TBackup::kKeepOld : TSafeFile::TBackup::kNone, std::ref(yield));
  page.keepOldOnSave = false;
  SetTableState(page, TTableState::kRead);
  page.saved.Mark(page.view->Model(), path);
  return true;
}

// ---- Links ----

namespace {

// The banner and the link label open the same page.
void OpenHomePage() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage))); }

}  // namespace

void TForm1::Image1Click() { OpenHomePage(); }

void TForm1::Label7Click() { OpenHomePage(); }

}  // namespace metrazil
