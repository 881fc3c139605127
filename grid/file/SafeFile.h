#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>

namespace metrazil {

// Replaces a file as a whole: the bytes go to a temporary file in the target's directory, which Commit
// flushes to disk and puts in place of the target. Until Commit the target is untouched, and a TSafeFile
// destroyed before that leaves nothing behind.
//
// The new file keeps what the old one is: its mode, extended attributes and ACL, and its owner and group
// where allowed. Where a new file cannot keep them (the old one has more than one hard link, an owner or
// group this user cannot give, or attributes that cannot be copied), Commit copies the old file to
// "<target>.bak" and then writes the target in place. Through a symbolic link the file it points to is
// written, also one the link names but that does not exist yet.
//
// The target is held under an exclusive lock from the start: a reader holding a TReadLockedFile on it
// keeps it from being replaced, and the other way round.
class TSafeFile {
 public:
  enum class TBackup {
    kNone,
    kKeepOld,  // Commit first keeps the old file as "<target>.bak", replacing an older backup
  };

  // Errors: ETableGridError "Cannot Create <path>" when the path names a directory or no regular file,
  // the target cannot be looked at or has no write permission, a reader holds it, or no temporary file can
  // be made beside it (so also for a link into a folder that does not exist).
  explicit TSafeFile(const std::string& path, TBackup backup = TBackup::kNone);
  ~TSafeFile();
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;

  // Errors: EInOutError.
  void Write(const char* bytes, std::size_t size);
  // Errors: EInOutError; the target then stays as it was. An in-place write that fails is undone from the
  // backup, which keeps the old content should that fail too.
  void Commit();

 private:
  // Whether the temporary file could be given everything of the old file; gives it what it can.
  bool TakeOverIdentity(const struct stat& old);
  // Keeps the old file as "<target>.bak" and backupFd_ open on it.
  void MakeBackup(const struct stat& old);
  // Makes the backup first when there is none.
  void WriteInPlace(const struct stat& old);
  void ReplaceTarget();

  std::string target_;
  TBackup backup_;
  std::string tempPath_;  // empty once renamed into place or removed
  int tempFd_ = -1;
  int targetFd_ = -1;  // holds the lock on an existing target
  int backupFd_ = -1;
};

}  // namespace metrazil
