#pragma once

#include <QString>

namespace metrazil {

// Chinese text in a test, written as it reads in the source.
inline QString U(const char* text) { return QString::fromUtf8(text); }

}  // namespace metrazil
