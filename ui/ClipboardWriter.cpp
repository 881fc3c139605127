#include "ui/ClipboardWriter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <utility>

#include "base/Exception.h"

namespace metrazil {

namespace {

ClipboardWriter& Writer() {
  static ClipboardWriter writer;
  return writer;
}

}  // namespace

void WriteClipboard(const QString& text) {
  if (Writer()) {
    Writer()(text);
    return;
  }
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard != nullptr) clipboard->setText(text);
  if (clipboard == nullptr || clipboard->text() != text) throw Exception("无法打开剪贴板");
}

ClipboardWriter SetClipboardWriter(ClipboardWriter writer) { return std::exchange(Writer(), std::move(writer)); }

}  // namespace metrazil
