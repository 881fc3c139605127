#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Exception.h"
#include "grid/file/JournalBase.h"
#include "grid/file/JournalHeader.h"
#include "grid/file/OrphanJournal.h"

namespace metrazil {

// The recovery journal of one table in this instance: every entry (an opaque byte string, such as an
// encoded undo step) appended since the table was last read or saved, in a hidden file beside the table
// (see JournalPlace.h), so that the work survives a kill, a crash or a power cut. The file is made at the
// first entry and holds the journal's base first (see JournalHeader.h); it is locked for as long as this
// instance holds it, so no other instance offers it for recovery, and the lock goes with the process.
//
// Cadence: a worker thread writes each entry to the file as soon as it comes (well within 0.2 s) and makes
// it durable with fdatasync at once when the last fdatasync began at least kSyncSpacing ago, otherwise
// when that much time has passed, so entries that come faster are made durable together, each within
// kSyncSpacing and one fdatasync of its Append. The calls below never wait for a disk, except Discard and
// SyncNow, which wait a bounded time. Append, Rebase, Discard and SyncNow belong to one thread (the
// window's); the accessors may be called from any.
//
// Errors: a failing system call (or an entry of 4 GiB or more, EFBIG) stops the journal: the failure is
// reported once, through the handler and Failure(), and the entries appended after it are dropped, not
// retried. What was made durable before it stays in the file. The next Rebase (after a save) starts the
// journal afresh. Nothing here throws but the constructors.
class TTableJournal {
 public:
  // Called on the worker thread, once per failure; must not call the journal's operations.
  using TFailureHandler = std::function<void(const EInOutError&)>;

  static constexpr std::chrono::milliseconds kSyncSpacing{250};
  static constexpr std::chrono::milliseconds kWaitLimit{1000};

  // A journal of the table at tablePath as it was read (or saved) at base; no file until the first entry.
  TTableJournal(std::string tablePath, TJournalBase base, TFailureHandler onFailure = {});
  // Goes on with an orphan journal of the table, after its entries were replayed: a torn last entry is
  // cut off first, and the lock is kept throughout. Errors: EInOutError (EINVAL) for a damaged journal.
  TTableJournal(std::string tablePath, TOrphanJournal&& orphan, TFailureHandler onFailure = {});
  // Writes what was appended, makes it durable and stops the worker; the file stays (Discard removes it).
  ~TTableJournal();
  TTableJournal(const TTableJournal&) = delete;
  TTableJournal& operator=(const TTableJournal&) = delete;

  // Costs the entry's move and a lock, never a disk's wait. Nothing after Discard or a failure.
  void Append(std::string entry);
  // The table was saved: base is what it now is on disk. The file goes (entries not yet written go
  // with it; they are in the saved table), and the next entry starts a new one. A kill at any point leaves
  // either the old journal, whose base no longer matches the saved table, or none.
  void Rebase(TJournalBase base);
  // Removes the file, for closing without saving or an ordinary exit; later entries are dropped. Returns
  // whether no journal file is left, waiting up to limit.
  bool Discard(std::chrono::milliseconds limit = kWaitLimit);
  // Writes and makes durable everything appended, and finishes a Rebase, waiting up to limit (for a signal
  // or the session's end). Returns whether all of it is done. Not safe in a signal handler.
  bool SyncNow(std::chrono::milliseconds limit = kWaitLimit);

  std::uint64_t Appended() const;
  // How many of the entries appended are durable (or, before a Rebase, saved with the table).
  std::uint64_t Durable() const;
  std::optional<EInOutError> Failure() const;
  // The journal file; empty while there is none.
  std::string Path() const;

 private:
  struct TJob {
    std::vector<std::string> entries;
    std::optional<TJournalBase> rebase;
    std::uint64_t rebaseMark = 0;
    bool discard = false;
    bool sync = false;
    bool stop = false;
    std::uint64_t epoch = 0;
  };

  void Run();
  // Does the job's disk work; returns the error that stopped it, or 0.
  int Work(TJob& job);
  int Adopt();
  int Create(const std::vector<std::string>& entries);
  int WriteAt(const std::string& bytes);
  int RemoveFile();
  int Sync();
  void Fail(int error, std::uint64_t epoch);

  const std::string tablePath_;
  const TFailureHandler onFailure_;

  // The worker's own.
  TJournalHeader header_;
  int fd_ = -1;
  std::string filePath_;
  std::uint64_t end_ = 0;       // where the next entry goes
  std::size_t adoptedEnd_ = 0;  // the end of an adopted journal's last whole entry
  bool adoptedCutShort_ = false;
  bool adopting_ = false;
  bool unsynced_ = false;
  bool stopped_ = false;  // by a failure, until the next Rebase
  std::chrono::steady_clock::time_point lastSync_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;  // the worker
  std::condition_variable done_;  // callers waiting for the worker
  std::vector<std::string> queue_;
  std::optional<TJournalBase> pendingBase_;
  std::uint64_t rebaseMark_ = 0;
  bool discardWanted_ = false;
  bool discarded_ = false;    // Discard was called
  bool discardDone_ = false;  // and the worker has tried to remove the file
  bool removed_ = false;      // with success
  bool syncWanted_ = false;
  bool stop_ = false;
  std::uint64_t epoch_ = 0;      // counts Rebase and Discard calls
  std::uint64_t doneEpoch_ = 0;  // the epoch of the last job the worker finished
  std::uint64_t appended_ = 0;
  std::uint64_t written_ = 0;
  std::uint64_t durable_ = 0;
  std::optional<EInOutError> failure_;
  std::string path_;

  std::thread worker_;  // last: starts once everything above is built
};

}  // namespace metrazil
