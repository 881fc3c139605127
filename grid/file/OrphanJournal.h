#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "grid/file/JournalBase.h"
#include "grid/file/JournalScan.h"

namespace metrazil {

// A journal of a table that no running instance holds: the work of an instance that was killed, crashed
// or lost its machine. It stays locked by this instance while it is offered, so that a second instance
// starting at the same time cannot offer it too; the lock goes when the object does, leaving the file.
//
// A journal is either replayed (its entries onto the table as read, then adopted by a TTableJournal, or
// rewritten into a new one and removed), set aside, or removed. One that is damaged, or whose base does not
// match the table as it is now (see Matches), must not be replayed: set it aside.
class TOrphanJournal {
 public:
  using TState = TJournalScan::TState;

  TOrphanJournal(TOrphanJournal&& other) noexcept;
  TOrphanJournal& operator=(TOrphanJournal&& other) noexcept;
  TOrphanJournal(const TOrphanJournal&) = delete;
  TOrphanJournal& operator=(const TOrphanJournal&) = delete;
  ~TOrphanJournal();

  const std::string& Path() const { return path_; }
  // kCutShort when its last entry was torn: the entries are those before it, and replaying them is right.
  TState State() const { return scan_.state; }
  // What the entries apply to; meaningless when damaged.
  const TJournalBase& Base() const { return scan_.header.base; }
  // Every whole entry in order; none when damaged.
  const std::vector<std::string>& Entries() const { return scan_.entries; }
  // When the journal was started, in nanoseconds since the epoch (the file's modification time when its
  // header does not read); journals are listed oldest first.
  std::int64_t Started() const { return started_; }

  // Keeps the journal under a visible name beside the table that says what it is,
  // "<table name>.unsaved-changes-YYYYMMDD-HHMMSS" after the local time it was last written (with "-2",
  // "-3", ... when that name is taken: no file is ever replaced), and returns its path. The lock goes.
  // Errors: EInOutError; the journal then stays where it was.
  std::string SetAside();
  // Removes the journal, and with it the lock. Errors: EInOutError; the journal then stays.
  void Remove();

 private:
  friend std::vector<TOrphanJournal> FindJournals(const std::string& tablePath);
  friend class TTableJournal;

  TOrphanJournal(int fd, std::string path, TJournalScan scan, std::int64_t started);
  // The descriptor, still open and locked; the object is spent.
  int Release();

  int fd_ = -1;
  std::string path_;
  TJournalScan scan_;
  std::int64_t started_ = 0;
};

// The journals of the table at tablePath (through symbolic links, as a save goes) that no running instance
// holds, this one included, oldest first. Only regular files of this user count. A journal that holds no
// entry (its instance was killed before anything was written) is removed on the way and not listed.
// Never fails: a journal that cannot be opened or locked now is left for another time.
std::vector<TOrphanJournal> FindJournals(const std::string& tablePath);

}  // namespace metrazil
