#pragma once

#include <sys/stat.h>

#include <string>

namespace metrazil {

// Where a save writes and the temporary files it makes there. A save writes to a temporary file named
// ".<name>.XXXXXX" beside the file it replaces; a save killed half-way leaves that file behind.

// The file a save of path writes: path with every symbolic link followed, also a link whose target does
// not exist yet (the target is what the save creates). Empty for a loop of links or a link that cannot be
// read.
std::string ResolveSaveTarget(const std::string& path);

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string DirectoryOf(const std::string& path);
// The name part of a path: what follows its last "/".
std::string NameOf(const std::string& path);
// Makes the names in the folder durable. Returns 0, or -1 with errno set.
int SyncDirectory(const std::string& directory);

// Opens path, never through a symbolic link, with flags (O_RDONLY or O_RDWR; the call adds the rest) when
// it is a regular file of this user that no other descriptor holds locked, and locks it exclusively. Sets
// info to what the file is once locked. The name must still lead to the file then: another instance may
// have removed or renamed it in the meantime. Returns the descriptor, or -1 when the file cannot be opened
// or is not such a file.
int OpenUnheldOwnFile(const std::string& path, int flags, struct stat& info);

// Creates a new, empty file from pattern, a path ending in six X that mkostemp fills, open for writing, mode
// 0600 and locked exclusively for as long as it stays open, and sets path to its name. A file that another
// instance takes in the instant before it is locked is given up for another. Where the file system has no
// locks, the file stays unlocked, or with lockRequired the creation fails. Returns the descriptor, or -1 with
// errno set.
int CreateLockedFile(const std::string& pattern, bool lockRequired, std::string& path);

// Creates an empty temporary file beside target, open for writing and locked exclusively for as long as
// it stays open, so that RemoveStaleTemporaries leaves it alone. Sets tempPath to its name. Returns the
// descriptor, or -1 with errno set.
int CreateSaveTemporary(const std::string& target, std::string& tempPath);

// Removes the temporary files that killed saves of tablePath left beside it: regular files of the
// temporary name pattern, owned by this user and locked by no running save. Does nothing while a save
// holds the table itself. Returns how many files it removed; never fails.
int RemoveStaleTemporaries(const std::string& tablePath);

}  // namespace metrazil
