#include "grid/file/SystemCalls.h"

#include <acl/libacl.h>
#include <attr/libattr.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace metrazil::sys {

namespace {

std::atomic<TFault> current{nullptr};

bool Fails(const char* call) {
  const TFault decide = current.load(std::memory_order_relaxed);
  if (decide == nullptr) return false;
  const int error = decide(call);
  if (error == 0) return false;
  errno = error;
  return true;
}

}  // namespace

void SetFault(TFault fault) { current.store(fault, std::memory_order_relaxed); }

char* Realpath(const char* path, char* resolved) { return Fails("realpath") ? nullptr : ::realpath(path, resolved); }
int Lstat(const char* path, struct stat* info) { return Fails("lstat") ? -1 : ::lstat(path, info); }
ssize_t Readlink(const char* path, char* buffer, std::size_t size) {
  return Fails("readlink") ? -1 : ::readlink(path, buffer, size);
}
int Stat(const char* path, struct stat* info) { return Fails("stat") ? -1 : ::stat(path, info); }
int Access(const char* path, int mode) { return Fails("access") ? -1 : ::access(path, mode); }
int Open(const char* path, int flags, mode_t mode) { return Fails("open") ? -1 : ::open(path, flags, mode); }
int Mkostemp(char* pattern, int flags) { return Fails("mkostemp") ? -1 : ::mkostemp(pattern, flags); }

int Close(int fd) {
  if (Fails("close")) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return ::close(fd);
}

int Flock(int fd, int operation) { return Fails("flock") ? -1 : ::flock(fd, operation); }
int Fstat(int fd, struct stat* info) { return Fails("fstat") ? -1 : ::fstat(fd, info); }
ssize_t Write(int fd, const void* bytes, std::size_t size) { return Fails("write") ? -1 : ::write(fd, bytes, size); }
ssize_t Pread(int fd, void* buffer, std::size_t size, off_t at) {
  return Fails("pread") ? -1 : ::pread(fd, buffer, size, at);
}
ssize_t Pwrite(int fd, const void* bytes, std::size_t size, off_t at) {
  return Fails("pwrite") ? -1 : ::pwrite(fd, bytes, size, at);
}
int Ftruncate(int fd, off_t size) { return Fails("ftruncate") ? -1 : ::ftruncate(fd, size); }
int Fsync(int fd) { return Fails("fsync") ? -1 : ::fsync(fd); }
int Fdatasync(int fd) { return Fails("fdatasync") ? -1 : ::fdatasync(fd); }
int Fchmod(int fd, mode_t mode) { return Fails("fchmod") ? -1 : ::fchmod(fd, mode); }
int Fchown(int fd, uid_t owner, gid_t group) { return Fails("fchown") ? -1 : ::fchown(fd, owner, group); }
int Rename(const char* from, const char* to) { return Fails("rename") ? -1 : ::rename(from, to); }
int RenameNoReplace(const char* from, const char* to) {
  return Fails("renameat2") ? -1 : ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}
int Link(const char* from, const char* to) { return Fails("link") ? -1 : ::link(from, to); }
int Unlink(const char* path) { return Fails("unlink") ? -1 : ::unlink(path); }

// Without a check function attr_copy_fd leaves out the ACLs (and what /etc/xattr.conf skips): the ACL goes
// through libacl, which keeps the mask and the mode's group bits in step.
int AttrCopyFd(int fromFd, int toFd) {
  return Fails("attr_copy_fd") ? -1 : ::attr_copy_fd("", fromFd, "", toFd, nullptr, nullptr);
}
int AclExtendedFd(int fd) { return Fails("acl_extended_fd") ? -1 : ::acl_extended_fd(fd); }
acl_t AclGetFd(int fd) { return Fails("acl_get_fd") ? nullptr : ::acl_get_fd(fd); }
int AclSetFd(int fd, acl_t acl) { return Fails("acl_set_fd") ? -1 : ::acl_set_fd(fd, acl); }

}  // namespace metrazil::sys
