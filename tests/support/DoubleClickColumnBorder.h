#pragma once

#include <QPoint>
#include <QRect>
#include <QTest>

#include "grid/view/TableGridView.h"

namespace metrazil {

// Double-clicks the header row on column col's right border, as a user fits the column to its texts. The
// border must be on screen and the column at least 4 pixels wide: nearer its left border the double-click
// fits the column before it.
inline void DoubleClickColumnBorder(TTableGridView& grid, int col) {
  const QRect header = grid.CellRect(col, 0);
  QVERIFY2(!header.isNull(), "the column's header is not on screen");
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                     QPoint(header.left() + header.width() - 1, header.center().y()));
}

}  // namespace metrazil
