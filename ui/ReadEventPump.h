#pragma once

#include <chrono>
#include <functional>

namespace metrazil {

class TTableGridView;

// Lets every window event through while the start-up reads run, every few milliseconds: the window paints
// and takes the close button. The read calls it every few thousand lines, so asking the clock costs nothing.
// The grid being read holds its update open throughout; each pass shows what was read so far. A close asked
// for meanwhile ends the read at its next call (EAbort). Unlike TPaintWhileBusy, which keeps saves and block
// commands painting, it takes input too: the page being read takes none, the rest of the window does.
class TReadEventPump {
 public:
  explicit TReadEventPump(std::function<bool()> closeRequested) : closeRequested_(std::move(closeRequested)) {}

  // The grid whose notices each pass lets out; none between reads.
  void Reading(TTableGridView* view) { view_ = view; }
  void operator()();

 private:
  std::function<bool()> closeRequested_;
  TTableGridView* view_ = nullptr;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

}  // namespace metrazil
