#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace metrazil {

// Converts the cell texts of a UTF-8 table file to the table's GB18030, one converter for a whole read.
class TUtf8ToGb18030 {
 public:
  // Errors: EConvertError when the system has no UTF-8 to GB18030 converter.
  TUtf8ToGb18030();
  ~TUtf8ToGb18030();
  TUtf8ToGb18030(const TUtf8ToGb18030&) = delete;
  TUtf8ToGb18030& operator=(const TUtf8ToGb18030&) = delete;

  // Appends the GB18030 form of `utf8` to `out`. Errors: EConvertError, `out` as it was, when `utf8` is
  // not text that TTableFileEncoding takes for UTF-8 (never for a cell of a file it classified UTF-8).
  void Append(std::string& out, std::string_view utf8);

 private:
  iconv_t converter_;
};

}  // namespace metrazil
