#include "base/Exception.h"

#include <cerrno>

namespace metrazil {

EListError EListError::IndexOutOfBounds(long long index) {
  return EListError("列表索引越界 (" + std::to_string(index) + ")");
}

EInvalidGridOperation EInvalidGridOperation::GridTooLarge() { return EInvalidGridOperation("操作的网格太大"); }

EInOutError EInOutError::FromErrno(int code) {
  if (code == EACCES || code == EPERM) return EInOutError(code, "文件存取错误");
  return EInOutError(code, "I/O 错误 " + std::to_string(code));
}

EOverflow::EOverflow() : Exception("浮点指针溢出") {}

}  // namespace metrazil
