#include "grid/file/SavePlace.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace metrazil {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on links followed in one lookup
constexpr std::size_t kRandomPart = 6;
constexpr int kMaxAttempts = 100;

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ResolveSaveTarget(const std::string& path) {
  if (std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free); real) {
    return real.get();
  }
  // realpath fails for a link whose target is missing: follow the links by hand to the name to create.
  std::string at = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info;
    if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
    char link[PATH_MAX];
    const ssize_t size = ::readlink(at.c_str(), link, sizeof link);
    if (size <= 0 || static_cast<std::size_t>(size) >= sizeof link) return {};
    const std::string next(link, static_cast<std::size_t>(size));
    at = next.front() == '/' ? next : DirectoryOf(at) + "/" + next;
  }
  return {};
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int CreateSaveTemporary(const std::string& target, std::string& tempPath) {
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    tempPath = DirectoryOf(target) + "/." + NameOf(target) + "." + std::string(kRandomPart, 'X');
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0) break;
    // Another instance's clean-up may take the file in the instant before it is locked: then make another.
    // A file system without locks still gets its temporary file.
    const bool taken = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    struct stat info;
    if (!taken && ::fstat(fd, &info) == 0 && info.st_nlink > 0) return fd;
    ::close(fd);
    errno = EEXIST;
  }
  const int error = errno;
  tempPath.clear();
  errno = error;
  return -1;
}

}  // namespace metrazil
