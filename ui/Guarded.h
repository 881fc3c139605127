#pragma once

#include <exception>
#include <type_traits>
#include <utility>

#include "ui/ReportException.h"

namespace metrazil {

// Wraps a handler so that no exception unwinds through Qt's frames: whatever escapes is reported and the
// handler simply ends there, keeping what it changed before.
template <typename Handler>
auto Guarded(Handler handler) {
  return [handler = std::move(handler)](auto&&... args) {
    try {
      // Signals may carry more arguments than the handler takes (clicked(bool)); those are dropped.
      if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>) {
        handler(std::forward<decltype(args)>(args)...);
      } else {
        handler();
      }
    } catch (const std::exception& error) {
      ReportException(error);
    }
  };
}

}  // namespace metrazil
