#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <string>

#include "grid/model/TableDesign.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"
#include "tests/support/UserInput.h"

namespace metrazil {

// A window holding one grid with the main window's settings and a button after it in the tab order.
// The grid's viewport is viewportSize; with the default it shows the header and five body rows fully.
class GridViewHarness {
 public:
  explicit GridViewHarness(QSize viewportSize = QSize(322, 127)) {
    grid = new TTableGridView(&window);
    button = new QPushButton(QString::fromUtf8("保存(&S)"), &window);
    TTableGrid& model = grid->Model();
    SetDesignState(model);
    const int frame = grid->frameWidth();
    grid->setGeometry(0, 0, viewportSize.width() + 2 * frame, viewportSize.height() + 2 * frame);
    button->setGeometry(0, grid->height() + 10, 100, 24);
    window.resize(std::max(grid->width(), 120) + 20, grid->height() + 50);
    window.show();
    window.activateWindow();
    active = QTest::qWaitForWindowActive(&window);
    // Scroll bars come and go with the room they leave: settle on the viewport size asked for.
    for (int i = 0; i < 3 && grid->viewport()->size() != viewportSize; ++i) {
      grid->resize(grid->size() + viewportSize - grid->viewport()->size());
      QApplication::processEvents();
    }
    grid->setFocus();
    QApplication::processEvents();
  }

  TTableGrid& Model() { return grid->Model(); }
  std::string Cell(int col, int row) { return Model().ReadCell(col, row); }
  QWidget* Focus() { return QApplication::focusWidget(); }

  // Keys and text go to whatever has the keyboard focus (the first character typed may open the editor).
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { metrazil::Key(key, mods); }
  void Type(const QString& text) { metrazil::Type(text.toLatin1().constData()); }
  // A character no key of the test keyboard has, as a keyboard layout would deliver it.
  void TypeCharacter(const QString& character) { TypeCharacters(character); }

  // Mouse actions go through the window, as the platform delivers them.
  QPoint ToWindow(QPoint viewportPos) { return grid->viewport()->mapTo(&window, viewportPos); }
  void Press(QPoint pos, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mousePress(window.windowHandle(), button, mods, ToWindow(pos));
  }
  void Release(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseRelease(window.windowHandle(), button, Qt::NoModifier, ToWindow(pos));
  }
  void Click(QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, mods, ToWindow(pos));
  }
  void DoubleClick(QPoint pos) { QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, ToWindow(pos)); }
  QPoint CellCenter(int col, int row) { return grid->CellRect(col, row).center(); }

  bool EditorOpen() {
    return grid->EditSession().IsEditing() && grid->EditSession().Editor() != nullptr &&
           grid->EditSession().Editor()->isVisible();
  }
  QString EditorText() { return grid->EditSession().Editor()->toPlainText(); }

  QWidget window;
  bool active = false;
  TTableGridView* grid = nullptr;
  QPushButton* button = nullptr;
};

}  // namespace metrazil
