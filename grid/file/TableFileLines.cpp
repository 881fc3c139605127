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
  if (eof_) return false;
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
  eof_ = got == 0;
  // The data moved, so the cached positions are found again. One vectorisable pass tells whether any CR
  // lacks its LF; the usual file has none, and its lines then only lose their final CR.
  const char* data = buffer_.get();
  unsigned char lone = end_ > 0 && data[end_ - 1] == '\r' ? 1 : 0;
  for (std::size_t i = 0; i + 1 < end_; ++i) {
    lone |= static_cast<unsigned char>((data[i] == '\r') & (data[i + 1] != '\n'));
  }
  maybeLoneCr_ = lone != 0;
  nextCtrlZ_ = Find(data, data + end_, '\x1a');
  nextBackspace_ = Find(data, data + end_, '\b');
  return !eof_;
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
  if (done_) return false;
  const char* lineEnd = nullptr;
  std::size_t next = 0;
  if (!FindLineEnd(lineEnd, next)) {
    done_ = true;
    return false;
  }
  char* start = buffer_.get() + begin_;
  char* stop = buffer_.get() + (lineEnd - buffer_.get());
  lineEnded_ = next > static_cast<std::size_t>(lineEnd - buffer_.get());
  begin_ = next;

  lineCutAtMark_ = false;
  nextCtrlZ_ = FindFrom(nextCtrlZ_, start, '\x1a');
  if (nextCtrlZ_ != nullptr && nextCtrlZ_ < stop) [[unlikely]] {
    const bool restHoldsText = HoldsText(nextCtrlZ_ + 1, stop);
    if (nextCtrlZ_ == start && !firstLine_) {
      done_ = true;
      endedAtMark_ = true;
      markLineHoldsText_ = restHoldsText;
      return false;
    }
    lineCutAtMark_ = restHoldsText;
    stop = start + (nextCtrlZ_ - start);
  }
  firstLine_ = false;
  nextBackspace_ = FindFrom(nextBackspace_, start, '\b');
  lineHasBackspace_ = nextBackspace_ != nullptr && nextBackspace_ < stop;

  if (stop > start && stop[-1] == '\r') --stop;
  if (maybeLoneCr_ && std::memchr(start, '\r', static_cast<std::size_t>(stop - start)) != nullptr) {
    stop = std::remove(start, stop, '\r');
  }
  line = std::string_view(start, static_cast<std::size_t>(stop - start));
  return true;
}

void TTableFileLines::ReadPastEndMark(const std::function<void(std::size_t index, bool holdsText)>& visit) {
  if (!endedAtMark_) return;
  visit(0, markLineHoldsText_);
  const char* lineEnd = nullptr;
  std::size_t next = 0;
  for (std::size_t index = 1; FindLineEnd(lineEnd, next); ++index) {
    visit(index, HoldsText(buffer_.get() + begin_, lineEnd));
    begin_ = next;
  }
}

}  // namespace metrazil
