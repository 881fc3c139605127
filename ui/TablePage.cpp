#include "ui/TablePage.h"

#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QShortcut>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>
#include <utility>

#include "base/Exception.h"
#include "base/TableDirectory.h"
#include "grid/file/JournalEntry.h"
#include "grid/file/OrphanJournal.h"
#include "grid/file/SavePlace.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/file/TableJournal.h"
#include "grid/model/GridEdits.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/PaintWhileBusy.h"
#include "grid/view/TableGridView.h"
#include "ui/FindBar.h"
#include "ui/Guarded.h"
#include "ui/Question.h"
#include "ui/ReadEventPump.h"
#include "ui/ReadableText.h"
#include "ui/ReportException.h"
#include "ui/ShowNotice.h"

namespace metrazil {

namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// In an open editor or the find box the text box's own keys stay: one it does not take does nothing.
bool TextBoxHasFocus() {
  QWidget* focused = QApplication::focusWidget();
  return qobject_cast<QLineEdit*>(focused) != nullptr || qobject_cast<QPlainTextEdit*>(focused) != nullptr;
}

// The room of a table page: the grid above the buttons, shorter while the status line shows between them.
constexpr int kGridHeight = 265;
constexpr int kStatusLineHeight = 18;

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

// A question before a save that could destroy what the user never saw; 取消, the default, keeps the file.
bool ConfirmReplace(QWidget* parent, const QString& question, const char* proceed) {
  return Ask(parent, question, {{proceed, QMessageBox::AcceptRole}, {"取消", QMessageBox::RejectRole}}, 1) == 0;
}

}  // namespace

TTablePage::TTablePage(TTableGridView* view, QWidget* sheet, const char* fileName, const char* tableName, int number)
    : QObject(sheet), view_(view), sheet_(sheet), fileName_(fileName), tableName_(tableName) {
  BuildStatusLine(number);
  BuildFindBar(number);
  BuildPageKeys();
  saved_.Mark(view_->Model(), Path());
  // Every change the user makes, undone and redone ones too, goes into the journal as it is recorded.
  view_->UndoStack().OnStep = [this](TGridStepEvent event, const TGridUndoStep& step) {
    if (journal_ != nullptr) journal_->Append(EncodeJournalEntry(event, step));
  };
}

// The journal's worker is stopped (its entries made durable, the file left) before the page goes.
TTablePage::~TTablePage() = default;

std::string TTablePage::Path() const { return TableDirectory() + fileName_; }

void TTablePage::BuildStatusLine(int number) {
  statusLine_ = new QLabel(sheet_);
  statusLine_->setObjectName(QStringLiteral("StatusLine%1").arg(number));
  statusLine_->setGeometry(8, kGridHeight - kStatusLineHeight + 4, 567, kStatusLineHeight);
  statusLine_->setTextFormat(Qt::PlainText);
  KeepReadable(statusLine_, QPalette::WindowText, QColor(160, 0, 0));
  statusLine_->hide();
}

void TTablePage::BuildFindBar(int number) {
  findBar_ = new TFindBar(view_, sheet_);
  findBar_->setObjectName(QStringLiteral("FindBar%1").arg(number));
  connect(findBar_, &TFindBar::openChanged, this, [this] { Layout(); });
}

std::span<const TTablePage::TPageKey> TTablePage::PageKeys() {
  static const TPageKey kKeys[] = {
      {QKeySequence::Find, &TTablePage::OpenFind},
      {QKeySequence(Qt::Key_F3), &TTablePage::FindNext},
      {QKeySequence(Qt::SHIFT | Qt::Key_F3), &TTablePage::FindPrevious},
      {QKeySequence(Qt::CTRL | Qt::Key_Z), &TTablePage::Undo},
      {QKeySequence(Qt::CTRL | Qt::Key_Y), &TTablePage::Redo},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TTablePage::Redo},
  };
  return kKeys;
}

void TTablePage::BuildPageKeys() {
  for (const TPageKey& key : PageKeys()) {
    auto* shortcut = new QShortcut(key.keys, sheet_, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, Guarded([this, action = key.action] { (this->*action)(); }));
  }
}

void TTablePage::OpenFind() { findBar_->Open(); }

// F3 opens the bar when it is closed.
void TTablePage::FindNext() { findBar_->FindAgain(TFindDirection::kNext); }

void TTablePage::FindPrevious() { findBar_->FindAgain(TFindDirection::kPrevious); }

void TTablePage::Undo() {
  if (TextBoxHasFocus()) return;
  view_->setFocus(Qt::ShortcutFocusReason);
  view_->Undo();
}

void TTablePage::Redo() {
  if (TextBoxHasFocus()) return;
  view_->setFocus(Qt::ShortcutFocusReason);
  view_->Redo();
}

void TTablePage::SetState(TState state, const QString& reason) {
  state_ = state;
  incompleteReason_ = state == TState::kIncomplete ? reason : QString();
  sheet_->setEnabled(state != TState::kReading);
  ShowStatus();
}

void TTablePage::ShowStatus() {
  QStringList lines;
  if (!incompleteReason_.isEmpty()) lines.append(incompleteReason_);
  if (!journalProblem_.isEmpty()) lines.append(journalProblem_);
  const QString text = lines.join(Utf8("；"));
  statusLine_->setText(text);
  statusLine_->setToolTip(text);  // the whole text when a long path cuts the line
  statusLine_->setVisible(!text.isEmpty());
  Layout();
}

void TTablePage::Layout() {
  // A focused cell in view stays in view when the grid gets shorter (the find bar opening under it).
  const TTableGrid& grid = view_->Model();
  const TCellAddress focus{grid.FocusedCol(), grid.FocusedRow()};
  const bool focusInView =
      view_->Geometry().ScrollIntoView(focus.col, focus.row) == TCellAddress{grid.LeftCol(), grid.TopRow()};
  int bottom = kGridHeight;
  if (statusLine_->isVisibleTo(sheet_)) bottom -= kStatusLineHeight;
  if (findBar_->IsOpen()) {
    bottom -= TFindBar::kHeight;
    findBar_->setGeometry(0, bottom, view_->width(), TFindBar::kHeight);
  }
  view_->resize(view_->width(), bottom);
  if (focusInView) view_->ScrollToCell(focus);
}

// ---- the start-up read ---------------------------------------------------------------------------------

void TTablePage::PrepareRead() {
  const std::string path = Path();
  RemoveStaleTemporaries(path);
  // A missing file is no error: the page keeps its design state, which a save creates the file from.
  SetState(FileExists(path) ? TState::kReading : TState::kRead);
  if (state_ == TState::kRead) saved_.Mark(view_->Model(), path);
}

bool TTablePage::Read(TReadEventPump& pump) {
  if (state_ != TState::kReading) return false;
  const std::string path = Path();
  TTableGrid& grid = view_->Model();
  // Each table is read on its own: a failure is reported and the other table is still read. Whatever a read
  // left in the grid is what closing compares with, marked before the page takes input again.
  TTableReadReport report;
  try {
    const TTableGrid::TUpdateGuard update(grid);
    // The steps of the table read over no longer fit it.
    view_->UndoStack().Clear();
    pump.Reading(view_);
    const auto done = qScopeGuard([&pump] { pump.Reading(nullptr); });
    report = ReadTableFile(grid, path, std::ref(pump));
  } catch (const EAbort&) {
    throw;
  } catch (const std::exception& error) {
    SetState(TState::kIncomplete, ErrorBoxText(error.what()));
    saved_.Mark(grid, path);
    ReportException(error);
    return false;
  }
  SetState(TState::kRead);
  saved_.Mark(grid, path, report.file);
  readBase_ = report.file;
  readNotice_ = ReadNotice(fileName_, report);
  keepOldOnSave_ = !readNotice_.isEmpty();
  return true;
}

void TTablePage::ShowReadNotice() {
  if (!readNotice_.isEmpty()) ShowNotice(std::exchange(readNotice_, QString()));
}

bool TTablePage::CutShort() {
  if (state_ != TState::kReading) return false;
  SetState(TState::kIncomplete);
  saved_.Mark(view_->Model(), Path());
  return true;
}

// ---- saving --------------------------------------------------------------------------------------------

bool TTablePage::Save(bool replacedKnown) {
  if (state_ == TState::kReading) return false;
  view_->EditSession().EndAllEdits();
  const std::string path = Path();
  const QString fileName = Utf8(fileName_);
  QWidget* window = sheet_->window();
  const bool unread = state_ == TState::kIncomplete || (state_ == TState::kUnread && FileExists(path));
  if (unread &&
      !ConfirmReplace(window, fileName + Utf8(" 未能完整读入，保存将替换磁盘上的文件。仍然保存？"), "保存(&S)")) {
    return false;
  }
  const bool replaced = saved_.ReplacedOnDisk(view_->Model(), path);
  if (replaced && !replacedKnown &&
      !ConfirmReplace(window, fileName + Utf8(" 在读入后已被其他程序修改。覆盖它？"), "覆盖")) {
    return false;
  }
  CreateTableDirectory(TableDirectory());
  TPaintWhileBusy yield;
  // Another program's version, replaced on the user's word, stays as the backup: no answer can lose it.
  WriteTableFile(view_->Model(), path,
                 keepOldOnSave_ || replaced ? TSafeFile::TBackup::kKeepOld : TSafeFile::TBackup::kNone,
                 std::ref(yield));
  keepOldOnSave_ = false;
  SetState(TState::kRead);
  // The saved file is the journal's new base.
  readBase_ = TJournalBase::OfPath(path);
  saved_.Mark(view_->Model(), path, readBase_);
  if (journal_ != nullptr) journal_->Rebase(readBase_);
  return true;
}

bool TTablePage::SaveBeforeClosing() {
  if (!saved_.Changed(view_->Model())) return true;
  const bool replaced = saved_.ReplacedOnDisk(view_->Model(), Path());
  QString question = Utf8(tableName_) + Utf8("有未保存的修改，");
  if (replaced) question += Utf8("且 ") + Utf8(fileName_) + Utf8(" 在读入后已被其他程序修改，");
  question += Utf8("是否保存？");
  // Enter must not overwrite another program's change: then 取消 is the default.
  switch (Ask(sheet_->window(), question,
              {{"保存(&S)", QMessageBox::AcceptRole},
               {"不保存(&N)", QMessageBox::DestructiveRole},
               {"取消", QMessageBox::RejectRole}},
              replaced ? 2 : 0)) {
    case 0:
      return Save(replaced);
    case 1:
      return true;
    default:
      return false;
  }
}

// ---- the recovery journal -----------------------------------------------------------------------------

void TTablePage::StartJournal() {
  if (state_ != TState::kRead && state_ != TState::kIncomplete) return;
  const std::string path = Path();
  std::vector<TOrphanJournal> replayedToo;
  std::unique_ptr<TOrphanJournal> adopted;
  if (state_ == TState::kRead) {
    adopted = RecoverOrphans(replayedToo);
  } else {
    // The changes to a table read in part fit no file as it is, nor the lack of one: a later start keeps
    // them aside.
    readBase_.hasFile = true;
    readBase_.hashState = TJournalBase::THash::kUnknown;
  }
  // The worker tells its failure once; the page shows it on the window's thread.
  const auto onFailure = [this](const EInOutError& error) {
    QMetaObject::invokeMethod(
        this,
        [this, text = ErrorBoxText(error.what())] {
          journalProblem_ = Utf8("未能写入恢复记录（") + text + Utf8("），请保存修改");
          ShowStatus();
        },
        Qt::QueuedConnection);
  };
  journal_ = adopted != nullptr ? std::make_unique<TTableJournal>(path, std::move(*adopted), onFailure)
                                : std::make_unique<TTableJournal>(path, readBase_, onFailure);
  if (replayedToo.empty()) return;
  // A second journal replayed goes on in this one; its own file goes once that is durable.
  for (TOrphanJournal& orphan : replayedToo) {
    for (const std::string& entry : orphan.Entries()) journal_->Append(entry);
  }
  if (!journal_->SyncNow()) return;
  for (TOrphanJournal& orphan : replayedToo) {
    try {
      orphan.Remove();
    } catch (const std::exception& error) {
      ReportException(error);
    }
  }
}

std::unique_ptr<TOrphanJournal> TTablePage::RecoverOrphans(std::vector<TOrphanJournal>& replayedToo) {
  std::vector<TOrphanJournal> orphans = FindJournals(Path());
  if (orphans.empty()) return nullptr;
  TJournalBase now = readBase_;
  try {
    now.TakeHash(Path());
  } catch (const EInOutError&) {
    // A file that cannot be read again fits no journal: they are all kept aside.
  }
  std::unique_ptr<TOrphanJournal> adopted;
  for (TOrphanJournal& orphan : orphans) {
    // Each journal on its own: a failure is reported and the next one is still offered.
    try {
      if (!Recover(orphan, now)) continue;
      if (adopted == nullptr) {
        adopted = std::make_unique<TOrphanJournal>(std::move(orphan));
      } else {
        replayedToo.push_back(std::move(orphan));
      }
    } catch (const std::exception& error) {
      ReportException(error);
    }
  }
  return adopted;
}

bool TTablePage::Recover(TOrphanJournal& orphan, const TJournalBase& now) {
  // Every entry is read before any is applied: a journal that is not whole is never half applied.
  std::vector<TJournalEntry> entries;
  bool whole = orphan.State() != TOrphanJournal::TState::kDamaged;
  for (std::size_t i = 0; whole && i < orphan.Entries().size(); ++i) {
    std::optional<TJournalEntry> entry = DecodeJournalEntry(orphan.Entries()[i]);
    whole = entry.has_value();
    if (whole) entries.push_back(std::move(*entry));
  }
  if (!whole) {
    SetAside(orphan, " 的上次未保存的修改已损坏，未恢复，保留在 ");
    return false;
  }
  if (!Matches(orphan.Base(), now)) {
    SetAside(orphan, " 已被其他程序修改，上次未保存的修改未恢复，保留在 ");
    return false;
  }
  const QString question = Utf8(fileName_) + Utf8(" 有上次未保存的修改。恢复它们？");
  // Esc and the close box keep the work too: only 放弃 lets it go.
  if (Ask(sheet_->window(), question, {{"恢复(&R)", QMessageBox::AcceptRole}, {"放弃(&D)", QMessageBox::RejectRole}}, 0,
          0) == 1) {
    orphan.Remove();
    return false;
  }
  TTableGrid& grid = view_->Model();
  TGridUndoStack& steps = view_->UndoStack();
  // The steps an earlier journal gave back stay on the list should this one fail.
  const TGridUndoStack before = steps;
  std::size_t replayed = 0;
  try {
    const TTableGrid::TUpdateGuard update(grid);
    for (; replayed < entries.size(); ++replayed) steps.Replay(grid, entries[replayed].event, entries[replayed].step);
  } catch (const std::exception&) {
    // A journal that cannot be made again in full is taken back, last entry first, and kept aside.
    const TTableGrid::TUpdateGuard update(grid);
    while (replayed > 0) {
      const TJournalEntry& entry = entries[--replayed];
      entry.event == TGridStepEvent::kUndone ? entry.step.Redo(grid) : entry.step.Undo(grid);
    }
    steps = before;
    SetAside(orphan, " 的上次未保存的修改已损坏，未恢复，保留在 ");
    return false;
  }
  return true;
}

void TTablePage::SetAside(TOrphanJournal& orphan, const char* why) {
  const std::string kept = orphan.SetAside();
  ShowNotice(Utf8(fileName_) + Utf8(why) + QString::fromLocal8Bit(kept.c_str()));
}

void TTablePage::DropJournal() {
  if (journal_ != nullptr) journal_->Discard();
}

void TTablePage::KeepJournal() {
  if (journal_ != nullptr) journal_->SyncNow();
}

void TTablePage::KeepWorkForExit() {
  // An edit still open goes in as the step closing it would make. No error box may hold up a shutdown: an
  // edit that cannot be written now stays out, as it would after a kill.
  try {
    view_->EditSession().EndAllEdits();
  } catch (const std::exception&) {
  }
  KeepJournal();
}

// ---- the page's buttons --------------------------------------------------------------------------------

void TTablePage::AddRow() { view_->UndoStack().Push(AppendRow(view_->Model())); }

void TTablePage::RemoveFocusedRow() {
  TTableGrid& grid = view_->Model();
  view_->UndoStack().Push(RemoveRowAt(grid, grid.FocusedRow()));
  grid.ScrollUpAfterRemoval(view_->Geometry().FullyVisibleRows());
}

void TTablePage::InsertRowAtFocus() {
  TTableGrid& grid = view_->Model();
  view_->UndoStack().Push(InsertRowAt(grid, grid.FocusedRow()));
}

void TTablePage::AddColumn() { view_->UndoStack().Push(AppendColumn(view_->Model())); }

}  // namespace metrazil
