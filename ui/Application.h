#pragma once

#include <QApplication>

namespace metrazil {

// The program's application object: title, fonts and decimal separator at start, and the last net of the
// dispatch that reports every exception escaping an event and goes on.
class TApplication : public QApplication {
  Q_OBJECT

 public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

 protected:
  bool event(QEvent* event) override;
};

// Answers --help/-h and --version/-v before any window exists, so they need no display. Returns the exit
// status when the run ends here (0, or 2 after an unknown option, with the usage on standard error), or
// kContinueToWindow. Other arguments are ignored, and Qt's own options are left to the application object.
inline constexpr int kContinueToWindow = -1;
int HandleCommandLine(int argc, char** argv);

// Qt's own texts (standard buttons, editors' context menus, dialogs) in Chinese like the rest of the window,
// whatever the locale: the distribution's Qt catalogues. A missing catalogue leaves Qt's English texts.
void InstallQtTranslations(QCoreApplication& application);
// Maps the window and grid font names onto installed faces with the same look and metrics.
void InstallFontSubstitutions();
// Takes the locale's decimal symbol (its first character, "." when it is not a single-byte one).
void UpdateDecimalSeparator();

}  // namespace metrazil
