#pragma once

#include <cstddef>
#include <cstdint>
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
  bool LineHasBackspace() const { return lastLine_.hasBackspace; }
  // Whether the line last returned ended with a LF; only the file's last line can lack one.
  bool LineEnded() const { return lastLine_.ended; }
  // Whether a Ctrl-Z cut the line last returned short of bytes other than CR and Ctrl-Z.
  bool LineCutAtMark() const { return lastLine_.cutAtMark; }
  // Whether Next returned false at a Ctrl-Z that began a line rather than at the end of the bytes.
  bool EndedAtMark() const { return linesEnd_ == TLinesEnd::kMark || linesEnd_ == TLinesEnd::kMarkBeforeText; }
  // After EndedAtMark, reads the lines that the mark left out, to the end of the bytes, and calls visit with
  // each one's index (0 for the line the mark begins) and whether it holds a byte other than CR and Ctrl-Z.
  void ReadPastEndMark(const std::function<void(std::size_t index, bool holdsText)>& visit);

 private:
  bool Refill();
  // Finds the end of the line at begin_, refilling as needed: lineEnd is its LF or the end of the bytes,
  // next where the following line begins. False when no line is left.
  bool FindLineEnd(const char*& lineEnd, std::size_t& next);
  const char* FindFrom(const char* cached, const char* from, char byte) const;

  // The line Next returned last.
  struct TLastLine {
    bool hasBackspace = false;
    bool ended = false;      // by a LF
    bool cutAtMark = false;  // a Ctrl-Z left out bytes of it other than CR and Ctrl-Z
  };
  // Where Next stopped returning lines: not yet, at the end of the bytes, or at a Ctrl-Z that began a
  // line, with nothing or with text after it on that line.
  enum class TLinesEnd : std::uint8_t { kNotYet, kEndOfBytes, kMark, kMarkBeforeText };
  // What the scan knows of the buffer from the current position on.
  struct TScan {
    bool firstLine = true;       // the next line is the first: a Ctrl-Z at its start ends only that line
    bool mayHoldLoneCr = false;  // some CR in the buffer lacks its LF
    // The next Ctrl-Z and BS; null when the buffer holds none.
    const char* nextCtrlZ = nullptr;
    const char* nextBackspace = nullptr;
  };

  Source source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool sourceDrained_ = false;  // the source has given its last byte
  TLinesEnd linesEnd_ = TLinesEnd::kNotYet;
  TScan scan_;
  TLastLine lastLine_;
};

}  // namespace metrazil
