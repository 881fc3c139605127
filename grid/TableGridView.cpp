#include "grid/TableGridView.h"

namespace metrazil {

TTableGridView::TTableGridView(QWidget* parent) : QAbstractScrollArea(parent) {}

TTableGridView::~TTableGridView() = default;

}  // namespace metrazil
