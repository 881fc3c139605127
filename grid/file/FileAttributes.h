#pragma once

namespace metrazil {

// Copies the extended attributes and the POSIX access ACL of one open file onto another, so that a file
// written in place of another carries what the old one did. Attributes the system marks as not to be copied
// are left out. Returns false when any could not be copied (the rest are still copied).
//
// The ACL changes the group bits of the mode to its mask: set the mode (fchmod) afterwards, with the group
// bits of the old file's mode, which are its mask.
bool CopyFileAttributes(int fromFd, int toFd);

}  // namespace metrazil
