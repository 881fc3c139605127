#include "grid/view/GridLinkController.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#include "grid/layout/GridLinkTarget.h"
#include "grid/view/CellTextPainter.h"
#include "grid/view/GridPainter.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridLinkController::TGridLinkController(TTableGridView& view) : view_(view) {}

QString TGridLinkController::AnchorAt(QPoint pos) const {
  const TCellAddress cell = view_.ViewportToCell(pos);
  if (cell.col < 0 || cell.row < 0) return {};
  const TTableGrid& model = view_.Model();
  const std::string_view text = model.CellText(cell.col, cell.row);
  // Only markup can hold links; a cheap look for a tag spares the document layout on every move.
  if (text.find('<') == std::string_view::npos) return {};
  const QFont font = cell.row < model.FixedRows() ? view_.Style().headerFont : view_.Style().bodyFont;
  return TCellTextPainter::AnchorAt(text, TGridPainter::TextRect(view_.CellRect(cell.col, cell.row)), font, pos);
}

bool TGridLinkController::IsOverLink(QPoint pos) const { return !AnchorAt(pos).isEmpty(); }

bool TGridLinkController::MousePress(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return false;
  const QString target = AnchorAt(event->position().toPoint());
  if (target.isEmpty()) return false;
  Follow(target);
  return true;
}

void TGridLinkController::Follow(const QString& target) {
  const QByteArray utf8 = target.toUtf8();
  const std::string_view text(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  if (const auto link = ParseCellLink(text)) {
    TTableGrid& model = view_.Model();
    TTableGrid::CheckGridIndex(link->row, model.RowCount());
    const int row = static_cast<int>(link->row);
    view_.MoveFocus(model.FocusedCol(), row, false);
    TTableGrid::CheckGridIndex(link->col, model.ColCount());
    view_.MoveFocus(static_cast<int>(link->col), row, false);
    return;
  }
  if (!IsAllowedExternalLink(text)) return;
  const QUrl url(target, QUrl::StrictMode);
  // The parsed URL must agree with the text's scheme, so nothing odd slips through the parser.
  if (!url.isValid() || !IsAllowedLinkScheme(url.scheme().toLower().toStdString())) return;
  QDesktopServices::openUrl(url);
}

}  // namespace metrazil
