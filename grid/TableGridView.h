#pragma once

#include <QAbstractScrollArea>

#include "grid/TableGrid.h"

namespace metrazil {

// The on-screen grid over one TTableGrid model, which it owns.
class TTableGridView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TTableGridView(QWidget* parent = nullptr);
  ~TTableGridView() override;

  TTableGrid& Model() { return model_; }
  const TTableGrid& Model() const { return model_; }

 private:
  TTableGrid model_;
};

}  // namespace metrazil
