#include "grid/file/SafeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "base/Exception.h"
#include "grid/file/FileAttributes.h"
#include "grid/file/SavePlace.h"
#include "grid/file/SystemCalls.h"

namespace metrazil {

namespace {

// A file made for the save: closed, and removed unless Keep was called, when it goes out of scope.
class PendingFile {
 public:
  PendingFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PendingFile() {
    if (fd_ >= 0) sys::Close(fd_);
    if (!path_.empty()) sys::Unlink(path_.c_str());
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  int Fd() const { return fd_; }
  // Hands the descriptor over, still open.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Keep() { path_.clear(); }

 private:
  int fd_;
  std::string path_;
};

void Check(int result) {
  if (result != 0) throw EInOutError::FromErrno(errno);
}

// Copies all of one file from its start over another from its start, then cuts the other to that length.
// Over the old bytes first and cut after, so a copy no longer than the file reuses its blocks and cannot
// meet a full disk. Returns 0, or -1 with errno set.
int CopyOver(int from, int to) {
  constexpr std::size_t kChunk = std::size_t{1} << 20;
  const std::unique_ptr<char[]> buffer(new char[kChunk]);
  off_t at = 0;
  for (;;) {
    const ssize_t got = sys::Pread(from, buffer.get(), kChunk, at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) return sys::Ftruncate(to, at);
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = sys::Pwrite(to, buffer.get() + done, static_cast<std::size_t>(got - done), at + done);
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return -1;
      done += put;
    }
    at += got;
  }
}

}  // namespace

TSafeFile::TSafeFile(const std::string& path, TBackup backup) : backup_(backup) {
  const auto cannotCreate = [&path]() { return ETableGridError("Cannot Create " + path); };
  if (path.empty() || path.back() == '/') throw cannotCreate();
  target_ = ResolveSaveTarget(path);
  if (target_.empty()) throw cannotCreate();
  struct stat old;
  if (sys::Stat(target_.c_str(), &old) == 0) {
    // A file without any write permission counts as read-only, for root too.
    if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || sys::Access(target_.c_str(), W_OK) != 0) {
      throw cannotCreate();
    }
    targetFd_ = sys::Open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (targetFd_ < 0 || sys::Flock(targetFd_, LOCK_EX | LOCK_NB) != 0) {
      if (targetFd_ >= 0) sys::Close(targetFd_);
      throw cannotCreate();
    }
  } else if (errno != ENOENT) {
    // Only a file that is not there is saved as a new one: replacing one that could not be looked at would
    // lose its other links and attributes.
    throw cannotCreate();
  }
  tempFd_ = CreateSaveTemporary(target_, tempPath_);
  if (tempFd_ < 0) {
    if (targetFd_ >= 0) sys::Close(targetFd_);
    throw cannotCreate();
  }
}

TSafeFile::~TSafeFile() {
  if (tempFd_ >= 0) sys::Close(tempFd_);
  if (!tempPath_.empty()) sys::Unlink(tempPath_.c_str());
  if (backupFd_ >= 0) sys::Close(backupFd_);
  if (targetFd_ >= 0) sys::Close(targetFd_);
}

void TSafeFile::Write(const char* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t written = sys::Write(tempFd_, bytes + done, size - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw EInOutError::FromErrno(errno);
    }
    done += static_cast<std::size_t>(written);
  }
}

void TSafeFile::Commit() {
  if (targetFd_ < 0) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    Check(sys::Fchmod(tempFd_, 0666 & ~mask));
    ReplaceTarget();
    return;
  }
  struct stat old;
  Check(sys::Fstat(targetFd_, &old));
  if (backup_ == TBackup::kKeepOld) MakeBackup(old);
  if (TakeOverIdentity(old)) {
    ReplaceTarget();
    return;
  }
  WriteInPlace(old);
}

bool TSafeFile::TakeOverIdentity(const struct stat& old) {
  // Other names of the file would keep the old content.
  if (old.st_nlink != 1) return false;
  if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && sys::Fchown(tempFd_, old.st_uid, old.st_gid) != 0) {
    return false;
  }
  const bool attributes = CopyFileAttributes(targetFd_, tempFd_);
  Check(sys::Fchmod(tempFd_, old.st_mode & 07777));
  return attributes;
}

void TSafeFile::MakeBackup(const struct stat& old) {
  std::string tempPath;
  const int fd = CreateSaveTemporary(target_, tempPath);
  if (fd < 0) throw EInOutError::FromErrno(errno);
  PendingFile backup(fd, tempPath);
  Check(CopyOver(targetFd_, fd));
  mode_t mode = old.st_mode & 0777;
  // A backup in a group the user cannot give is readable by that group no more than by others.
  if (old.st_gid != ::getegid() && sys::Fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    mode = (mode & 0707) | ((mode & 07) << 3);
  }
  CopyFileAttributes(targetFd_, fd);  // the content is what the backup is for
  Check(sys::Fchmod(fd, mode));
  Check(sys::Fsync(fd));
  Check(sys::Rename(tempPath.c_str(), (target_ + ".bak").c_str()));
  backup.Keep();
  // Open for as long as the save: an in-place write that fails is undone from it. Its close has nothing
  // to report that fsync did not.
  backupFd_ = backup.Release();
  // A failure to make the rename durable endangers neither version.
  SyncDirectory(DirectoryOf(target_));
}

void TSafeFile::WriteInPlace(const struct stat& old) {
  // Whatever could fail besides the writing comes before the old bytes change: the temporary file's name
  // goes first (its descriptor still reads), so a save that cannot remove it leaves the target alone.
  Check(sys::Unlink(tempPath_.c_str()));
  tempPath_.clear();
  if (backupFd_ < 0) MakeBackup(old);
  PendingFile out(sys::Open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY), {});
  if (out.Fd() < 0) throw EInOutError::FromErrno(errno);
  struct stat opened;
  Check(sys::Fstat(out.Fd(), &opened));
  // The name must still lead to the file locked and backed up.
  if (opened.st_dev != old.st_dev || opened.st_ino != old.st_ino) throw EInOutError::FromErrno(EBUSY);
  if (CopyOver(tempFd_, out.Fd()) != 0 || sys::Fsync(out.Fd()) != 0) {
    const int error = errno;
    // The old bytes go back from the backup just made; should that fail too, the backup keeps them.
    if (CopyOver(backupFd_, out.Fd()) == 0) sys::Fsync(out.Fd());
    throw EInOutError::FromErrno(error);
  }
  // The bytes are on disk once fsync has returned; a failing close cannot take them back.
}

void TSafeFile::ReplaceTarget() {
  Check(sys::Fsync(tempFd_));
  const int fd = tempFd_;
  tempFd_ = -1;
  if (sys::Close(fd) != 0) throw EInOutError::FromErrno(errno);
  Check(sys::Rename(tempPath_.c_str(), target_.c_str()));
  tempPath_.clear();
  // A failure to make the rename durable endangers neither version.
  SyncDirectory(DirectoryOf(target_));
}

}  // namespace metrazil
