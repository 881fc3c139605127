#include "grid/file/TableJournal.h"

#include <unistd.h>

#include <cerrno>
#include <random>
#include <utility>

#include "grid/file/JournalPlace.h"
#include "grid/file/SavePlace.h"
#include "grid/file/SystemCalls.h"

namespace metrazil {

namespace {

std::uint64_t RandomSalt() {
  std::random_device device;
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return (std::uint64_t{device()} << 32 | device()) ^ now;
}

std::int64_t NowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

TTableJournal::TTableJournal(std::string tablePath, TJournalBase base, TFailureHandler onFailure)
    : tablePath_(std::move(tablePath)), onFailure_(std::move(onFailure)) {
  header_.base = base;
  worker_ = std::thread(&TTableJournal::Run, this);
}

TTableJournal::TTableJournal(std::string tablePath, TOrphanJournal&& orphan, TFailureHandler onFailure)
    : tablePath_(std::move(tablePath)), onFailure_(std::move(onFailure)) {
  if (orphan.State() == TOrphanJournal::TState::kDamaged) throw EInOutError::FromErrno(EINVAL);
  header_ = orphan.scan_.header;
  adoptedEnd_ = orphan.scan_.end;
  adoptedCutShort_ = orphan.State() == TOrphanJournal::TState::kCutShort;
  filePath_ = orphan.Path();
  path_ = filePath_;
  fd_ = orphan.Release();
  adopting_ = true;
  worker_ = std::thread(&TTableJournal::Run, this);
}

TTableJournal::~TTableJournal() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

void TTableJournal::Append(std::string entry) {
  bool first = false;
  {
    const std::lock_guard lock(mutex_);
    ++appended_;
    if (discarded_ || failure_) return;
    first = queue_.empty();
    queue_.push_back(std::move(entry));
  }
  if (first) wake_.notify_one();
}

void TTableJournal::Rebase(TJournalBase base) {
  {
    const std::lock_guard lock(mutex_);
    if (discarded_) return;
    queue_.clear();
    pendingBase_ = base;
    rebaseMark_ = appended_;
    failure_.reset();
    ++epoch_;
  }
  wake_.notify_one();
}

bool TTableJournal::Discard(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  if (!discarded_) {
    discarded_ = true;
    discardWanted_ = true;
    queue_.clear();
    pendingBase_.reset();
    ++epoch_;
    wake_.notify_one();
  }
  return done_.wait_for(lock, limit, [this] { return discardDone_; }) && removed_;
}

bool TTableJournal::SyncNow(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  const std::uint64_t target = appended_;
  // A save's Rebase is done too: its old journal gone, so a start after this finds nothing to set aside.
  const auto done = [this, target] { return durable_ >= target && doneEpoch_ == epoch_; };
  if (done()) return true;
  if (failure_ || discarded_) return false;
  syncWanted_ = true;
  wake_.notify_one();
  return done_.wait_for(lock, limit, [&] { return done() || failure_; }) && done();
}

std::uint64_t TTableJournal::Appended() const {
  const std::lock_guard lock(mutex_);
  return appended_;
}

std::uint64_t TTableJournal::Durable() const {
  const std::lock_guard lock(mutex_);
  return durable_;
}

std::optional<EInOutError> TTableJournal::Failure() const {
  const std::lock_guard lock(mutex_);
  return failure_;
}

std::string TTableJournal::Path() const {
  const std::lock_guard lock(mutex_);
  return path_;
}

void TTableJournal::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    const auto ready = [this] {
      return stop_ || discardWanted_ || pendingBase_ || !queue_.empty() || syncWanted_ || adopting_;
    };
    while (!ready()) {
      if (!unsynced_) {
        wake_.wait(lock);
        continue;
      }
      const auto due = lastSync_ + kSyncSpacing;
      if (std::chrono::steady_clock::now() >= due) break;
      wake_.wait_until(lock, due);
    }
    TJob job;
    job.entries.swap(queue_);
    job.rebase = std::exchange(pendingBase_, std::nullopt);
    job.rebaseMark = rebaseMark_;
    job.discard = std::exchange(discardWanted_, false);
    job.sync = std::exchange(syncWanted_, false);
    job.stop = stop_;
    job.epoch = epoch_;
    lock.unlock();

    const int error = Work(job);
    if (error != 0) {
      // Nothing more goes to this file, nor is it synced again: after a failing fdatasync a second one can
      // succeed without the bytes being on disk.
      stopped_ = true;
      unsynced_ = false;
    }

    lock.lock();
    if (job.rebase) written_ = durable_ = std::max(durable_, job.rebaseMark);
    if (job.discard) {
      discardDone_ = true;
      removed_ = error == 0;
    }
    if (error == 0) {
      written_ += job.entries.size();
      if (!unsynced_) durable_ = std::max(durable_, written_);
    }
    path_ = filePath_;
    doneEpoch_ = job.epoch;
    if (error != 0) {
      lock.unlock();
      Fail(error, job.epoch);
      lock.lock();
    }
    done_.notify_all();
    if (job.stop) break;
  }
  lock.unlock();
  if (fd_ >= 0) sys::Close(fd_);
}

int TTableJournal::Work(TJob& job) {
  if (adopting_) {
    adopting_ = false;
    if (const int error = Adopt(); error != 0) return error;
  }
  if (job.discard) {
    job.entries.clear();
    return RemoveFile();
  }
  if (job.rebase) {
    header_.base = *job.rebase;
    stopped_ = false;
    if (const int error = RemoveFile(); error != 0) return error;
  }
  if (stopped_) {
    // Appended before the failure was known: dropped, never counted as written.
    job.entries.clear();
    return 0;
  }
  if (!job.entries.empty()) {
    for (const std::string& entry : job.entries) {
      if (entry.size() > TJournalHeader::kMaxEntrySize) return EFBIG;
    }
    if (fd_ < 0) {
      if (const int error = Create(job.entries); error != 0) return error;
    } else {
      std::string bytes;
      for (const std::string& entry : job.entries) header_.AppendEntry(bytes, entry);
      if (const int error = WriteAt(bytes); error != 0) return error;
    }
    unsynced_ = true;
  }
  if (unsynced_ && (job.sync || job.stop || std::chrono::steady_clock::now() >= lastSync_ + kSyncSpacing)) {
    return Sync();
  }
  return 0;
}

int TTableJournal::Adopt() {
  end_ = adoptedEnd_;
  if (!adoptedCutShort_) return 0;
  // The torn entry goes before anything follows it, or the journal would read as damaged.
  if (sys::Ftruncate(fd_, static_cast<off_t>(end_)) != 0 || sys::Fdatasync(fd_) != 0) return errno;
  return 0;
}

int TTableJournal::Create(const std::vector<std::string>& entries) {
  const std::string target = ResolveSaveTarget(tablePath_);
  if (target.empty()) return ELOOP;
  try {
    header_.base.TakeHash(tablePath_);
  } catch (const EInOutError& e) {
    return e.Code();
  }
  header_.salt = RandomSalt();
  header_.createdNanoseconds = NowNanoseconds();
  fd_ = CreateJournalFile(target, filePath_);
  if (fd_ < 0) return errno;
  end_ = 0;
  std::string bytes = header_.Encode();
  for (const std::string& entry : entries) header_.AppendEntry(bytes, entry);
  if (const int error = WriteAt(bytes); error != 0) return error;
  if (SyncDirectory(DirectoryOf(target)) != 0) return errno;
  return 0;
}

int TTableJournal::WriteAt(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = sys::Pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(end_ + done));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    done += static_cast<std::size_t>(put);
  }
  end_ += done;
  return 0;
}

int TTableJournal::RemoveFile() {
  unsynced_ = false;
  if (fd_ < 0) return 0;
  if (sys::Unlink(filePath_.c_str()) != 0) return errno;
  // Should the removal not reach the disk, the old journal comes back with a base the table no longer
  // has: it is set aside, never replayed.
  SyncDirectory(DirectoryOf(filePath_));
  sys::Close(fd_);
  fd_ = -1;
  filePath_.clear();
  return 0;
}

int TTableJournal::Sync() {
  lastSync_ = std::chrono::steady_clock::now();
  if (sys::Fdatasync(fd_) != 0) return errno;
  unsynced_ = false;
  return 0;
}

void TTableJournal::Fail(int error, std::uint64_t epoch) {
  std::optional<EInOutError> reported;
  {
    const std::lock_guard lock(mutex_);
    // A failure of a journal already rebased or discarded concerns a file that is gone.
    if (epoch != epoch_ || failure_) return;
    failure_ = EInOutError::FromErrno(error);
    queue_.clear();
    reported = failure_;
  }
  if (onFailure_) onFailure_(*reported);
}

}  // namespace metrazil
