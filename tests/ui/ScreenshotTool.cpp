// Writes the README's screenshots of the four pages: run under an X server, e.g.
//   xvfb-run -a -s "-screen 0 1024x768x24" build/release/tests/ui/ui_screenshots docs/screenshots
// With "dark" after the folder the pages are shot under a dark desktop palette (names ending in -dark), with
// "screen" the whole screen is shot as well (screen.png), to show where the window opened.
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "base/ProgramDirectory.h"
#include "tests/support/DarkPalette.h"
#include "ui/Application.h"
#include "ui/Form1.h"

using namespace metrazil;

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  TApplication app(argc, argv);
  const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  const QStringList options = QCoreApplication::arguments().mid(2);
  const bool dark = options.contains(QStringLiteral("dark"));
  if (dark) QApplication::setPalette(DarkPalette());
  QTemporaryDir dir;
  for (const char* name : {"data.dat", "data2.dat"}) {
    const QString file = QString::fromLatin1(name);
    if (!QFile::copy(QStringLiteral(METRAZIL_EXAMPLES_DIR "/") + file, dir.filePath(file))) return 1;
  }
  SetProgramDirectoryForTesting(dir.path().toStdString());

  TForm1 form;
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  QTest::qWait(300);
  form.Edit1->setText(QStringLiteral("100"));
  form.ComboBox1->setFocus();
  QTest::keyClick(form.ComboBox1, Qt::Key_Down);
  form.Edit1->setText(QStringLiteral("25"));
  QTest::mouseClick(form.RadioButton2, Qt::LeftButton);
  form.Edit1->setFocus();

  const char* names[] = {"calculation.png", "maintenance.png", "address-book.png", "web-page.png"};
  for (int page = 0; page < 4; ++page) {
    form.PageControl1->setCurrentIndex(page);
    QTest::qWait(400);
    const QPixmap shot = form.screen()->grabWindow(form.winId());
    QString name = QString::fromLatin1(names[page]);
    if (dark) name.replace(QStringLiteral(".png"), QStringLiteral("-dark.png"));
    if (!shot.save(out.filePath(name))) return 1;
  }
  if (options.contains(QStringLiteral("screen"))) {
    form.PageControl1->setCurrentIndex(0);
    QTest::qWait(400);
    if (!form.screen()->grabWindow(0).save(out.filePath(QStringLiteral("screen.png")))) return 1;
  }
  std::printf("%s\n", qPrintable(QFontInfo(form.font()).family()));
  return 0;
}
