#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace metrazil {

// Cell texts and table files are GB18030 bytes; these are the only conversions at the UI boundary.
// Undecodable bytes become U+FFFD; characters GB18030 cannot hold do not exist (it covers all of Unicode).
QString FromTableBytes(std::string_view bytes);
std::string ToTableBytes(const QString& text);

}  // namespace metrazil
