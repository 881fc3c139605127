#include "grid/view/CodePageText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "grid/text/CellTextKind.h"

namespace metrazil {

namespace {

// One converter each for the whole run: opening one is not free and the grid converts every painted cell.
QStringDecoder& Decoder() {
  static QStringDecoder decoder("GB18030");
  return decoder;
}

QStringEncoder& Encoder() {
  static QStringEncoder encoder("GB18030");
  return encoder;
}

}  // namespace

QString FromTableBytes(std::string_view bytes) {
  if (bytes.empty()) return {};
  QStringDecoder& decoder = Decoder();
  QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  decoder.resetState();
  return text;
}

QString FromTableBytes(std::string_view bytes, std::size_t maxChars, bool* cut) {
  const std::size_t maxBytes = maxChars > bytes.size() / kMaxBytesPerChar ? bytes.size() : maxChars * kMaxBytesPerChar;
  QString text = FromTableBytes(bytes.substr(0, maxBytes));
  const bool longer = bytes.size() > maxBytes || static_cast<std::size_t>(text.size()) > maxChars;
  if (longer) text.truncate(static_cast<qsizetype>(maxChars));
  if (cut != nullptr) *cut = longer;
  return text;
}

std::string ToTableBytes(const QString& text) {
  if (text.isEmpty()) return {};
  QStringEncoder& encoder = Encoder();
  QByteArray bytes = encoder.encode(text);
  encoder.resetState();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString EditorText(std::string_view cellText, bool* cut, TEditorTextForm form) {
  if (form == TEditorTextForm::kAsStored) return FromTableBytes(cellText, kMaxEditedChars, cut);
  QString text = FromTableBytes(RemoveMarkup(cellText, kMaxEditedChars * kMaxBytesPerChar + 1), kMaxEditedChars, cut);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace metrazil
