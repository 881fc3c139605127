// A grid for atspi_check.py to find from outside over AT-SPI: named 换算表, the header row with 名称
// over column 1, the body's cell (1, 1) holding "<B>X1</B>" and the cell below it "Y2", with the
// keyboard focus on cell (1, 1); beside it a wide text that shows 中文 and a rich text that shows
// "Rich". The body starts below the header row: its cell (1, 1) is the model's column 1, row 2. The grid
// shows fewer rows than it has, so its vertical scroll bar shows.
// Runs for the milliseconds given (default 20000) unless it is ended first.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("grid accessibility check"));
  auto* grid = new metrazil::TTableGridView(&window);
  grid->setAccessibleName(QString::fromUtf8("换算表"));
  metrazil::TTableGrid& model = grid->Model();
  model.SetFixedCols(0);
  model.WriteCell(1, 0, metrazil::ToTableBytes(QString::fromUtf8("名称")));
  model.WriteCell(2, 0, metrazil::ToTableBytes(QString::fromUtf8("长度")));
  model.WriteCell(1, 2, "<B>X1</B>");
  model.WriteCell(1, 3, "Y2");
  model.WriteCell(2, 2, "|\\N-e\x87");
  model.WriteCell(3, 2, "{\\rtf1\\ansi Rich\\par}");
  model.SetFocusedCell(1, 2);
  grid->setGeometry(10, 10, 400, 150);
  window.resize(420, 270);
  window.show();
  window.activateWindow();
  grid->setFocus();
  QTimer::singleShot(argc > 1 ? std::atoi(argv[1]) : 20000, &app, &QApplication::quit);
  return app.exec();
}
