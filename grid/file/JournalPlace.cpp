#include "grid/file/JournalPlace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "grid/file/SavePlace.h"
#include "grid/file/SystemCalls.h"

namespace metrazil {

namespace {

constexpr char kInfix[] = ".journal-";
constexpr std::size_t kRandomPart = 6;
constexpr int kMaxAttempts = 100;

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AllOf(const std::string& text, std::size_t from, std::size_t to, auto test) {
  for (std::size_t i = from; i < to; ++i) {
    if (!test(static_cast<unsigned char>(text[i]))) return false;
  }
  return from < to;
}

}  // namespace

bool IsJournalOf(const std::string& entry, const std::string& tableName) {
  const std::string prefix = "." + tableName + kInfix;
  if (entry.size() <= prefix.size() + 1 + kRandomPart || entry.compare(0, prefix.size(), prefix) != 0) return false;
  const std::size_t dash = entry.size() - kRandomPart - 1;
  return entry[dash] == '-' && AllOf(entry, prefix.size(), dash, [](int c) { return std::isdigit(c); }) &&
         AllOf(entry, dash + 1, entry.size(), [](int c) { return std::isalnum(c); });
}

int CreateJournalFile(const std::string& target, std::string& path) {
  const std::string pattern = DirectoryOf(target) + "/." + NameOf(target) + kInfix + std::to_string(::getpid()) + "-" +
                              std::string(kRandomPart, 'X');
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    path = pattern;
    const int fd = sys::Mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) break;
    // A recovery scan of another instance may lock the new, empty file before this one does, and remove it
    // as a journal holding nothing: then make another.
    int error = EEXIST;
    struct stat info {};
    if (sys::Flock(fd, LOCK_EX | LOCK_NB) != 0 || sys::Fstat(fd, &info) != 0) {
      error = errno;
    } else if (info.st_nlink > 0) {
      return fd;
    }
    if (error != EWOULDBLOCK && error != EEXIST) {
      // A journal that cannot be locked could be taken by another instance as a crashed one's.
      sys::Unlink(path.c_str());
      sys::Close(fd);
      path.clear();
      errno = error;
      return -1;
    }
    sys::Close(fd);
    errno = error;
  }
  const int error = errno;
  path.clear();
  errno = error;
  return -1;
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

}  // namespace metrazil
