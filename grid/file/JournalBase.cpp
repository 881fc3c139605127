#include "grid/file/JournalBase.h"

#include <fcntl.h>
#include <xxhash.h>

#include <cerrno>
#include <memory>

#include "base/Exception.h"
#include "grid/file/SystemCalls.h"

namespace metrazil {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

class TOpenFile {
 public:
  explicit TOpenFile(int fd) : fd_(fd) {}
  ~TOpenFile() {
    if (fd_ >= 0) sys::Close(fd_);
  }
  TOpenFile(const TOpenFile&) = delete;
  TOpenFile& operator=(const TOpenFile&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void Fail(int error) { throw EInOutError::FromErrno(error); }

}  // namespace

TJournalBase TJournalBase::OfStat(const struct stat& info) {
  TJournalBase base;
  base.hasFile = true;
  base.device = info.st_dev;
  base.inode = info.st_ino;
  base.size = info.st_size;
  base.modifiedSeconds = info.st_mtim.tv_sec;
  base.modifiedNanoseconds = info.st_mtim.tv_nsec;
  return base;
}

TJournalBase TJournalBase::OfPath(const std::string& path) {
  struct stat info {};
  if (sys::Stat(path.c_str(), &info) == 0) return OfStat(info);
  if (errno == ENOENT || errno == ENOTDIR) return NoFile();
  Fail(errno);
}

void TJournalBase::TakeHash(const std::string& path) {
  if (!hasFile || hashState != THash::kPending) return;
  const TOpenFile file(sys::Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.Fd() < 0) {
    if (errno != ENOENT && errno != ENOTDIR) Fail(errno);
    hashState = THash::kUnknown;
    return;
  }
  struct stat info {};
  if (sys::Fstat(file.Fd(), &info) != 0) Fail(errno);
  if (!S_ISREG(info.st_mode) || !SameStamp(OfStat(info))) {
    hashState = THash::kUnknown;
    return;
  }
  const std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(), &XXH3_freeState);
  if (!state || XXH3_64bits_reset(state.get()) != XXH_OK) Fail(ENOMEM);
  const std::unique_ptr<char[]> buffer(new char[kChunk]);
  off_t at = 0;
  for (;;) {
    const ssize_t got = sys::Pread(file.Fd(), buffer.get(), kChunk, at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(errno);
    if (got == 0) break;
    XXH3_64bits_update(state.get(), buffer.get(), static_cast<std::size_t>(got));
    at += got;
  }
  // A write in place during the read shows in the stamp afterwards.
  if (sys::Fstat(file.Fd(), &info) != 0) Fail(errno);
  if (at != size || !SameStamp(OfStat(info))) {
    hashState = THash::kUnknown;
    return;
  }
  hash = XXH3_64bits_digest(state.get());
  hashState = THash::kKnown;
}

bool TJournalBase::SameStamp(const TJournalBase& other) const {
  return hasFile == other.hasFile && device == other.device && inode == other.inode && size == other.size &&
         modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds;
}

bool Matches(const TJournalBase& journal, const TJournalBase& table) {
  if (!journal.hasFile || !table.hasFile) return !journal.hasFile && !table.hasFile;
  return journal.hashState == TJournalBase::THash::kKnown && table.hashState == TJournalBase::THash::kKnown &&
         journal.hash == table.hash;
}

}  // namespace metrazil
