#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace metrazil {

// A regular file open for reading under a shared lock, which keeps a TSafeFile from replacing it until
// the file is closed. Opening never blocks in the kernel, so a FIFO or a file under a save cannot hang the
// caller.
class TReadLockedFile {
 public:
  // Called between attempts while a save holds the file, every kRetryInterval; returns false to stop
  // waiting. Lets a window handle its events meanwhile.
  using TWait = std::function<bool()>;

  static constexpr std::chrono::milliseconds kRetryInterval{25};
  static constexpr std::chrono::milliseconds kWaitLimit{10000};

  // Errors: ETableGridError "Cannot open file <path>" when the path names no regular file that can be
  // opened, or a save holds it.
  explicit TReadLockedFile(const std::string& path);
  // Waits for a save that holds the file, up to limit, calling wait between attempts. When the save
  // replaced the file, the new file is opened. Errors: as above, once the limit has passed or wait
  // returned false; and what wait throws.
  TReadLockedFile(const std::string& path, const TWait& wait, std::chrono::milliseconds limit = kWaitLimit);
  ~TReadLockedFile();
  TReadLockedFile(const TReadLockedFile&) = delete;
  TReadLockedFile& operator=(const TReadLockedFile&) = delete;

  // The file's size when it was opened.
  std::size_t Size() const { return static_cast<std::size_t>(opened_.st_size); }
  // What fstat told of the file when it was opened.
  const struct stat& Opened() const { return opened_; }
  // Up to capacity bytes into buffer; 0 at the end. Errors: EInOutError.
  std::size_t Read(char* buffer, std::size_t capacity);
  // Reads from the start again. Errors: EInOutError.
  void Rewind();
  // Closes now, so a failing close is reported. Errors: EInOutError.
  void Close();

 private:
  enum class TAttempt { kOpened, kHeld, kReplaced, kFailed };

  TAttempt TryOpen(const std::string& path);

  int fd_ = -1;
  struct stat opened_ {};
};

}  // namespace metrazil
