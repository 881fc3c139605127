// A grid waiting for text from a real input method: real_input_method.sh types "ni hao" into it through
// ibus with libpinyin. Prints the focused cell once the edit ended and exits 0 when it holds Chinese text
// composed as a whole (not one stray character, not the keys themselves).
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("grid input method check"));
  auto* grid = new metrazil::TTableGridView(&window);
  metrazil::TTableGrid& model = grid->Model();
  model.SetFixedCols(0);
  model.SetFocusedCell(0, 1);
  model.WriteCell(0, 1, "old");
  grid->setGeometry(10, 10, 400, 250);
  window.resize(420, 270);
  window.show();
  window.activateWindow();
  grid->setFocus();

  int result = 2;  // nothing arrived in time
  auto finish = [&] {
    const QString cell = metrazil::FromTableBytes(model.ReadCell(0, 1));
    std::printf("cell: %s\n", cell.toUtf8().constData());
    bool chinese = cell.size() >= 2;
    for (QChar c : cell) chinese = chinese && c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF;
    result = chinese ? 0 : 1;
    app.quit();
  };
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (model.ReadCell(0, 1) != "old" && !grid->EditSession().IsEditing()) finish();
  });
  poll.start(50);
  QTimer::singleShot(argc > 1 ? std::atoi(argv[1]) : 20000, [&] { app.quit(); });
  app.exec();
  return result;
}
