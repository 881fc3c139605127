#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

namespace metrazil {

// Splits a table file's bytes into lines as they are read: a line ends at LF or CR LF, a CR not followed
// by LF is dropped, the last line needs no line end, and Ctrl-Z (0x1A) ends the line it is in and, where
// a line after the first would begin, the file. Holds only the current buffer of the file.
class TTableFileLines {
 public:
  // Fills the buffer with up to `capacity` bytes and returns how many; 0 at the end. May throw.
  using Source = std::function<std::size_t(char* buffer, std::size_t capacity)>;

  explicit TTableFileLines(Source source, std::size_t bufferSize = std::size_t{1} << 20);

  // The next line, valid until the next call; false once the file has ended.
  bool Next(std::string_view& line);
  // Whether the line last returned holds a BS byte (0x08).
  bool LineHasBackspace() const { return lineHasBackspace_; }

 private:
  bool Refill();
  const char* FindFrom(const char* cached, const char* from, char byte) const;

  Source source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool done_ = false;
  bool firstLine_ = true;
  bool maybeLoneCr_ = false;
  bool lineHasBackspace_ = false;
  // Next Ctrl-Z and BS at or after the current position; null when the buffer holds none.
  const char* nextCtrlZ_ = nullptr;
  const char* nextBackspace_ = nullptr;
};

}  // namespace metrazil
