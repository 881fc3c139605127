#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "grid/file/JournalBase.h"

namespace metrazil {

// The start of a journal file and the framing of its entries.
//
// A journal is a header followed by entries, each an opaque byte string framed by its length and a check:
//
//   header  magic "\x89MZJRNL\n", u32 version, u32 flags (1: a file, 2: its hash known), u64 device,
//           u64 inode, i64 size, i64 modified seconds, i64 modified nanoseconds, u64 hash, u64 salt,
//           i64 created (nanoseconds since the epoch), u64 check of the bytes before it: 88 bytes
//   entry   u32 length, u32 check of the entry bytes seeded with the salt and the length, the bytes
//
// All numbers little-endian; the checks are XXH3 (an entry's its low 32 bits). The salt is random per
// journal file, so entries of another journal never pass as this one's.
struct TJournalHeader {
  static constexpr std::size_t kSize = 88;
  static constexpr std::size_t kFrameSize = 8;  // before each entry's bytes
  static constexpr std::uint32_t kVersion = 1;
  static constexpr std::size_t kMaxEntrySize = 0xffffffff;

  // What an entry's frame holds.
  struct TFrame {
    std::uint32_t size = 0;  // of the entry's bytes that follow it
    std::uint32_t check = 0;
  };

  enum class TDecoded {
    kOk,
    kShort,    // fewer bytes than a header, all of them what a header of this version starts with
    kDamaged,  // not a header of this version: another magic or version, or a failing check
  };

  TJournalBase base;  // its hash taken or unknown, never pending
  std::uint64_t salt = 0;
  std::int64_t createdNanoseconds = 0;

  std::string Encode() const;
  TDecoded Decode(std::string_view bytes);

  // Appends the framed entry to out.
  void AppendEntry(std::string& out, std::string_view entry) const;
  // The entry's check as stored in its frame.
  std::uint32_t EntryCheck(std::string_view entry) const;
  // The frame at bytes[at]; at least kFrameSize bytes must follow at.
  static TFrame ReadFrame(std::string_view bytes, std::size_t at);
};

}  // namespace metrazil
