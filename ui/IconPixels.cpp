// Build tool: renders the window icon's SVG into the pixels of the sizes an X11 window manager is given
// for a scalable icon, as a C++ array, so that the program shows the same icon without loading the SVG
// icon engine and probing every image-format plugin at start-up.
//   metrazil_icon_pixels <icon.svg> <out.cpp>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

#include "ui/IconPixels.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <icon.svg> <out.cpp>\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  QByteArray out =
      "// Generated from the window icon's SVG by metrazil_icon_pixels; do not edit.\n"
      "#include \"ui/IconPixels.h\"\n\nnamespace metrazil {\n\n"
      "const unsigned char kIconPixels[] = {\n";
  for (const int size : metrazil::kIconSizes) {
    // As the SVG icon engine draws a square icon: premultiplied, on transparency, filling the square.
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      renderer.render(&painter, QRectF(0, 0, size, size));
    }
    for (int y = 0; y < size; ++y) {
      const auto* line = reinterpret_cast<const unsigned char*>(image.constScanLine(y));
      for (int x = 0; x < size * 4; ++x) out += QByteArray::number(line[x]) + ',';
      out += '\n';
    }
  }
  out += "};\n\n}  // namespace metrazil\n";
  QFile file(QString::fromLocal8Bit(argv[2]));
  if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
