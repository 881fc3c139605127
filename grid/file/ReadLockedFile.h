#pragma once

#include <cstddef>
#include <string>

namespace metrazil {

// A regular file open for reading under a shared lock, which keeps a TSafeFile from replacing it until
// the file is closed. Opening never blocks, so a FIFO or a file under a save cannot hang the caller.
class TReadLockedFile {
 public:
  // Errors: ETableGridError "Cannot open file <path>" when the path names no regular file that can be
  // opened, or a save holds it.
  explicit TReadLockedFile(const std::string& path);
  ~TReadLockedFile();
  TReadLockedFile(const TReadLockedFile&) = delete;
  TReadLockedFile& operator=(const TReadLockedFile&) = delete;

  // The file's size when it was opened.
  std::size_t Size() const { return size_; }
  // Up to capacity bytes into buffer; 0 at the end. Errors: EInOutError.
  std::size_t Read(char* buffer, std::size_t capacity);
  // Closes now, so a failing close is reported. Errors: EInOutError.
  void Close();

 private:
  int fd_ = -1;
  std::size_t size_ = 0;
};

}  // namespace metrazil
