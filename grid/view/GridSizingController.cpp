#include "grid/view/GridSizingController.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/CodePage.h"
#include "grid/layout/GridGeometry.h"
#include "grid/layout/GridSizingRules.h"
#include "grid/model/GridEdits.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridSizingLine.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

namespace {

// An upper bound of a text's measured width: the sum of its characters' advances, each measured alone
// (this takes shaping and kerning to narrow a run of characters, never to widen it). One-byte characters are measured
// up front, two-byte ones when first met; a stray lead byte counts as what it decodes to alone; a text with a four-byte
// character has no bound and is measured.
class TAdvanceBound {
 public:
  explicit TAdvanceBound(const QFont& font) : metrics_(font), advances_(kOneByteChars + kPairs, kUnmeasured) {
    for (int byte = 0; byte < 0x80; ++byte) advances_[byte] = Units(QString(QChar(byte)));
    // CR and LF end the line; neither can be the second byte of a character, so no character spans them.
    advances_['\r'] = advances_['\n'] = kLineEnd;
    strayByte_.fill(kUnmeasured);
    for (std::size_t pair = 0; pair < kPairs; ++pair) {
      const auto lead = static_cast<unsigned char>(0x80 + (pair >> 8));
      const auto trail = static_cast<unsigned char>(pair & 0xFF);
      if (!IsGbLeadByte(lead) || !IsGbTrailByte(trail)) {
        advances_[kOneByteChars + pair] = kNoPair;
      }
    }
  }

  // Whether the text's first line (FirstLine) measures at most widest pixels, judged without measuring
  // it. Finds the line's end as it goes, so a text it judges is read once; gives up as soon as the sum
  // passes the limit. One table look-up per character: the hot loop of a fit over a million rows.
  bool FirstLineCannotExceed(std::string_view text, int widest) {
    // The measured width is the rounded sum: a sum under widest + 0.5 cannot round above widest.
    const std::int64_t limit = std::int64_t{widest} * kUnitsPerPixel + kUnitsPerPixel / 2 - 1;
    std::int64_t sum = 0;
    text = text.substr(0, std::min(text.size(), kMaxMeasuredBytes));
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    for (std::size_t pos = 0; pos < size;) {
      // Branches, not a branch-free index: a predicted branch lets the next character's load start early.
      const unsigned lead = bytes[pos];
      if (lead < 0x80) {
        const std::int32_t advance = advances_[lead];
        if (advance == kLineEnd) break;
        sum += advance;
        ++pos;
      } else {
        // A lead byte ending the text pairs with 0, which makes no character.
        const unsigned trail = pos + 1 < size ? bytes[pos + 1] : 0;
        const std::size_t index = kOneByteChars + (((lead - 0x80) << 8) | trail);
        if (advances_[index] >= 0) {
          sum += advances_[index];
          pos += 2;
        } else if (advances_[index] == kUnmeasured) {
          advances_[index] = Units(FromTableBytes(text.substr(pos, 2)));
          sum += advances_[index];
          pos += 2;
        } else if (CharLengthAt(text, pos) == 1) {
          sum += StrayByteAdvance(static_cast<unsigned char>(lead));
          ++pos;
        } else {
          return false;  // a four-byte character has no bound
        }
      }
      if (sum > limit) return false;
    }
    return true;
  }

 private:
  // Advances in fixed point, rounded up, so the sums are exact and never under the truth.
  static constexpr std::int64_t kUnitsPerPixel = 64;
  // The table holds the one-byte characters, then every pair of bytes with a lead byte of 0x80 or more.
  static constexpr std::size_t kOneByteChars = 0x80;
  static constexpr std::size_t kPairs = 0x8000;
  static constexpr std::int32_t kUnmeasured = -1;
  static constexpr std::int32_t kNoPair = -2;
  static constexpr std::int32_t kLineEnd = -3;

  std::int32_t Units(const QString& text) const {
    return static_cast<std::int32_t>(std::ceil(metrics_.horizontalAdvance(text) * kUnitsPerPixel));
  }

  // A lead byte that starts no character decodes on its own.
  std::int32_t StrayByteAdvance(unsigned char byte) {
    std::int32_t& advance = strayByte_[byte - 0x80];
    if (advance < 0) advance = Units(FromTableBytes(std::string_view(reinterpret_cast<const char*>(&byte), 1)));
    return advance;
  }

  QFontMetricsF metrics_;
  std::vector<std::int32_t> advances_;
  std::array<std::int32_t, 0x80> strayByte_{};
};

}  // namespace

TGridSizingController::TGridSizingController(TTableGridView& view)
    : view_(view), line_(std::make_unique<TGridSizingLine>(view.viewport())) {}

TGridSizingController::~TGridSizingController() = default;

bool TGridSizingController::InHeaderRow(const TGridGeometry& geometry, QPoint pos) const {
  return view_.Model().FixedRows() > 0 && pos.x() >= 0 && geometry.RowAt(pos.y()) == 0;
}

int TGridSizingController::SizingZoneColumn(QPoint pos) const {
  const TGridGeometry geo = view_.Geometry();
  if (!InHeaderRow(geo, pos)) return -1;
  // Only borders on screen count. Where zones overlap (narrow columns) the rightmost wins, so a column
  // squeezed to nothing can still be pulled open again.
  int found = -1;
  for (const int col : geo.VisibleCols()) {
    if (InSizingZone(pos.x(), static_cast<int>(geo.CellRect(col, 0).right))) found = col;
  }
  return found;
}

void TGridSizingController::MoveLine(int pointerX) {
  lineX_ = pointerX + sizingOffset_;
  const TGridGeometry geo = view_.Geometry();
  // Drawn over the column's own grid line while the border has not moved.
  line_->ShowAt(lineX_ - 1, static_cast<int>(std::min(geo.CellsBottom(), geo.ClientHeight())));
}

bool TGridSizingController::MousePress(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return false;
  const QPoint pos = event->position().toPoint();
  const int col = SizingZoneColumn(pos);
  if (col < 0) return false;
  view_.EditSession().EndEdit();
  view_.setFocus(Qt::MouseFocusReason);
  sizingCol_ = col;
  sizingOffset_ = static_cast<int>(view_.Geometry().CellRect(col, 0).right) - pos.x();
  MoveLine(pos.x());
  return true;
}

bool TGridSizingController::MouseMove(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (IsSizing()) {
    MoveLine(pos.x());
    return true;
  }
  if (event->buttons() == Qt::NoButton && SizingZoneColumn(pos) >= 0) {
    view_.viewport()->setCursor(Qt::SplitHCursor);
    return true;
  }
  view_.viewport()->unsetCursor();
  return false;
}

void TGridSizingController::Cancel() {
  sizingCol_ = -1;
  line_->hide();
}

bool TGridSizingController::MouseRelease(QMouseEvent* event) {
  if (!IsSizing()) return false;
  if (event->button() != Qt::LeftButton) return true;
  const int col = sizingCol_;
  sizingCol_ = -1;
  line_->hide();
  const int x = event->position().toPoint().x();
  // Released beyond the right edge: the drag is abandoned.
  if (x >= view_.viewport()->width() || col >= view_.Model().ColCount()) return true;
  lineX_ = x + sizingOffset_;
  const TGridRect rect = view_.Geometry().CellRect(col, 0);
  if (rect == TGridRect{}) return true;  // scrolled away meanwhile
  if (const auto width = DraggedWidth(lineX_, static_cast<int>(rect.left))) {
    if (*width != view_.Model().ColWidth(col)) view_.UndoStack().Push(ChangeColWidth(view_.Model(), col, *width));
  }
  return true;
}

bool TGridSizingController::MouseDoubleClick(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return false;
  const QPoint pos = event->position().toPoint();
  const auto hit = HeaderDoubleClickAt(view_.Geometry(), pos.x(), pos.y());
  if (!hit) return false;
  switch (hit->action) {
    case THeaderDoubleClick::kFitLeftColumn:
      FitColumn(hit->col - 1);
      return true;
    case THeaderDoubleClick::kFitColumn:
      FitColumn(hit->col);
      return true;
    case THeaderDoubleClick::kEditHeader:
      return false;
  }
  return false;
}

void TGridSizingController::FitColumn(int col) {
  TTableGrid& model = view_.Model();
  if (col < 0 || col >= model.ColCount()) throw EListError::IndexOutOfBounds(col);
  const QFontMetrics headerMetrics(view_.Style().headerFont);
  const QFontMetrics bodyMetrics(view_.Style().bodyFont);
  int widest = 0;
  auto measure = [&widest](const QFontMetrics& metrics, std::string_view firstLine) {
    if (!firstLine.empty()) widest = std::max(widest, metrics.horizontalAdvance(FromTableBytes(firstLine)));
  };
  const int fixedRows = std::min(model.FixedRows(), model.RowCount());
  for (int row = 0; row < fixedRows; ++row) measure(headerMetrics, FirstLine(model.CellText(col, row)));
  // A first line no wider than its characters one by one cannot beat the widest so far and is not measured;
  // of the rest, each distinct one is measured once. The views stay valid, as nothing writes to the grid
  // meanwhile.
  TAdvanceBound bound(view_.Style().bodyFont);
  std::unordered_set<std::string_view> seen;
  model.ForEachTextInColumn(col, fixedRows, model.RowCount(), [&](int, std::string_view text) {
    if (bound.FirstLineCannotExceed(text, widest)) return;  // an empty first line included
    const std::string_view firstLine = FirstLine(text);
    if (seen.insert(firstLine).second) measure(bodyMetrics, firstLine);
  });
  view_.UndoStack().Push(ChangeColWidth(model, col, FitWidth(widest)));
}

}  // namespace metrazil
