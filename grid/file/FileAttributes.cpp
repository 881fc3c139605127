#include "grid/file/FileAttributes.h"

#include <acl/libacl.h>
#include <attr/libattr.h>
#include <sys/acl.h>

namespace metrazil {

bool CopyFileAttributes(int fromFd, int toFd) {
  // Without a check function attr_copy_fd leaves out the ACLs (and what /etc/xattr.conf skips): the ACL
  // goes through libacl, which keeps the mask and the mode's group bits in step.
  bool copied = ::attr_copy_fd("", fromFd, "", toFd, nullptr, nullptr) == 0;
  if (::acl_extended_fd(fromFd) == 1) {
    acl_t acl = ::acl_get_fd(fromFd);
    copied = acl != nullptr && ::acl_set_fd(toFd, acl) == 0 && copied;
    if (acl != nullptr) ::acl_free(acl);
  }
  return copied;
}

}  // namespace metrazil
