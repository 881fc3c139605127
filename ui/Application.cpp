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
#include <utility>
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

// The command-line parser's own texts (usage line, headings, errors) in the program's Chinese, whatever the
// locale and whether or not a Qt catalogue is installed.
class TCommandLineTexts : public QTranslator {
 public:
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                    int /*n*/) const override {
    static constexpr std::pair<const char*, const char*> kTexts[] = {
        {"Usage: %1", "用法：%1"},
        {"[options]", "[选项]"},
        {"Options:", "选项："},
        {"Arguments:", "参数："},
        {"Unknown option '%1'.", "未知选项 '%1'。"},
        {"Unknown options: %1.", "未知选项：%1。"},
        {"Missing value after '%1'.", "'%1' 后缺少值。"},
        {"Unexpected value after '%1'.", "'%1' 不带值。"},
    };
    if (qstrcmp(context, "QCommandLineParser") != 0) return {};
    for (const auto& [english, chinese] : kTexts) {
      if (qstrcmp(sourceText, english) == 0) return QString::fromUtf8(chinese);
    }
    return {};
  }
};

}  // namespace

int HandleCommandLine(int argc, char** argv) {
  if (argc <= 1) return kContinueToWindow;
  // A copy, since the core application may take arguments out of the list the window's application reads.
  std::vector<char*> arguments(argv, argv + argc);
  int count = argc;
  const QCoreApplication core(count, arguments.data());
  QCoreApplication::setApplicationName(QStringLiteral("metrazil"));
  QCoreApplication::setApplicationVersion(QStringLiteral(METRAZIL_VERSION));
  TCommandLineTexts texts;
  QCoreApplication::installTranslator(&texts);

  QCommandLineParser parser;
  // Qt's options are single-dash words (-platform); -h and -v stay what they are.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(
      QString::fromUtf8("长度与重量换算：从自己维护的换算表中选择名称和换算方向，输入数量，得到换算结果。\n"
                        "换算表为 data.dat，通信录为 data2.dat，存放位置见 metrazil(1)。"));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString::fromUtf8("显示本帮助并退出。"));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QString::fromUtf8("显示版本并退出。"));
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
