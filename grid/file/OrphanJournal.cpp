#include "grid/file/OrphanJournal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <utility>

#include "base/Exception.h"
#include "grid/file/JournalPlace.h"
#include "grid/file/SavePlace.h"
#include "grid/file/SystemCalls.h"

namespace metrazil {

namespace {

constexpr int kMaxSetAsideNames = 100;
constexpr std::int64_t kNanoseconds = 1000000000;

// All of a file from its start; false when it cannot be read.
bool ReadAll(int fd, std::size_t size, std::string& bytes) {
  bytes.resize(size);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = sys::Pread(fd, bytes.data() + done, size - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return true;
}

std::string SetAsideStem(const std::string& journalPath, const struct stat& info) {
  std::tm local{};
  ::localtime_r(&info.st_mtim.tv_sec, &local);
  char when[32];
  std::strftime(when, sizeof when, "%Y%m%d-%H%M%S", &local);
  return DirectoryOf(journalPath) + "/" + TableNameOf(NameOf(journalPath)) + ".unsaved-changes-" + when;
}

// Gives the file a second name without replacing anything there. Returns 0, or -1 with errno set.
int MoveNoReplace(const std::string& from, const std::string& to) {
  if (sys::RenameNoReplace(from.c_str(), to.c_str()) == 0) return 0;
  // File systems that cannot rename without replacing can mostly link.
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return -1;
  if (sys::Link(from.c_str(), to.c_str()) != 0) return -1;
  if (sys::Unlink(from.c_str()) == 0) return 0;
  const int error = errno;
  sys::Unlink(to.c_str());
  errno = error;
  return -1;
}

}  // namespace

TOrphanJournal::TOrphanJournal(int fd, std::string path, TJournalScan scan, std::int64_t started)
    : fd_(fd), path_(std::move(path)), scan_(std::move(scan)), started_(started) {}

TOrphanJournal::TOrphanJournal(TOrphanJournal&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      scan_(std::move(other.scan_)),
      started_(other.started_) {}

TOrphanJournal& TOrphanJournal::operator=(TOrphanJournal&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) sys::Close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    scan_ = std::move(other.scan_);
    started_ = other.started_;
  }
  return *this;
}

TOrphanJournal::~TOrphanJournal() {
  if (fd_ >= 0) sys::Close(fd_);
}

int TOrphanJournal::Release() { return std::exchange(fd_, -1); }

std::string TOrphanJournal::SetAside() {
  struct stat info {};
  if (sys::Fstat(fd_, &info) != 0) throw EInOutError::FromErrno(errno);
  const std::string stem = SetAsideStem(path_, info);
  for (int n = 1; n <= kMaxSetAsideNames; ++n) {
    std::string name = n == 1 ? stem : stem + "-" + std::to_string(n);
    if (MoveNoReplace(path_, name) == 0) {
      SyncDirectory(DirectoryOf(path_));
      sys::Close(Release());
      path_ = name;
      return name;
    }
    if (errno != EEXIST) throw EInOutError::FromErrno(errno);
  }
  throw EInOutError::FromErrno(EEXIST);
}

void TOrphanJournal::Remove() {
  if (sys::Unlink(path_.c_str()) != 0) throw EInOutError::FromErrno(errno);
  // Should the removal not reach the disk, the journal is only offered again.
  SyncDirectory(DirectoryOf(path_));
  sys::Close(Release());
}

std::vector<TOrphanJournal> FindJournals(const std::string& tablePath) {
  std::vector<TOrphanJournal> found;
  const std::string target = ResolveSaveTarget(tablePath);
  if (target.empty()) return found;
  const std::string directory = DirectoryOf(target);
  const std::string tableName = NameOf(target);
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(directory.c_str()); dir != nullptr) {
    while (const dirent* entry = ::readdir(dir)) {
      if (IsJournalOf(entry->d_name, tableName)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
  }
  bool removed = false;
  for (const std::string& name : names) {
    const std::string path = std::string(directory).append("/").append(name);
    struct stat info {};
    const int fd = OpenUnheldOwnFile(path, O_RDWR, info);
    if (fd < 0) continue;
    std::string bytes;
    if (!ReadAll(fd, static_cast<std::size_t>(info.st_size), bytes)) {
      sys::Close(fd);
      continue;
    }
    TJournalScan scan = TJournalScan::Of(bytes);
    if (scan.state != TJournalScan::TState::kDamaged && scan.entries.empty()) {
      removed = sys::Unlink(path.c_str()) == 0 || removed;
      sys::Close(fd);
      continue;
    }
    const std::int64_t started =
        scan.headerRead ? scan.header.createdNanoseconds : info.st_mtim.tv_sec * kNanoseconds + info.st_mtim.tv_nsec;
    found.push_back(TOrphanJournal(fd, path, std::move(scan), started));
  }
  if (removed) SyncDirectory(directory);
  std::sort(found.begin(), found.end(), [](const TOrphanJournal& a, const TOrphanJournal& b) {
    return a.Started() != b.Started() ? a.Started() < b.Started() : a.Path() < b.Path();
  });
  return found;
}

}  // namespace metrazil
