// Writes the README's screenshots of the four pages: run under an X server, e.g.
//   xvfb-run -a -s "-screen 0 1024x768x24" build/release/tests/ui/ui_screenshots docs/screenshots
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "base/ProgramDirectory.h"
#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "ui/Application.h"
#include "ui/Form1.h"

using namespace metrazil;

namespace {

void WriteSample(const QString& path, const QList<QStringList>& rows, int colCount) {
  TTableGrid grid;
  grid.SetFixedCols(0);
  grid.SetColCount(colCount);
  grid.SetRowCount(static_cast<int>(rows.size()) + 3);
  for (int row = 0; row < rows.size(); ++row) {
    for (int col = 0; col < rows[row].size(); ++col) grid.WriteCell(col, row, ToTableBytes(rows[row][col]));
  }
  grid.WriteTableFile(path.toStdString());
}

QString U(const char* text) { return QString::fromUtf8(text); }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  TApplication app(argc, argv);
  const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  QTemporaryDir dir;
  WriteSample(dir.filePath(QStringLiteral("data.dat")),
              {{U("名称"), U("长度单位"), U("重量单位"), U("重量换长度"), U("长度换重量")},
               {U("钢筋 12mm"), U("米"), U("公斤"), U("1.126"), U("0.888")},
               {U("铜线 2.5"), U("米"), U("克"), U("0.0446"), U("22.4")},
               {U("铝板 3mm"), U("平方米"), U("公斤"), U("0.1235"), U("8.1")},
               {U("X1"), U("米"), U("公斤"), U("0.25"), U("4")}},
              5);
  WriteSample(dir.filePath(QStringLiteral("data2.dat")),
              {{U("姓名"), U("单位"), U("电话"), U("地址"), U("备注")},
               {U("张三"), U("五金店"), U("010-5555 0101"), U("北京"), U("钢筋")},
               {U("李四"), U("电缆厂"), U("021-5555 0102"), U("上海"), U("")}},
              5);
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
    if (!shot.save(out.filePath(QString::fromLatin1(names[page])))) return 1;
  }
  std::printf("%s\n", qPrintable(QFontInfo(form.font()).family()));
  return 0;
}
