#include "ui/ReadableText.h"

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QMetaObject>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QTabWidget>
#include <QWidget>
#include <utility>

#include "base/ColourContrast.h"
#include "grid/view/ReadableColour.h"

namespace metrazil {

namespace {

// Runs its action at once and after every palette change of the widget it watches. A new palette reaches
// the widgets of a window one by one, so the action waits until the change has reached them all.
class TPaletteFollower : public QObject {
 public:
  TPaletteFollower(QWidget* widget, std::function<void()> apply) : QObject(widget), apply_(std::move(apply)) {
    widget->installEventFilter(this);
    Apply();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::PaletteChange && !applying_ && !pending_) {
      pending_ = true;
      QMetaObject::invokeMethod(
          this, [this] { Apply(); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void Apply() {
    pending_ = false;
    applying_ = true;
    apply_();
    applying_ = false;
  }

  std::function<void()> apply_;
  bool pending_ = false;   // an Apply is queued
  bool applying_ = false;  // the action's own palette change is no change to follow
};

QPalette InheritedPalette(const QWidget* widget) {
  return widget->parentWidget() != nullptr ? widget->parentWidget()->palette() : QApplication::palette(widget);
}

}  // namespace

void FollowPalette(QWidget* widget, std::function<void()> apply) { new TPaletteFollower(widget, std::move(apply)); }

QColor BackgroundBehind(const QWidget* widget) {
  for (const QWidget* around = widget->parentWidget(); around != nullptr; around = around->parentWidget()) {
    if (around->autoFillBackground()) return around->palette().color(around->backgroundRole());
    if (const auto* tabs = qobject_cast<const QTabWidget*>(around)) {
      QImage pane(32, 32, QImage::Format_ARGB32_Premultiplied);
      pane.fill(tabs->palette().color(QPalette::Window));
      QPainter painter(&pane);
      QStyleOptionTabWidgetFrame option;
      option.initFrom(tabs);
      option.rect = pane.rect();
      tabs->style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, tabs);
      painter.end();
      return pane.pixelColor(pane.rect().center());
    }
    if (around->isWindow()) break;
  }
  return InheritedPalette(widget).color(QPalette::Window);
}

void KeepReadable(QWidget* widget, QPalette::ColorRole role, const QColor& design, QPalette::ColorRole counterpart) {
  FollowPalette(widget, [widget, role, design, counterpart] {
    const QPalette inherited = InheritedPalette(widget);
    const QColor background = BackgroundBehind(widget);
    QColor colour = design.isValid() ? design : inherited.color(role);
    if (ContrastRatio(colour, background) < kMinTextContrast) {
      colour = ReadableOn(counterpart != QPalette::NoRole ? inherited.color(counterpart) : colour, background);
    }
    if (widget->palette().color(role) == colour && widget->testAttribute(Qt::WA_SetPalette)) return;
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
  });
}

QIcon ReadableIcon(const QIcon& icon, const QColor& background, const QColor& ink) {
  // The glyph reads when its most contrasting opaque pixel does.
  const QImage glyph = icon.pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
  double best = 1;
  for (int y = 0; y < glyph.height(); ++y) {
    for (int x = 0; x < glyph.width(); ++x) {
      const QColor pixel = glyph.pixelColor(x, y);
      if (pixel.alpha() >= 128) best = std::max(best, ContrastRatio(pixel, background));
    }
  }
  if (best >= kMinTextContrast) return icon;
  QIcon tinted;
  for (const QSize& size : icon.availableSizes()) {
    QPixmap pixmap = icon.pixmap(size);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), ink);
    painter.end();
    tinted.addPixmap(pixmap);
  }
  return tinted;
}

}  // namespace metrazil
