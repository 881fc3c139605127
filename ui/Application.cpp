#include "ui/Application.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <exception>
#include <vector>

#include "conversion/DecimalText.h"
#include "ui/ReportException.h"

namespace metrazil {

namespace {

// The options QGuiApplication and QApplication take themselves, accepted so they still reach them.
void AddQtOptions(QCommandLineParser& parser) {
  const char* const withValue[] = {
      "platform", "platformpluginpath", "platformtheme", "plugin",     "qwindowgeometry", "qwindowicon", "qwindowtitle",
      "display",  "geometry",           "style",         "stylesheet", "session",         "name",        "title",
      "visual",   "qmljsdebugger"};
  const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
  for (const char* name : withValue) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : flags) {
    QCommandLineOption option(QString::fromLatin1(name));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
}

void Print(std::FILE* stream, const QString& text) { std::fputs(text.toLocal8Bit().constData(), stream); }

}  // namespace

int HandleCommandLine(int argc, char** argv) {
  if (argc <= 1) return kContinueToWindow;
  // A copy, since the core application may take arguments out of the list the window's application reads.
  std::vector<char*> arguments(argv, argv + argc);
  int count = argc;
  const QCoreApplication core(count, arguments.data());
  QCoreApplication::setApplicationName(QStringLiteral("metrazil"));
  QCoreApplication::setApplicationVersion(QStringLiteral(METRAZIL_VERSION));

  QCommandLineParser parser;
  // Qt's options are single-dash words (-platform); -h and -v stay what they are.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(
      QStringLiteral("Converts between the length and the weight of items, from a table you keep yourself.\n"
                     "The tables are data.dat and data2.dat; see metrazil(1) for where they live."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Shows this help and exits."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Shows the version and exits."));
  parser.addOption(help);
  parser.addOption(version);
  AddQtOptions(parser);

  if (!parser.parse(QCoreApplication::arguments())) {
    Print(stderr, QStringLiteral("metrazil: %1\n").arg(parser.errorText()) + parser.helpText());
    return 2;
  }
  if (parser.isSet(help)) {
    Print(stdout, parser.helpText());
    return 0;
  }
  if (parser.isSet(version)) {
    Print(stdout, QStringLiteral("metrazil %1\n").arg(QCoreApplication::applicationVersion()));
    return 0;
  }
  return kContinueToWindow;
}

void InstallFontSubstitutions() {
  const QStringList song = {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")};
  QFont::insertSubstitutions(QString::fromUtf8("宋体"), song);
  QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
  // The grid face averages about 0.53 em per letter; measured: DejaVu Sans Condensed 0.56, Liberation Sans
  // 0.58, DejaVu Sans 0.62. The nearest keeps column texts within their widths.
  QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                             {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans")});
}

void InstallQtTranslations(QCoreApplication& application) {
  const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* catalogue : {"qtbase_zh_CN", "qtwebengine_zh_CN"}) {
    auto* translator = new QTranslator(&application);
    if (translator->load(QString::fromLatin1(catalogue), directory)) {
      QCoreApplication::installTranslator(translator);
    } else {
      delete translator;
    }
  }
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
  InstallQtTranslations(*this);
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
