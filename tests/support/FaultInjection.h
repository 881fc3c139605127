#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

#include "grid/file/SystemCalls.h"

namespace metrazil {

// The calls into the system made through sys:: fail one at a time: while a TArmed lives, the call numbered
// failAt (from 1) of those made fails with error. Calls may come from any thread.
struct TInjection {
  std::atomic<int> failAt{0};
  std::atomic<int> error{0};
  std::atomic<int> calls{0};
  std::atomic<const char*> failed{nullptr};  // the name of the call that failed
};
inline TInjection injection;

class TArmed {
 public:
  TArmed(int failAt, int error) {
    injection.failAt = failAt;
    injection.error = error;
    injection.calls = 0;
    injection.failed = nullptr;
    sys::SetFault([](const char* call) {
      if (++injection.calls != injection.failAt) return 0;
      injection.failed = call;
      return injection.error.load();
    });
  }
  ~TArmed() { sys::SetFault(nullptr); }
  TArmed(const TArmed&) = delete;
  TArmed& operator=(const TArmed&) = delete;
};

inline int OpenDescriptors() {
  namespace fs = std::filesystem;
  return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// Runs an operation once for every call into the system it makes, that call failing, with EIO and then with
// ENOSPC: the first call, then the second, and so on until a run makes fewer calls than the number to fail,
// which is the run with none failing. prepare, unarmed, makes what each run starts from and returns why it
// cannot be made here ("" when it can; the operation is then skipped). check, unarmed, looks at what each run
// left, given the error, with the call that failed in the trace; no run may leave a descriptor open. Adds
// the names of the calls that failed to failedCalls and returns how many runs had one fail, or nothing when
// skipped.
inline std::optional<int> RunWithEachCallFailing(const std::function<std::string()>& prepare,
                                                 const std::function<void()>& run,
                                                 const std::function<void(int error)>& check,
                                                 std::set<std::string>& failedCalls) {
  int injections = 0;
  for (const int error : {EIO, ENOSPC}) {
    for (int at = 1;; ++at) {
      if (const std::string missing = prepare(); !missing.empty()) {
        std::cout << "[  SKIPPED ] " << missing << '\n';
        return std::nullopt;
      }
      const int descriptors = OpenDescriptors();
      {
        const TArmed armed(at, error);
        run();
      }
      const bool injected = injection.calls >= at;
      SCOPED_TRACE(injected ? "call " + std::to_string(at) + ", " + injection.failed.load() + ", failing with " +
                                  std::strerror(error)
                            : "no call failing");
      EXPECT_EQ(OpenDescriptors(), descriptors) << "a descriptor left open";
      check(error);
      if (!injected) break;
      ++injections;
      failedCalls.insert(injection.failed.load());
    }
  }
  return injections;
}

}  // namespace metrazil
