#pragma once

#include <QPoint>
#include <QString>

class QMouseEvent;

namespace metrazil {

class TTableGridView;

// Links drawn in markup cell text. A left press on one follows it and does nothing else: a cell link moves
// the focus, web and mail addresses open in the desktop's handler, and every other target is ignored.
class TGridLinkController {
 public:
  explicit TGridLinkController(TTableGridView& view);

  // True when the press was on a link (and the link has been followed).
  bool MousePress(QMouseEvent* event);
  // Whether a link lies under pos (viewport coordinates), for the pointer shape.
  bool IsOverLink(QPoint pos) const;

 private:
  // Follows target: "CELL://R<row>C<col>" moves the focus to the row, then to the column, raising
  // EInvalidGridOperation for an index outside the counts; what IsAllowedExternalLink allows opens outside.
  void Follow(const QString& target);
  QString AnchorAt(QPoint pos) const;

  TTableGridView& view_;
};

}  // namespace metrazil
