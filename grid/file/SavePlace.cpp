#include "grid/file/SavePlace.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "grid/file/SystemCalls.h"

namespace metrazil {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on links followed in one lookup
constexpr std::size_t kRandomPart = 6;
constexpr int kMaxAttempts = 100;

// mkostemp fills its six places with letters and digits.
bool IsTemporaryOf(const std::string& entry, const std::string& tableName) {
  const std::string prefix = "." + tableName + ".";
  if (entry.size() != prefix.size() + kRandomPart || entry.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < entry.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(entry[i]))) return false;
  }
  return true;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes one entry when it is a stale temporary of this user; the entry is checked through the file
// opened, so a name swapped in meanwhile is left alone.
bool RemoveIfStale(const std::string& path) {
  struct stat info {};
  const int fd = OpenUnheldOwnFile(path, O_RDONLY, info);
  if (fd < 0) return false;
  const bool removed = sys::Unlink(path.c_str()) == 0;
  sys::Close(fd);
  return removed;
}

}  // namespace

std::string ResolveSaveTarget(const std::string& path) {
  if (std::unique_ptr<char, decltype(&std::free)> real(sys::Realpath(path.c_str(), nullptr), &std::free); real) {
    return real.get();
  }
  // realpath fails for a link whose target is missing: follow the links by hand to the name to create.
  std::string at = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info;
    if (sys::Lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
    char link[PATH_MAX];
    const ssize_t size = sys::Readlink(at.c_str(), link, sizeof link);
    if (size <= 0 || static_cast<std::size_t>(size) >= sizeof link) return {};
    const std::string next(link, static_cast<std::size_t>(size));
    if (next.front() == '/') {
      at = next;
    } else {
      at = DirectoryOf(at).append("/").append(next);
    }
  }
  return {};
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int SyncDirectory(const std::string& directory) {
  const int fd = sys::Open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int synced = sys::Fsync(fd);
  const int error = errno;
  sys::Close(fd);
  errno = error;
  return synced;
}

int OpenUnheldOwnFile(const std::string& path, int flags, struct stat& info) {
  const int fd = sys::Open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat named {};
  if (sys::Fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
      sys::Flock(fd, LOCK_EX | LOCK_NB) != 0 || sys::Fstat(fd, &info) != 0 || sys::Lstat(path.c_str(), &named) != 0 ||
      !SameFile(info, named)) {
    sys::Close(fd);
    return -1;
  }
  return fd;
}

int CreateLockedFile(const std::string& pattern, bool lockRequired, std::string& path) {
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    path = pattern;
    const int fd = sys::Mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) break;
    // Another instance may take the new, empty file in the instant before it is locked (a clean-up of killed
    // saves, a recovery scan that finds a journal holding nothing): then make another.
    int error = EEXIST;
    struct stat info {};
    const bool notLocked = sys::Flock(fd, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || lockRequired);
    if (notLocked || sys::Fstat(fd, &info) != 0) {
      error = errno;
    } else if (info.st_nlink > 0) {
      return fd;
    }
    if (error != EWOULDBLOCK && error != EEXIST) {
      // A file made here that cannot be locked or checked fails the creation rather than stay.
      sys::Unlink(path.c_str());
      sys::Close(fd);
      path.clear();
      errno = error;
      return -1;
    }
    sys::Close(fd);
    errno = EEXIST;
  }
  const int error = errno;
  path.clear();
  errno = error;
  return -1;
}

int CreateSaveTemporary(const std::string& target, std::string& tempPath) {
  // A file system without locks still gets its temporary file.
  return CreateLockedFile(DirectoryOf(target) + "/." + NameOf(target) + "." + std::string(kRandomPart, 'X'), false,
                          tempPath);
}

int RemoveStaleTemporaries(const std::string& tablePath) {
  const std::string target = ResolveSaveTarget(tablePath);
  if (target.empty()) return 0;
  // A shared lock, as a reader's: it cannot be had while a save holds the table, and reads go on.
  const int table = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (table >= 0 && ::flock(table, LOCK_SH | LOCK_NB) != 0) {
    ::close(table);
    return 0;
  }
  int removed = 0;
  const std::string directory = DirectoryOf(target);
  if (DIR* dir = ::opendir(directory.c_str()); dir != nullptr) {
    const std::string tableName = NameOf(target);
    while (const dirent* entry = ::readdir(dir)) {
      if (IsTemporaryOf(entry->d_name, tableName) && RemoveIfStale(directory + "/" + entry->d_name)) ++removed;
    }
    ::closedir(dir);
  }
  if (table >= 0) ::close(table);
  return removed;
}

}  // namespace metrazil
