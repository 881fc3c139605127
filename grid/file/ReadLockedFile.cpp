#include "grid/file/ReadLockedFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Exception.h"

namespace metrazil {

TReadLockedFile::TReadLockedFile(const std::string& path) {
  // Non-blocking open so a FIFO cannot hang the program; only regular files are read.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  struct stat info;
  if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
    if (fd_ >= 0) ::close(fd_);
    throw ETableGridError("Cannot open file " + path);
  }
  size_ = static_cast<std::size_t>(info.st_size);
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

void TReadLockedFile::Close() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw EInOutError::FromErrno(errno);
}

}  // namespace metrazil
