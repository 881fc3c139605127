#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace metrazil {

// The table state a journal's entries apply to: the table file as it was read or saved, or no file.
//
// A file is known by its stamp (device, inode, size, modification time) and by a 64-bit hash of its bytes.
// The stamp is cheap and taken when the file is read; the hash costs a pass over the file and is taken
// later, from the file on disk, and only while the file still has the stamp (its bytes are then the bytes
// that were read). A file whose stamp moved first can never be hashed: its base matches nothing.
struct TJournalBase {
  enum class THash : std::uint8_t {
    kPending,  // not taken yet
    kKnown,
    kUnknown,  // the file changed before it could be hashed
  };

  bool hasFile = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  THash hashState = THash::kPending;
  std::uint64_t hash = 0;

  static TJournalBase NoFile() { return {}; }
  // The stamp of an open file, as fstat gives it; the hash pending.
  static TJournalBase OfStat(const struct stat& info);
  // The stamp of the file at path now, or NoFile when nothing is there. Errors: EInOutError when the path
  // cannot be looked at.
  static TJournalBase OfPath(const std::string& path);

  // Takes the hash of the bytes of the file at path when it is pending: the file must still have the
  // stamp, before and after its bytes are read, or the hash becomes kUnknown. Nothing for NoFile or a hash
  // already taken. Errors: EInOutError when the file cannot be read (the hash stays pending).
  void TakeHash(const std::string& path);

  bool SameStamp(const TJournalBase& other) const;
};

// Whether a journal kept on `journal` applies to the table as it is now (`table`, its hash taken): both are
// no file, or both files hold the same bytes, whatever their stamps (a folder copied elsewhere still
// matches). A hash not taken, or unknown, matches nothing.
bool Matches(const TJournalBase& journal, const TJournalBase& table);

}  // namespace metrazil
