#include "ui/Application.h"

#include <QFont>
#include <QLocale>
#include <exception>

#include "conversion/DecimalText.h"
#include "ui/ReportException.h"

namespace metrazil {

void InstallFontSubstitutions() {
  const QStringList song = {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")};
  QFont::insertSubstitutions(QString::fromUtf8("宋体"), song);
  QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
  // The grid face averages about 0.53 em per letter; measured: DejaVu Sans Condensed 0.56, Liberation Sans
  // 0.58, DejaVu Sans 0.62. The nearest keeps column texts within their widths.
  QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                             {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans")});
}

void UpdateDecimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  const QChar first = point.isEmpty() ? QLatin1Char('.') : point.front();
  SetDecimalSeparator(first.unicode() < 0x80 ? static_cast<char>(first.unicode()) : '.');
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromUtf8(kApplicationTitle));
  // The installed desktop entry (packaging/), so the desktop shows the window with its menu entry's icon.
  setDesktopFileName(QStringLiteral("example.metrazil.Metrazil"));
  InstallFontSubstitutions();
  UpdateDecimalSeparator();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ReportException(error);
    return true;
  }
}

bool TApplication::event(QEvent* event) {
  if (event->type() == QEvent::LocaleChange) UpdateDecimalSeparator();
  return QApplication::event(event);
}

}  // namespace metrazil
