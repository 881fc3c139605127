// Reading and writing table files: a count line, one width line per column and one line per stored cell.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "grid/file/TableFile.h"
#include "grid/file/TableFileLines.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Closes now so a failing close can be reported; returns errno or 0.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Announces r / max(1, rowCount - 1) as a percentage, rounded half to even, whenever it changes.
class ProgressReporter {
 public:
  ProgressReporter(const std::function<void(int)>& hook, int rowCount)
      : hook_(hook), divisor_(std::max(1, rowCount - 1)) {}

  bool Active() const { return static_cast<bool>(hook_); }
  int ValueAt(long long row) const {
    // Exact rounding of row * 100 / divisor, halves to even.
    const long long numerator = row * 100;
    long long quotient = numerator / divisor_;
    long long remainder = numerator % divisor_;
    if (remainder < 0) {
      --quotient;
      remainder += divisor_;
    }
    if (remainder * 2 > divisor_ || (remainder * 2 == divisor_ && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(std::clamp<long long>(quotient, SHRT_MIN, SHRT_MAX));
  }
  void Report(long long row) { Announce(ValueAt(row)); }
  // Rows first..last inclusive, without visiting each row of a long run.
  void ReportRun(long long first, long long last) {
    if (last - first < 256) {
      for (long long row = first; row <= last; ++row) Report(row);
      return;
    }
    // A run this long means steps below one percent, so every value in between occurs.
    for (int value = ValueAt(first); value <= ValueAt(last); ++value) Announce(value);
  }

 private:
  void Announce(int value) {
    if (value == previous_) return;
    previous_ = value;
    hook_(value);
  }

  const std::function<void(int)>& hook_;
  long long divisor_;
  int previous_ = -1;
};

// The common shape of a cell line, "digits,digits,", read in one step; anything else (signs, blanks, hex
// prefixes, long numbers) is left to the full field rule.
bool ParsePlainCellIndexes(std::string_view line, TableFileNumber& col, TableFileNumber& row, std::size_t& textStart) {
  std::size_t pos = 0;
  const auto plain = [&](TableFileNumber& number) {
    int value = 0;
    const std::size_t begin = pos;
    while (pos < line.size() && pos - begin < 9 && static_cast<unsigned>(line[pos] - '0') < 10) {
      value = value * 10 + (line[pos] - '0');
      ++pos;
    }
    if (pos == begin || pos == line.size() || line[pos] != ',') return false;
    number = TableFileNumber{value, true};
    ++pos;
    return true;
  };
  if (!plain(col) || !plain(row)) return false;
  textStart = pos - 1;
  return true;
}

void WriteAll(int fd, const char* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t written = ::write(fd, bytes + done, size - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw EInOutError::FromErrno(errno);
    }
    done += static_cast<std::size_t>(written);
  }
}

// Collects the lines of a save and writes them out in large pieces.
class LineWriter {
 public:
  explicit LineWriter(int fd) : fd_(fd), data_(std::make_unique_for_overwrite<char[]>(kSize)) {}

  void Number(long long value) {
    Ensure(24);
    used_ = static_cast<std::size_t>(std::to_chars(data_.get() + used_, data_.get() + kSize, value).ptr - data_.get());
  }
  void Bytes(std::string_view bytes) {
    if (bytes.size() > kSize / 2) {
      Flush();
      WriteAll(fd_, bytes.data(), bytes.size());
      return;
    }
    Ensure(bytes.size());
    std::memcpy(data_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  // A cell text with CR and LF mapped to TAB and BS whenever it holds either, so it cannot split its line.
  void CellText(std::string_view text) {
    const bool hasBreak = std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (!hasBreak) return Bytes(text);
    std::string mapped;
    AppendEncodedCellText(mapped, text);
    Bytes(mapped);
  }
  void Flush() {
    WriteAll(fd_, data_.get(), used_);
    used_ = 0;
  }

 private:
  static constexpr std::size_t kSize = std::size_t{1} << 20;

  void Ensure(std::size_t size) {
    if (kSize - used_ < size) Flush();
  }

  int fd_;
  std::unique_ptr<char[]> data_;
  std::size_t used_ = 0;
};

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The temporary file of a save: removed unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string pattern) : path_(std::move(pattern)) {
    fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    if (fd_ < 0) path_.clear();
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  bool Created() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace

void TTableGrid::ReadTableFile(const std::string& path) { ReadTableFile(path, {}); }

void TTableGrid::ReadTableFile(const std::string& path, const std::function<void()>& yieldBetweenLines) {
  // Non-blocking open so a FIFO cannot hang the program; only regular files are read.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  struct stat info;
  if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      ::flock(file.Get(), LOCK_SH | LOCK_NB) != 0) {
    throw ETableGridError("Cannot open file " + path);
  }
  // The buffer need not be larger than the file.
  const std::size_t bufferSize = static_cast<std::size_t>(std::clamp<off_t>(info.st_size + 1, 4096, off_t{1} << 20));
  TTableFileLines lines(
      [fd = file.Get()](char* buffer, std::size_t capacity) {
        for (;;) {
          const ssize_t got = ::read(fd, buffer, capacity);
          if (got >= 0) return static_cast<std::size_t>(got);
          if (errno != EINTR) throw EInOutError::FromErrno(errno);
        }
      },
      bufferSize);

  std::string_view line;
  if (lines.Next(line) && !line.empty()) {
    const std::size_t comma = line.find(',');
    const std::string_view colField = comma == std::string_view::npos ? std::string_view() : line.substr(0, comma);
    const std::string_view rowField = comma == std::string_view::npos ? line : line.substr(comma + 1);
    SetColCount(ParseTableFileNumber(colField).value);
    SetRowCount(ParseTableFileNumber(rowField).value);
  }

  ProgressReporter progress(OnTableFileProgress, rowCount_);
  std::string decoded;
  int currentRow = -1;
  std::size_t cellsInRow = 0;
  std::size_t rowCapacityHint = 1;
  while (lines.Next(line)) {
    if (line.size() >= 2 && line[0] == 'c' && line[1] == 'w') {
      const std::size_t comma = line.find(',');
      if (comma == std::string_view::npos || comma < 3) continue;
      const TableFileNumber index = ParseTableFileNumber(line.substr(3, comma - 3));
      if (!index.hasDigits || index.value < 0 || index.value >= colCount_) continue;
      SetColWidth(index.value, ParseTableFileNumber(line.substr(comma + 1, 255)).value);
      continue;
    }
    std::size_t secondComma = std::string_view::npos;
    TableFileNumber col;
    TableFileNumber row;
    if (!ParsePlainCellIndexes(line, col, row, secondComma)) {
      const std::size_t firstComma = line.find(',');
      secondComma = firstComma == std::string_view::npos ? std::string_view::npos : line.find(',', firstComma + 1);
      col = ParseTableFileNumber(line.substr(0, firstComma));
      if (firstComma != std::string_view::npos) {
        row = ParseTableFileNumber(line.substr(firstComma + 1, secondComma - firstComma - 1));
      }
    }
    if (secondComma != std::string_view::npos && col.hasDigits && row.hasDigits && col.value >= 0 &&
        col.value < colCount_ && row.value >= 0 && row.value < rowCount_) {
      std::string_view text = line.substr(secondComma + 1);
      if (lines.LineHasBackspace()) {
        decoded.clear();
        AppendDecodedCellText(decoded, text);
        text = decoded;
      }
      if (row.value != currentRow) {
        if (cellsInRow > 0) rowCapacityHint = cellsInRow;
        currentRow = row.value;
        cellsInRow = 0;
        rowMaps_.Add(row.value);
      }
      ++cellsInRow;
      store_.Append(col.value, row.value, text, rowCapacityHint);
      if (OnCellWritten) OnCellWritten(col.value, row.value);
    }
    if (progress.Active()) progress.Report(row.value);
    if (yieldBetweenLines) yieldBetweenLines();
  }
  const int closeError = file.Close();
  if (closeError != 0) throw EInOutError::FromErrno(closeError);
  CellRangeChanged(0, 0, colCount_, rowCount_);
}

void TTableGrid::WriteTableFile(const std::string& path) const {
  const auto cannotCreate = [&path]() { return ETableGridError("Cannot Create " + path); };
  if (path.empty() || path.back() == '/') throw cannotCreate();
  // Saving replaces the file a symbolic link points to, not the link.
  std::string target = path;
  if (std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free); real) {
    target = real.get();
  }
  struct stat old;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  FileDescriptor oldFile;
  if (exists) {
    // A file without any write permission counts as read-only, for root too.
    if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
      throw cannotCreate();
    }
    // Readers hold a shared lock for as long as they read; the file is not replaced under them.
    oldFile.Reset(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (oldFile.Get() < 0 || ::flock(oldFile.Get(), LOCK_EX | LOCK_NB) != 0) throw cannotCreate();
  }
  const std::string directory = DirectoryOf(target);
  const std::size_t slash = target.rfind('/');
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  TemporaryFile temp(directory + "/." + name + ".XXXXXX");
  if (!temp.Created()) throw cannotCreate();

  LineWriter out(temp.Fd());
  out.Number(colCount_);
  out.Bytes(",");
  out.Number(rowCount_);
  out.Bytes("\r\n");
  for (int col = 0; col < colCount_; ++col) {
    out.Bytes("cw ");
    out.Number(col);
    out.Bytes(",");
    out.Number(ColWidth(col));
    out.Bytes("\r\n");
  }
  ProgressReporter progress(OnTableFileProgress, rowCount_);
  long long nextRow = 0;  // first row whose progress is not announced yet
  store_.ForEachRow(0, rowCount_, [&](int row, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (cell.col >= colCount_) break;
      out.Number(cell.col);
      out.Bytes(",");
      out.Number(row);
      out.Bytes(",");
      out.CellText(cell.Text());
      out.Bytes("\r\n");
    }
    if (progress.Active()) {
      progress.ReportRun(nextRow, row);
      nextRow = static_cast<long long>(row) + 1;
    }
    return true;
  });
  if (progress.Active() && nextRow < rowCount_) progress.ReportRun(nextRow, rowCount_ - 1);
  out.Flush();

  const mode_t mode = exists ? (old.st_mode & 07777) : [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  if (::fchmod(temp.Fd(), mode) != 0) throw EInOutError::FromErrno(errno);
  if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    [[maybe_unused]] const int ignored = ::fchown(temp.Fd(), old.st_uid, old.st_gid);  // kept where allowed
  }
  if (::fsync(temp.Fd()) != 0) throw EInOutError::FromErrno(errno);
  if (const int error = temp.Close(); error != 0) throw EInOutError::FromErrno(error);
  if (::rename(temp.Path().c_str(), target.c_str()) != 0) throw EInOutError::FromErrno(errno);
  temp.Keep();
  // Make the rename itself durable; a failure here no longer endangers either version.
  FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) ::fsync(dir.Get());
}

}  // namespace metrazil
