#pragma once

#include <string>

#include "base/Exception.h"

namespace metrazil {

// The message of the Exception the call raises, or "no exception".
inline std::string ErrorOf(auto&& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.what();
  }
  return "no exception";
}

}  // namespace metrazil
