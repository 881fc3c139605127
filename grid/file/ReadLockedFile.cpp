#include "grid/file/ReadLockedFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "base/Exception.h"

namespace metrazil {

namespace {

// A file replaced between opening and locking is opened again; a few times, since saves may follow each
// other closely.
constexpr int kMaxReplaced = 8;

}  // namespace

TReadLockedFile::TReadLockedFile(const std::string& path) : TReadLockedFile(path, nullptr, {}) {}

TReadLockedFile::TReadLockedFile(const std::string& path, const TWait& wait, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (int replaced = 0;;) {
    switch (TryOpen(path)) {
      case TAttempt::kOpened:
        return;
      case TAttempt::kReplaced:
        if (++replaced < kMaxReplaced) continue;
        break;
      case TAttempt::kHeld:
        if (std::chrono::steady_clock::now() < deadline && (!wait || wait())) {
          std::this_thread::sleep_for(kRetryInterval);
          continue;
        }
        break;
      case TAttempt::kFailed:
        break;
    }
    throw ETableGridError("Cannot open file " + path);
  }
}

TReadLockedFile::TAttempt TReadLockedFile::TryOpen(const std::string& path) {
  // Non-blocking open so a FIFO cannot hang the program; only regular files are read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return TAttempt::kFailed;
  struct stat opened;
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    ::close(fd);
    return TAttempt::kFailed;
  }
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? TAttempt::kHeld : TAttempt::kFailed;
  }
  // The lock may come from a save that has just put a new file in place of the one opened.
  struct stat named;
  if (::stat(path.c_str(), &named) != 0 || named.st_dev != opened.st_dev || named.st_ino != opened.st_ino) {
    ::close(fd);
    return TAttempt::kReplaced;
  }
  fd_ = fd;
  opened_ = opened;
  return TAttempt::kOpened;
}

TReadLockedFile::~TReadLockedFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t TReadLockedFile::Read(char* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, capacity);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw EInOutError::FromErrno(errno);
  }
}

void TReadLockedFile::Rewind() {
  if (::lseek(fd_, 0, SEEK_SET) != 0) throw EInOutError::FromErrno(errno);
}

void TReadLockedFile::Close() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw EInOutError::FromErrno(errno);
}

}  // namespace metrazil
