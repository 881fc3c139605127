#pragma once

#include <exception>
#include <string>

namespace metrazil {

// Every failure of the program is one of these; the message is UTF-8 text shown as is in the error box.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

class EListError : public Exception {
 public:
  using Exception::Exception;
  // "列表索引越界 (%d)" with the offending index.
  static EListError IndexOutOfBounds(long long index);
};

class EInvalidGridOperation : public Exception {
 public:
  using Exception::Exception;
  // "操作的网格太大": a count, a row insertion or a text beyond what a grid can hold.
  static EInvalidGridOperation GridTooLarge();
};

class ETableGridError : public Exception {
 public:
  using Exception::Exception;
};

// Carries the operating system's error code (errno); access denied has a message of its own.
class EInOutError : public Exception {
 public:
  EInOutError(int code, std::string message) : Exception(std::move(message)), code_(code) {}
  // "I/O 错误 %d" with the code, or "文件存取错误" for EACCES and EPERM.
  static EInOutError FromErrno(int code);
  int Code() const noexcept { return code_; }

 private:
  int code_;
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class EOverflow : public Exception {
 public:
  EOverflow();
};

// Ends a handler silently: the error box shows nothing for it.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

}  // namespace metrazil
