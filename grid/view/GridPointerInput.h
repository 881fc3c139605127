#pragma once

#include <QObject>
#include <memory>

class QMouseEvent;
class QWheelEvent;
class QWidget;

namespace metrazil {

class TTableGridView;
class TGridLinkController;
class TGridPanningController;
class TGridScrollController;
class TGridSizingController;
class TGridWheelController;

// The pointer actions that change a grid's geometry or view rather than its cells: column sizing and
// fitting, the wheel and zoom, middle-button panning, the scroll bars and links in markup text. The view
// hands its mouse and wheel events here first; a handler that returns true has taken the event. Keys and
// focus changes (which end panning) and resizes are watched through event filters.
class TGridPointerInput : public QObject {
  Q_OBJECT

 public:
  explicit TGridPointerInput(TTableGridView& view);
  ~TGridPointerInput() override;

  bool MousePress(QMouseEvent* event);
  bool MouseMove(QMouseEvent* event);
  bool MouseRelease(QMouseEvent* event);
  bool MouseDoubleClick(QMouseEvent* event);
  void Wheel(QWheelEvent* event);
  // Counts, sizes or the top-left cell changed: the scroll bars follow.
  void LayoutChanged();
  // The in-place editor's wheel notches move the focused cell instead of scrolling its text.
  void WatchEditor(QWidget* editor);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TTableGridView& view_;
  std::unique_ptr<TGridSizingController> sizing_;
  std::unique_ptr<TGridLinkController> links_;
  std::unique_ptr<TGridWheelController> wheel_;
  std::unique_ptr<TGridPanningController> panning_;
  std::unique_ptr<TGridScrollController> scroll_;
};

}  // namespace metrazil
