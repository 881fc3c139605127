#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QComboBox;
class QKeyEvent;

namespace metrazil {

class TItemListModel;
class TTableGrid;

// The behaviour of the calculation page's item box (ComboBox1), an editable drop-down list of the conversion
// table's names: typing completes the first name that starts with the text typed (case ignored, a
// double-byte character as one) and selects it; Up and Down select the next or previous name whether the
// list is dropped or not; picking from the list selects. Whenever the selected name changes through the user,
// picked() follows, which the window runs its selection handler on. A list of a million names costs no
// object per name.
class TItemBox : public QObject {
  Q_OBJECT

 public:
  // Takes over the box's list and its completion; the box keeps its place and look.
  explicit TItemBox(QComboBox* box);

  // Lists the names of column 0 of the grid (see TItemListModel::Fill); no name is selected and the text box
  // keeps what it had.
  void Fill(const TTableGrid& grid, const std::function<void()>& yield);

 signals:
  void picked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Activated(int index);
  bool ListKey(QKeyEvent* event);
  void Edited(const QString& text);

  QComboBox* box_;
  TItemListModel* list_ = nullptr;
  int selectedIndex_ = -1;  // the list item last selected through the user
  int lastEditKey_ = 0;     // the key behind the latest edit of the box's text, 0 for input-method text
};

}  // namespace metrazil
