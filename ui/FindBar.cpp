#include "ui/FindBar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <string>

#include "grid/model/TableGrid.h"
#include "grid/text/CellTextKind.h"
#include "grid/view/CellTextPainter.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/ReadableColour.h"
#include "grid/view/TableGridView.h"
#include "ui/Guarded.h"
#include "ui/ReadableText.h"

namespace metrazil {

namespace {

// Cells between two looks at the clock: a markup cell lays out a document, so a slice of markup cells
// stays near its time only when the clock is read often; for plain cells it costs next to nothing.
constexpr std::int64_t kCellsPerLook = 256;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

std::u16string DecodeBytes(std::string_view bytes) { return FromTableBytes(bytes).toStdU16String(); }

// Markup as the grid paints it: its document's plain text.
std::u16string MarkupText(std::string_view markup) {
  return TCellTextPainter::DisplayText(markup, kMaxEditedChars).toStdU16String();
}

QToolButton* MakeButton(QWidget* parent, const char* text, const char* tip) {
  auto* button = new QToolButton(parent);
  button->setText(Utf8(text));
  button->setToolTip(Utf8(tip));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);  // the keys do the same; Tab goes on to the page's buttons
  return button;
}

}  // namespace

TFindBar::TFindBar(TTableGridView* view, QWidget* parent) : QWidget(parent), view_(view) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 1, 4, 1);
  layout->setSpacing(4);
  auto* caption = new QLabel(Utf8("查找:"), this);
  textBox_ = new QLineEdit(this);
  textBox_->setObjectName(QStringLiteral("FindText"));
  textBox_->setAccessibleName(Utf8("查找"));
  textBox_->setFixedWidth(200);
  caption->setBuddy(textBox_);
  previousButton_ = MakeButton(this, "上一个", "查找上一个 (Shift+F3)");
  nextButton_ = MakeButton(this, "下一个", "查找下一个 (F3)");
  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("FindNote"));
  note_->setTextFormat(Qt::PlainText);
  closeButton_ = MakeButton(this, "关闭", "关闭查找 (Esc)");
  layout->addWidget(caption);
  layout->addWidget(textBox_);
  layout->addWidget(previousButton_);
  layout->addWidget(nextButton_);
  layout->addWidget(note_, 1);
  layout->addWidget(closeButton_);
  FollowPalette(textBox_, [this] { ShowNoMatchColour(); });
  hide();

  slices_.setSingleShot(true);
  slices_.setInterval(0);
  connect(&slices_, &QTimer::timeout, this, Guarded([this] { RunSlice(); }));
  connect(textBox_, &QLineEdit::textEdited, this, Guarded([this] { TextEdited(); }));
  connect(previousButton_, &QToolButton::clicked, this, Guarded([this] { FindAgain(TFindDirection::kPrevious); }));
  connect(nextButton_, &QToolButton::clicked, this, Guarded([this] { FindAgain(TFindDirection::kNext); }));
  connect(closeButton_, &QToolButton::clicked, this, &TFindBar::Close);
  textBox_->installEventFilter(this);
}

TFindBar::~TFindBar() = default;

void TFindBar::Open() {
  if (!open_) {
    open_ = true;
    // Not before: the style looks its icon up through the icon themes, which costs start-up a lot.
    textBox_->setClearButtonEnabled(true);
    show();
    emit openChanged();
  }
  textBox_->selectAll();
  textBox_->setFocus(Qt::ShortcutFocusReason);
}

void TFindBar::Close() {
  slices_.stop();
  if (open_) {
    open_ = false;
    hide();
    emit openChanged();
  }
  view_->setFocus(Qt::OtherFocusReason);
}

void TFindBar::FindAgain(TFindDirection direction) {
  if (!open_) Open();
  StartSearch(direction, false);
}

QString TFindBar::Note() const { return note_->text(); }

bool TFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == textBox_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
      Close();
      return true;
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
      const TFindDirection direction = mods == Qt::ShiftModifier ? TFindDirection::kPrevious : TFindDirection::kNext;
      Guarded([this, direction] { FindAgain(direction); })();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFindBar::TextEdited() { StartSearch(TFindDirection::kNext, true); }

void TFindBar::StartSearch(TFindDirection direction, bool withStartCell) {
  slices_.stop();
  const QString text = textBox_->text();
  if (text.isEmpty()) {
    find_.reset();
    ShowNote({}, false);
    return;
  }
  const TTableGrid& grid = view_->Model();
  if (!find_ || text != findText_) {
    find_ = std::make_unique<TGridFind>(grid, ToTableBytes(text), DecodeBytes, MarkupText, kCellsPerLook);
    findText_ = text;
  }
  direction_ = direction;
  withStartCell_ = withStartCell;
  rowCount_ = grid.RowCount();
  colCount_ = grid.ColCount();
  fixedRows_ = grid.FixedRows();
  startFocus_ = TCellAddress{grid.FocusedCol(), grid.FocusedRow()};
  find_->Start(startFocus_, direction, withStartCell);
  RunSlice();
}

bool TFindBar::CountsChanged() const {
  const TTableGrid& grid = view_->Model();
  return grid.RowCount() != rowCount_ || grid.ColCount() != colCount_ || grid.FixedRows() != fixedRows_;
}

void TFindBar::RunSlice() {
  // A block command over many rows lets timers run while the grid is half written: wait for its end.
  if (view_->Model().IsBusy()) {
    slices_.start();
    return;
  }
  // The user went on in the grid meanwhile (moved or began an edit): the match would pull them away.
  const TTableGrid& grid = view_->Model();
  if (view_->EditSession().IsEditing() || TCellAddress{grid.FocusedCol(), grid.FocusedRow()} != startFocus_) {
    ShowNote({}, false);
    return;
  }
  // Rows added or removed between two slices would leave the search's cell numbers behind.
  if (CountsChanged()) {
    StartSearch(direction_, withStartCell_);
    return;
  }
  const TFindResult result = find_->Run(TGridFind::TClock::now() + kSliceTime);
  if (result.state == TFindState::kSearching) {
    ShowNote(Utf8("正在查找…"), false);
    slices_.start();
    return;
  }
  ShowResult(result);
}

void TFindBar::ShowResult(const TFindResult& result) {
  if (result.state == TFindState::kNotFound) {
    ShowNote(Utf8("找不到"), true);
    QApplication::beep();
    return;
  }
  const TTableGrid& grid = view_->Model();
  if (result.cell.col == grid.FocusedCol() && result.cell.row == grid.FocusedRow()) {
    // The match stayed where the focus is, which scrolling may have left out of view.
    view_->ScrollToCell(result.cell);
  } else {
    view_->MoveFocus(result.cell.col, result.cell.row, false);
  }
  const bool backward = direction_ == TFindDirection::kPrevious;
  ShowNote(result.wrapped ? Utf8(backward ? "已从末尾开始查找" : "已从头开始查找") : QString(), false);
}

void TFindBar::ShowNote(const QString& note, bool noMatch) {
  note_->setText(note);
  if (noMatch == noMatch_) return;
  noMatch_ = noMatch;
  ShowNoMatchColour();
}

void TFindBar::ShowNoMatchColour() {
  // Nothing of its own otherwise: the box takes the window's palette.
  QPalette palette;
  if (noMatch_) {
    // Light red; where the desktop's text does not read on it, a red that it reads on.
    palette.setColor(QPalette::Base, ReadableOn(QColor(255, 204, 204), this->palette().color(QPalette::Text)));
  }
  textBox_->setPalette(palette);
}

}  // namespace metrazil
