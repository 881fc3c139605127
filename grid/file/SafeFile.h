#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace metrazil {

// Replaces a file as a whole: the bytes go to a temporary file in the target's directory, which Commit
// flushes to disk and renames over the target, keeping the target's mode and, where allowed, its owner.
// Through a symbolic link the file it points to is replaced, not the link. Until Commit the target is
// untouched, and a TSafeFile destroyed before that leaves nothing behind.
//
// The target is held under an exclusive lock from the start: a reader holding a TReadLockedFile on it
// keeps it from being replaced, and the other way round.
class TSafeFile {
 public:
  // Errors: ETableGridError "Cannot Create <path>" when the path names a directory or no regular file,
  // the target has no write permission, a reader holds it, or no temporary file can be made beside it.
  explicit TSafeFile(const std::string& path);
  ~TSafeFile();
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;

  // Errors: EInOutError.
  void Write(const char* bytes, std::size_t size);
  // Errors: EInOutError; the target then stays as it was.
  void Commit();

 private:
  std::string target_;
  std::string tempPath_;  // empty once renamed into place
  int tempFd_ = -1;
  int targetFd_ = -1;  // holds the lock on an existing target
  bool targetExists_ = false;
  mode_t targetMode_ = 0;
  uid_t targetUid_ = 0;
  gid_t targetGid_ = 0;
};

}  // namespace metrazil
