#pragma once

#include <exception>
#include <type_traits>
#include <utility>

#include "ui/ReportException.h"

namespace metrazil {

namespace guarded_detail {

// Signals may carry more arguments than the handler takes (clicked(bool)); those are dropped.
template <typename Handler, typename... Args>
void Invoke(const Handler& handler, Args&&... args) {
  if constexpr (std::is_invocable_v<const Handler&, Args...>) {
    handler(std::forward<Args>(args)...);
  } else {
    handler();
  }
}

}  // namespace guarded_detail

// Wraps a handler so that no exception unwinds through Qt's frames: whatever escapes is reported and the
// handler simply ends there, keeping what it changed before.
template <typename Handler>
auto Guarded(Handler handler) {
  return [handler = std::move(handler)](auto&&... args) -> void requires(
                                                            std::is_invocable_v<const Handler&, decltype(args)...> ||
                                                            std::is_invocable_v<const Handler&>) {
    try {
      guarded_detail::Invoke(handler, std::forward<decltype(args)>(args)...);
    } catch (const std::exception& error) {
      ReportException(error);
    }
  };
}

}  // namespace metrazil
