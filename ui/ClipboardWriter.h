#pragma once

#include <QString>
#include <functional>

namespace metrazil {

// Puts text on the clipboard; Exception "无法打开剪贴板" when the clipboard does not take it.
void WriteClipboard(const QString& text);

// Replaces the clipboard WriteClipboard writes to (tests record the text instead); an empty function
// restores the real one. Returns the previous writer.
using ClipboardWriter = std::function<void(const QString& text)>;
ClipboardWriter SetClipboardWriter(ClipboardWriter writer);

}  // namespace metrazil
