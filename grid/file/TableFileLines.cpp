#include "grid/file/TableFileLines.h"

#include <algorithm>
#include <cstring>

namespace metrazil {

namespace {

const char* Find(const char* from, const char* end, char byte) {
  if (from >= end) return nullptr;
  return static_cast<const char*>(std::memchr(from, byte, static_cast<std::size_t>(end - from)));
}

bool HoldsText(const char* from, const char* to) {
  return std::any_of(from, to, [](char c) { return c != '\r' && c != '\x1a'; });
}

}  // namespace

TTableFileLines::TTableFileLines(Source source, std::size_t bufferSize)
    : source_(std::move(source)),
      buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(bufferSize, 16))),
      capacity_(std::max<std::size_t>(bufferSize, 16)) {}

const char* TTableFileLines::FindFrom(const char* cached, const char* from, char byte) const {
  if (cached == nullptr || cached >= from) return cached;
  return Find(from, buffer_.get() + end_, byte);
}

bool TTableFileLines::Refill() {
  if (sourceDrained_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == capacity_) {
    // A line longer than the buffer.
    auto larger = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
    std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ *= 2;
  }
  const std::size_t got = source_(buffer_.get() + end_, capacity_ - end_);
  end_ += got;
  sourceDrained_ = got == 0;
  // The data moved, so the cached positions are found again. One vectorisable pass tells whether any CR
  // lacks its LF; the usual file has none, and its lines then only lose their final CR.
  const char* data = buffer_.get();
  unsigned char lone = end_ > 0 && data[end_ - 1] == '\r' ? 1 : 0;
  for (std::size_t i = 0; i + 1 < end_; ++i) {
    lone |= static_cast<unsigned char>((data[i] == '\r') & (data[i + 1] != '\n'));
  }
  scan_.mayHoldLoneCr = lone != 0;
  scan_.nextCtrlZ = Find(data, data + end_, '\x1a');
  scan_.nextBackspace = Find(data, data + end_, '\b');
  return !sourceDrained_;
}

bool TTableFileLines::FindLineEnd(const char*& lineEnd, std::size_t& next) {
  for (;;) {
    const char* data = buffer_.get();
    lineEnd = Find(data + begin_, data + end_, '\n');
    if (lineEnd != nullptr) {
      next = static_cast<std::size_t>(lineEnd - data) + 1;
      return true;
    }
    if (!Refill()) {
      if (begin_ == end_) return false;
      lineEnd = buffer_.get() + end_;
      next = end_;
      return true;
    }
  }
}

bool TTableFileLines::Next(std::string_view& line) {
  if (linesEnd_ != TLinesEnd::kNotYet) return false;
  const char* lineEnd = nullptr;
  std::size_t next = 0;
  if (!FindLineEnd(lineEnd, next)) {
    linesEnd_ = TLinesEnd::kEndOfBytes;
    return false;
  }
  char* start = buffer_.get() + begin_;
  char* stop = buffer_.get() + (lineEnd - buffer_.get());
  lastLine_.ended = next > static_cast<std::size_t>(lineEnd - buffer_.get());
  begin_ = next;

  lastLine_.cutAtMark = false;
  scan_.nextCtrlZ = FindFrom(scan_.nextCtrlZ, start, '\x1a');
  if (scan_.nextCtrlZ != nullptr && scan_.nextCtrlZ < stop) [[unlikely]] {
    const bool restHoldsText = HoldsText(scan_.nextCtrlZ + 1, stop);
    if (scan_.nextCtrlZ == start && !scan_.firstLine) {
      linesEnd_ = restHoldsText ? TLinesEnd::kMarkBeforeText : TLinesEnd::kMark;
      return false;
    }
    lastLine_.cutAtMark = restHoldsText;
    stop = start + (scan_.nextCtrlZ - start);
  }
  scan_.firstLine = false;
  scan_.nextBackspace = FindFrom(scan_.nextBackspace, start, '\b');
  lastLine_.hasBackspace = scan_.nextBackspace != nullptr && scan_.nextBackspace < stop;

  if (stop > start && stop[-1] == '\r') --stop;
  if (scan_.mayHoldLoneCr && std::memchr(start, '\r', static_cast<std::size_t>(stop - start)) != nullptr) {
    stop = std::remove(start, stop, '\r');
  }
  line = std::string_view(start, static_cast<std::size_t>(stop - start));
  return true;
}

void TTableFileLines::ReadPastEndMark(const std::function<void(std::size_t index, bool holdsText)>& visit) {
  if (!EndedAtMark()) return;
  visit(0, linesEnd_ == TLinesEnd::kMarkBeforeText);
  const char* lineEnd = nullptr;
  std::size_t next = 0;
  for (std::size_t index = 1; FindLineEnd(lineEnd, next); ++index) {
    visit(index, HoldsText(buffer_.get() + begin_, lineEnd));
    begin_ = next;
  }
}

}  // namespace metrazil
