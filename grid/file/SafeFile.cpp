#include "grid/file/SafeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "base/Exception.h"

namespace metrazil {

namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TSafeFile::TSafeFile(const std::string& path) {
  const auto cannotCreate = [&path]() { return ETableGridError("Cannot Create " + path); };
  if (path.empty() || path.back() == '/') throw cannotCreate();
  target_ = path;
  if (std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free); real) {
    target_ = real.get();
  }
  struct stat old;
  targetExists_ = ::stat(target_.c_str(), &old) == 0;
  if (targetExists_) {
    // A file without any write permission counts as read-only, for root too.
    if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0) {
      throw cannotCreate();
    }
    targetMode_ = old.st_mode & 07777;
    targetUid_ = old.st_uid;
    targetGid_ = old.st_gid;
    targetFd_ = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (targetFd_ < 0 || ::flock(targetFd_, LOCK_EX | LOCK_NB) != 0) {
      if (targetFd_ >= 0) ::close(targetFd_);
      throw cannotCreate();
    }
  }
  const std::size_t slash = target_.rfind('/');
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  tempPath_ = DirectoryOf(target_) + "/." + name + ".XXXXXX";
  tempFd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
  if (tempFd_ < 0) {
    tempPath_.clear();
    if (targetFd_ >= 0) ::close(targetFd_);
    throw cannotCreate();
  }
}

TSafeFile::~TSafeFile() {
  if (tempFd_ >= 0) ::close(tempFd_);
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  if (targetFd_ >= 0) ::close(targetFd_);
}

void TSafeFile::Write(const char* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t written = ::write(tempFd_, bytes + done, size - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw EInOutError::FromErrno(errno);
    }
    done += static_cast<std::size_t>(written);
  }
}

void TSafeFile::Commit() {
  const mode_t mode = targetExists_ ? targetMode_ : [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  if (::fchmod(tempFd_, mode) != 0) throw EInOutError::FromErrno(errno);
  if (targetExists_ && (targetUid_ != ::geteuid() || targetGid_ != ::getegid())) {
    [[maybe_unused]] const int ignored = ::fchown(tempFd_, targetUid_, targetGid_);  // kept where allowed
  }
  if (::fsync(tempFd_) != 0) throw EInOutError::FromErrno(errno);
  const int fd = tempFd_;
  tempFd_ = -1;
  if (::close(fd) != 0) throw EInOutError::FromErrno(errno);
  if (::rename(tempPath_.c_str(), target_.c_str()) != 0) throw EInOutError::FromErrno(errno);
  tempPath_.clear();
  // Make the rename itself durable; a failure here no longer endangers either version.
  if (const int dir = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace metrazil
