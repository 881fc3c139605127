#pragma once

#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

// The calls a save or a recovery journal makes into the system, each failing as the call it stands for
// does (-1, or nullptr, with errno set). They let a test make any one of them fail: a save and a journal
// must hold under every failing call.
namespace metrazil::sys {

// Decides before each call, given its name ("open", "fsync", ...), whether it fails: 0 lets it through,
// anything else is the errno it fails with, without being made. Only tests set one.
using TFault = int (*)(const char* call);
// nullptr lets every call through.
void SetFault(TFault fault);

char* Realpath(const char* path, char* resolved);
int Lstat(const char* path, struct stat* info);
ssize_t Readlink(const char* path, char* buffer, std::size_t size);
int Stat(const char* path, struct stat* info);
int Access(const char* path, int mode);
int Open(const char* path, int flags, mode_t mode = 0);
int Mkostemp(char* pattern, int flags);
// A failing Close still releases the descriptor, as Linux's close does.
int Close(int fd);
int Flock(int fd, int operation);
int Fstat(int fd, struct stat* info);
ssize_t Write(int fd, const void* bytes, std::size_t size);
ssize_t Pread(int fd, void* buffer, std::size_t size, off_t at);
ssize_t Pwrite(int fd, const void* bytes, std::size_t size, off_t at);
int Ftruncate(int fd, off_t size);
int Fsync(int fd);
int Fdatasync(int fd);
int Fchmod(int fd, mode_t mode);
int Fchown(int fd, uid_t owner, gid_t group);
int Rename(const char* from, const char* to);
// Fails with EEXIST rather than replace a file at `to`.
int RenameNoReplace(const char* from, const char* to);
int Link(const char* from, const char* to);
int Unlink(const char* path);
// libattr's copy of every extended attribute but the ACLs and what the system's attribute rules skip.
int AttrCopyFd(int fromFd, int toFd);
int AclExtendedFd(int fd);
acl_t AclGetFd(int fd);
int AclSetFd(int fd, acl_t acl);

}  // namespace metrazil::sys
