#include "grid/file/FileAttributes.h"

#include <cerrno>

#include "grid/file/SystemCalls.h"

namespace metrazil {

bool CopyFileAttributes(int fromFd, int toFd) {
  bool copied = sys::AttrCopyFd(fromFd, toFd) == 0;
  const int extended = sys::AclExtendedFd(fromFd);
  // A file whose ACL cannot be looked at may have one; only a file system without ACLs surely has none.
  if (extended < 0 && errno != ENOTSUP) copied = false;
  if (extended == 1) {
    acl_t acl = sys::AclGetFd(fromFd);
    copied = acl != nullptr && sys::AclSetFd(toFd, acl) == 0 && copied;
    if (acl != nullptr) ::acl_free(acl);
  }
  return copied;
}

}  // namespace metrazil
