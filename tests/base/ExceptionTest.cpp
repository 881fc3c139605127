#include <gtest/gtest.h>

#include <cerrno>

#include "base/Exception.h"

namespace metrazil {
namespace {

TEST(ExceptionTest, MessagesAreTheUserVisibleTexts) {
  EXPECT_STREQ(EListError::IndexOutOfBounds(-1).what(), "列表索引越界 (-1)");
  EXPECT_STREQ(EInOutError::FromErrno(ENOSPC).what(), ("I/O 错误 " + std::to_string(ENOSPC)).c_str());
  EXPECT_STREQ(EInOutError::FromErrno(EACCES).what(), "文件存取错误");
  EXPECT_EQ(EInOutError::FromErrno(ENOSPC).Code(), ENOSPC);
  EXPECT_STREQ(EOverflow().what(), "浮点指针溢出");
  EXPECT_STREQ(EInvalidGridOperation::GridTooLarge().what(), "操作的网格太大");
}

TEST(ExceptionTest, AllDeriveFromException) {
  const Exception& e = ETableGridError("Cannot open file /x");
  EXPECT_STREQ(e.what(), "Cannot open file /x");
  EXPECT_NO_THROW(static_cast<void>(dynamic_cast<const std::exception&>(e)));
}

}  // namespace
}  // namespace metrazil
