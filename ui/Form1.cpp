#include "ui/Form1.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "base/TableDirectory.h"
#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "ui/ClickLabel.h"
#include "ui/DialogFocus.h"
#include "ui/Guarded.h"
#include "ui/ItemListModel.h"
#include "ui/NoticeForm.h"
#include "ui/ReportException.h"
#include "ui/WebBrowser.h"

namespace metrazil {

namespace {

// The two tables' files, in the table directory (the program's own or the user's, see TableDirectory).
std::string ConversionTablePath() { return TableDirectory() + "data.dat"; }
std::string AddressBookPath() { return TableDirectory() + "data2.dat"; }

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

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// Lets window messages through while a table loads, every few milliseconds. The read calls it every few
// thousand lines, so asking the clock costs nothing; the grid being read announces its layout and is
// repainted once per pass, not per line.
class TReadYield {
 public:
  explicit TReadYield(const bool& abort) : abort_(abort) {}
  void Reading(TTableGridView* view) { view_ = view; }
  void operator()() {
    if (std::chrono::steady_clock::now() - last_ < std::chrono::milliseconds(5)) return;
    if (view_ != nullptr) {
      view_->Model().EndUpdate();
      view_->viewport()->update();
    }
    QCoreApplication::processEvents();
    if (view_ != nullptr) view_->Model().BeginUpdate();
    last_ = std::chrono::steady_clock::now();
    if (abort_) throw EAbort();
  }

 private:
  const bool& abort_;
  TTableGridView* view_ = nullptr;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// Reads a table file into a view's grid with its layout changes held back between passes of the yield.
void ReadTable(TTableGridView& view, const std::string& path, TReadYield& yield) {
  const TTableGrid::TUpdateGuard update(view.Model());
  yield.Reading(&view);
  view.Model().ReadTableFile(path, std::ref(yield));
  yield.Reading(nullptr);
  view.viewport()->update();
}

// Sizes of the design state, also of every row and column added later: the zoom changes the sizes that
// exist, not those of new rows and columns.
constexpr int kDesignRowHeight = 21;
constexpr int kDesignColWidth = 64;

// The design state of both grids.
void SetDesignState(TTableGrid& grid) {
  grid.SetFixedCols(0);
  grid.SetColCount(5);
  grid.SetRowCount(10);
  grid.SetFixedRows(1);
  grid.SetDefaultRowHeight(kDesignRowHeight);
  for (int col = 0; col < 5; ++col) grid.SetColWidth(col, kDesignColWidth);
}

enum class TSaveAnswer { kSave, kDontSave, kCancel };

// The question before closing over a table with unsaved changes.
TSaveAnswer AskToSave(QWidget* parent, const QString& question) {
  ReleaseMouseGrab();
  const TDialogFocusKeeper keeper;
  QMessageBox box(QMessageBox::Question, Utf8(kApplicationTitle), question, QMessageBox::NoButton, parent);
  QPushButton* save = box.addButton(Utf8("保存(&S)"), QMessageBox::AcceptRole);
  QPushButton* dontSave = box.addButton(Utf8("不保存(&N)"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(Utf8("取消"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  if (box.clickedButton() == save) return TSaveAnswer::kSave;
  if (box.clickedButton() == dontSave) return TSaveAnswer::kDontSave;
  return TSaveAnswer::kCancel;
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Utf8(kApplicationTitle));
  setWindowIcon(QIcon(QStringLiteral(":/metrazil/Icon.svg")));
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
  ConnectHandlers();
  savedTable1_.Mark(TableGrid1->Model(), ConversionTablePath());
  savedTable2_.Mark(TableGrid2->Model(), AddressBookPath());
}

TForm1::~TForm1() = default;

void TForm1::BuildCalculationPage() {
  GroupBox1 = Make<QGroupBox>(TabSheet1, "GroupBox1", 0, 0, 583, 137);
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
  Button7 = MakeButton(TabSheet3, "Button7", "增加一行", 8, 272, 89, 25);
  Button8 = MakeButton(TabSheet3, "Button8", "删除一行", 112, 272, 81, 25);
  Button9 = MakeButton(TabSheet3, "Button9", "插入一行", 216, 272, 81, 25);
  Button11 = MakeButton(TabSheet3, "Button11", "增加列", 312, 272, 89, 25);
  Button10 = MakeButton(TabSheet3, "Button10", "保存(&S)", 480, 272, 89, 25);

  WebBrowser1 = Make<TWebBrowser>(TabSheet4, "WebBrowser1", 0, 0, 583, 273);
  WebBrowser1->setAccessibleName(Utf8("朋友圈网页"));
}

void TForm1::BuildBottomStrip() {
  Image1 = Make<TClickLabel>(this, "Image1", 0, 344, 129, 25);
  QPixmap banner(249, 49);
  banner.fill(Qt::white);
  {
    QPainter painter(&banner);
    QSvgRenderer renderer(QStringLiteral(":/metrazil/Banner.svg"));
    renderer.render(&painter);
  }
  Image1->setPixmap(banner);
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
  BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
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
  TableGrid1->EditSession().EndEdits();
  TableGrid2->EditSession().EndEdits();
  struct TTable {
    const TTableGridView* grid;
    const TTableSaveBaseline& saved;
    const char* question;
    void (TForm1::*save)();
  };
  for (const TTable& table :
       {TTable{TableGrid1, savedTable1_, "换算表有未保存的修改，是否保存？", &TForm1::Button4Click},
        TTable{TableGrid2, savedTable2_, "通信录有未保存的修改，是否保存？", &TForm1::Button10Click}}) {
    if (!table.saved.Changed(table.grid->Model())) continue;
    switch (AskToSave(this, Utf8(table.question))) {
      case TSaveAnswer::kSave:
        (this->*table.save)();
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
  struct TReading {
    bool& flag;
    explicit TReading(bool& f) : flag(f) { flag = true; }
    ~TReading() { flag = false; }
  } reading(reading_);
  TReadYield yield(closeRequested_);

  const std::string data = ConversionTablePath();
  const std::string data2 = AddressBookPath();
  // Whatever a read left in a grid, failed or cut short, is what closing compares with.
  const auto mark = qScopeGuard([&] {
    savedTable1_.Mark(TableGrid1->Model(), data);
    savedTable2_.Mark(TableGrid2->Model(), data2);
  });
  if (FileExists(data)) {
    ReadTable(*TableGrid1, data, yield);
    FillItemList(std::ref(yield));
    WebBrowser1->Navigate(QUrl(QString::fromLatin1(kCommunityPage)));
  }
  if (FileExists(data2)) ReadTable(*TableGrid2, data2, yield);
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

void TForm1::ShowUnits(TDirection direction, const TItemUnits& units) {
  Label5->setText(Utf8(QuantityCaption(direction)));
  Label2->setText(FromTableBytes(units.quantityUnit));
  Label3->setText(FromTableBytes(units.resultUnit));
  Label2->adjustSize();
  Label3->adjustSize();
}

void TForm1::Button5Click() {
  const QString name = ComboBox1->currentText();
  if (name.isEmpty()) return;
  const TTableGrid& grid = TableGrid1->Model();
  const TDirection direction = Direction();
  const int row = FindItemRow(grid, ToTableBytes(name));
  Label5->setText(Utf8(QuantityCaption(direction)));
  ShowUnits(direction, ReadItemUnits(grid, row, direction));
  Button1Click();
}

void TForm1::Button1Click() {
  const QString name = ComboBox1->currentText();
  if (name.isEmpty() || Edit1->text().isEmpty()) {
    ShowNotice(Utf8(kNoticeMissingInput));
    return;
  }
  const TTableGrid& grid = TableGrid1->Model();
  const TDirection direction = Direction();
  const int row = FindItemRow(grid, ToTableBytes(name));
  // The units shown and logged are those of the row calculated with, also for a name the list lacks.
  ShowUnits(direction, ReadItemUnits(grid, row, direction));
  // The quantity goes as typed, so a conversion error shows it as typed.
  const TConversion conversion = Convert(grid, row, Edit1->text().toStdString(), direction);
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
  // Up and Down in the dropped list select as they do in the closed box, the list staying open.
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
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
  TTableGrid& grid = view.Model();
  grid.SetRowCount(grid.RowCount() + 1);
  grid.SetRowHeight(grid.RowCount() - 1, kDesignRowHeight);
  view.viewport()->update();
}

void RemoveFocusedRow(TTableGridView& view) {
  TTableGrid& grid = view.Model();
  grid.RemoveRowsAt(grid.FocusedRow(), 1);
  view.viewport()->update();
}

void InsertRowAtFocus(TTableGridView& view) {
  TTableGrid& grid = view.Model();
  const int row = grid.FocusedRow();
  const int count = grid.RowCount();
  grid.InsertRowsAt(row, 1);
  if (grid.RowCount() > count) grid.SetRowHeight(row, kDesignRowHeight);
  view.viewport()->update();
}

// A save first ends the grid's open edits, so that what the user sees is what is saved.
void SaveTable(TTableGridView& view, const std::string& path, TTableSaveBaseline& saved) {
  view.EditSession().EndEdits();
  CreateTableDirectory(TableDirectory());
  view.Model().WriteTableFile(path);
  saved.Mark(view.Model(), path);
}

void AddColumn(TTableGridView& view) {
  TTableGrid& grid = view.Model();
  grid.SetColCount(grid.ColCount() + 1);
  grid.SetColWidth(grid.ColCount() - 1, kDesignColWidth);
  view.viewport()->update();
}

}  // namespace

void TForm1::Button2Click() { AddRow(*TableGrid1); }

void TForm1::Button3Click() { RemoveFocusedRow(*TableGrid1); }

void TForm1::Button6Click() { InsertRowAtFocus(*TableGrid1); }

void TForm1::Button4Click() { SaveTable(*TableGrid1, ConversionTablePath(), savedTable1_); }

void TForm1::Button7Click() { AddRow(*TableGrid2); }

void TForm1::Button8Click() { RemoveFocusedRow(*TableGrid2); }

void TForm1::Button9Click() { InsertRowAtFocus(*TableGrid2); }

void TForm1::Button11Click() { AddColumn(*TableGrid2); }

void TForm1::Button10Click() { SaveTable(*TableGrid2, AddressBookPath(), savedTable2_); }

// ---- Links ----

void TForm1::Image1Click() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage))); }

void TForm1::Label7Click() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage))); }

}  // namespace metrazil
