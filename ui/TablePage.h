#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "grid/file/JournalBase.h"
#include "grid/file/TableSaveBaseline.h"

class QLabel;
class QWidget;

namespace metrazil {

class TFindBar;
class TOrphanJournal;
class TReadEventPump;
class TTableJournal;
class TTableGridView;

// One table page (the conversion table, the address book) as a document: its grid over the table file, the
// line that says why the table is incomplete, the find bar, and the table's life with its file: the start-up
// read, the saves and the question before closing. The window builds the page's design controls and routes
// their events here.
class TTablePage : public QObject {
  Q_OBJECT

 public:
  // Where the page's table stands with its file. Editing and saving wait while it is being read; a save over
  // a file that was not read completely asks first, since it replaces what the page never showed.
  enum class TState {
    kUnread,      // before the start-up's reads
    kReading,     // read now or waiting for its turn: the page takes no input
    kRead,        // read completely, or there was no file: saving writes what the page shows
    kIncomplete,  // the read failed or was cut short: the page shows why above its buttons
  };

  // fileName lies in the table directory; tableName names the table in the question asked on closing. The
  // status line and the find bar are made here, named after number (1 or 2); the window puts the find box in
  // its tab order. The grid's state now is what closing compares with until the reads.
  TTablePage(TTableGridView* view, QWidget* sheet, const char* fileName, const char* tableName, int number);
  ~TTablePage() override;

  TTableGridView& View() const { return *view_; }
  TFindBar& FindBar() const { return *findBar_; }
  // Built afresh at each use: a save goes where the table directory is at that moment.
  std::string Path() const;

  // Before the reads: removes what killed saves left beside the file and waits for the read, or, with no
  // file, takes the design state as what was saved (a save creates the file from it).
  void PrepareRead();
  // Reads the file into the grid when it waits for that. False when the read failed (reported, and the
  // reason kept above the buttons) or there was nothing to read; EAbort (a close asked for) goes on.
  bool Read(TReadEventPump& pump);
  // After a complete read that a save would not give back as the file was (lines left out, UTF-8): says so.
  void ShowReadNotice();
  // A read ended by closing the window leaves the page incomplete, as one still waiting for its turn; true
  // when the page was being read or waiting.
  bool CutShort();

  // The recovery journal: every change to the table since it was last read or saved goes into a journal file
  // beside it, so that a kill, a crash or a power cut loses none of it.
  //
  // After the start-up read, before the page takes input: offers the journals that killed instances left
  // of this table, one after the other (replayed onto the table as read, unsaved, their steps on the undo
  // list; or removed), keeps aside those that do not fit the file as read and says so, and starts this
  // instance's journal. A page read in part journals too, on a base no file matches.
  void StartJournal();
  // The window closes on the user's word: the journal goes (what it held was saved, or the user said 不保存).
  void DropJournal();
  // The session is saved: everything journaled is made durable, for a next start to offer if this one
  // does not go on.
  void KeepJournal();
  // The program is ending without questions: open edits are ended and everything journaled is made
  // durable, for the next start to offer.
  void KeepWorkForExit();

  // A save first ends the grid's open edits, so that what the user sees is what is saved. It asks before it
  // replaces a file the page did not read completely or one another program changed (unless the close
  // question already said so); false when the user cancelled or the page is still being read.
  bool Save(bool replacedKnown = false);
  // The question before closing, when a save would change the file: saves, or not, as answered; false when
  // the window is to stay open (cancelled, or the save failed to happen).
  bool SaveBeforeClosing();

  // The page's buttons; each change goes on the undo list.
  void AddRow();
  void RemoveFocusedRow();
  void InsertRowAtFocus();
  void AddColumn();

  // The table keys of the page, which act on its grid from wherever on the page the keyboard focus is, the
  // page's buttons included (the grid, its editors and the find box take their own keys first); the window
  // gives them the tab bar too. Undo and redo give the grid the keyboard.
  struct TPageKey {
    QKeySequence keys;
    void (TTablePage::*action)();
  };
  static std::span<const TPageKey> PageKeys();
  void OpenFind();
  void FindNext();
  void FindPrevious();
  void Undo();
  void Redo();

 private:
  void BuildStatusLine(int number);
  void BuildFindBar(int number);
  void BuildPageKeys();
  // Puts the page in a state: its input, its status line (with the reason when incomplete) and the grid's room.
  void SetState(TState state, const QString& reason = {});
  // The status line says why the table is incomplete and that the journal failed, whichever apply.
  void ShowStatus();
  // The journals killed instances left: each offered, kept aside or removed. The first one replayed is
  // returned for this instance's journal to go on with; any later ones replayed go to replayedToo.
  std::unique_ptr<TOrphanJournal> RecoverOrphans(std::vector<TOrphanJournal>& replayedToo);
  // One orphan offered, or kept aside when it is damaged or does not fit the file as now; true when it was
  // replayed. now is the file as read, its hash taken.
  bool Recover(TOrphanJournal& orphan, const TJournalBase& now);
  // Keeps the orphan aside and says why.
  void SetAside(TOrphanJournal& orphan, const char* why);
  // The grid takes the page's room above the buttons that the status line and the find bar leave it.
  void Layout();

  TTableGridView* view_;
  QWidget* sheet_;
  QLabel* statusLine_ = nullptr;  // why the table is incomplete; hidden otherwise
  TFindBar* findBar_ = nullptr;   // Ctrl+F; hidden until then
  const char* fileName_;
  const char* tableName_;
  TState state_ = TState::kUnread;
  // The table as last read or saved: closing asks only when a save would change the file, and a save asks
  // before it overwrites another program's change.
  TTableSaveBaseline saved_;
  // The read left lines out or converted the file from UTF-8: the first save afterwards keeps the old file
  // as "<name>.bak", since the new one cannot give back everything the old one held.
  bool keepOldOnSave_ = false;
  QString readNotice_;        // what the last read would have a save lose
  QString incompleteReason_;  // why the read failed
  TJournalBase readBase_;     // the file as last read or saved, for the journal
  std::unique_ptr<TTableJournal> journal_;
  QString journalProblem_;  // the journal's failure, told once
};

}  // namespace metrazil
