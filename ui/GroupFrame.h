#pragma once

#include <QGroupBox>

namespace metrazil {

// A group frame without caption. Under the Fusion style it draws its frame from pixels that style drew at
// build time: the style loads the frame from an image file, and the first such load opens every
// image-format plugin (and the SVG and JPEG libraries) before the window can first paint. Any other case
// (another style, a caption, a check box, a high-density screen) is left to the style.
class TGroupFrame : public QGroupBox {
  Q_OBJECT

 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace metrazil
