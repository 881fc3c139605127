#include "grid/file/JournalHeader.h"

#include <xxhash.h>

#include <algorithm>

namespace metrazil {

namespace {

constexpr std::string_view kMagic{"\x89MZJRNL\n", 8};
constexpr std::uint32_t kHasFile = 1;
constexpr std::uint32_t kHashKnown = 2;
constexpr std::size_t kCheckAt = TJournalHeader::kSize - 8;

void Put(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

std::uint64_t Get(std::string_view bytes, std::size_t at, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

}  // namespace

std::string TJournalHeader::Encode() const {
  std::string out(kMagic);
  out.reserve(kSize);
  Put(out, kVersion, 4);
  std::uint32_t flags = 0;
  if (base.hasFile) flags |= kHasFile;
  if (base.hasFile && base.hashState == TJournalBase::THash::kKnown) flags |= kHashKnown;
  Put(out, flags, 4);
  Put(out, base.device, 8);
  Put(out, base.inode, 8);
  Put(out, static_cast<std::uint64_t>(base.size), 8);
  Put(out, static_cast<std::uint64_t>(base.modifiedSeconds), 8);
  Put(out, static_cast<std::uint64_t>(base.modifiedNanoseconds), 8);
  Put(out, flags & kHashKnown ? base.hash : 0, 8);
  Put(out, salt, 8);
  Put(out, static_cast<std::uint64_t>(createdNanoseconds), 8);
  Put(out, XXH3_64bits(out.data(), out.size()), 8);
  return out;
}

TJournalHeader::TDecoded TJournalHeader::Decode(std::string_view bytes) {
  if (bytes.size() < kSize) {
    // A journal killed while its header was being written: what is there must still read as a header.
    std::string expected(kMagic);
    Put(expected, kVersion, 4);
    const std::size_t known = std::min(bytes.size(), expected.size());
    return bytes.substr(0, known) == std::string_view(expected).substr(0, known) ? TDecoded::kShort
                                                                                 : TDecoded::kDamaged;
  }
  if (bytes.substr(0, kMagic.size()) != kMagic || Get(bytes, 8, 4) != kVersion ||
      Get(bytes, kCheckAt, 8) != XXH3_64bits(bytes.data(), kCheckAt)) {
    return TDecoded::kDamaged;
  }
  const auto flags = static_cast<std::uint32_t>(Get(bytes, 12, 4));
  base = TJournalBase::NoFile();
  if (flags & kHasFile) {
    base.hasFile = true;
    base.device = Get(bytes, 16, 8);
    base.inode = Get(bytes, 24, 8);
    base.size = static_cast<std::int64_t>(Get(bytes, 32, 8));
    base.modifiedSeconds = static_cast<std::int64_t>(Get(bytes, 40, 8));
    base.modifiedNanoseconds = static_cast<std::int64_t>(Get(bytes, 48, 8));
    base.hashState = flags & kHashKnown ? TJournalBase::THash::kKnown : TJournalBase::THash::kUnknown;
    base.hash = Get(bytes, 56, 8);
  }
  salt = Get(bytes, 64, 8);
  createdNanoseconds = static_cast<std::int64_t>(Get(bytes, 72, 8));
  return TDecoded::kOk;
}

void TJournalHeader::AppendEntry(std::string& out, std::string_view entry) const {
  Put(out, entry.size(), 4);
  Put(out, EntryCheck(entry), 4);
  out.append(entry);
}

std::uint32_t TJournalHeader::EntryCheck(std::string_view entry) const {
  return static_cast<std::uint32_t>(XXH3_64bits_withSeed(entry.data(), entry.size(), salt + entry.size()));
}

TJournalHeader::TFrame TJournalHeader::ReadFrame(std::string_view bytes, std::size_t at) {
  return {static_cast<std::uint32_t>(Get(bytes, at, 4)), static_cast<std::uint32_t>(Get(bytes, at + 4, 4))};
}

}  // namespace metrazil
