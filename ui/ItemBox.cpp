#include "ui/ItemBox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <algorithm>
#include <utility>

#include "ui/ItemListModel.h"

namespace metrazil {

TItemBox::TItemBox(QComboBox* box) : QObject(box), box_(box) {
  box_->setEditable(true);
  box_->setInsertPolicy(QComboBox::NoInsert);
  box_->setCompleter(nullptr);  // completion is ours: it selects the item and tells the window
  // A list of a million names: no per-item objects, and neither the box nor its list measures every item.
  list_ = new TItemListModel(box_);
  box_->setModel(list_);
  box_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  if (auto* list = qobject_cast<QListView*>(box_->view())) list->setUniformItemSizes(true);
  box_->setCurrentIndex(-1);
  box_->view()->installEventFilter(this);
  box_->installEventFilter(this);
  connect(box_, &QComboBox::activated, this, &TItemBox::Activated);
  connect(box_->lineEdit(), &QLineEdit::textEdited, this, &TItemBox::Edited);
}

void TItemBox::Fill(const TTableGrid& grid, const std::function<void()>& yield) {
  const QString text = box_->currentText();
  list_->Fill(grid, yield);
  box_->setCurrentIndex(-1);
  box_->setEditText(text);
  selectedIndex_ = -1;
}

void TItemBox::Activated(int index) {
  if (index < 0 || index == selectedIndex_) return;
  selectedIndex_ = index;
  emit picked();
}

bool TItemBox::ListKey(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  // Typing and editing keys belong to the text box while the list is dropped: the same auto-completion as
  // with the list closed, not the list's own keyboard search.
  const bool typed = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                     (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
  const bool editing = mods == Qt::NoModifier && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                                                  event->key() == Qt::Key_Left || event->key() == Qt::Key_Right);
  if (typed || editing) {
    lastEditKey_ = event->key();
    QCoreApplication::sendEvent(box_->lineEdit(), event);
    return true;
  }
  // Up and Down in the dropped list select as they do in the closed box, the list staying open.
  if (mods != Qt::NoModifier || (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down)) return false;
  QAbstractItemView* list = box_->view();
  if (box_->count() == 0) return true;
  const int current = list->currentIndex().row();
  const int target = std::clamp(event->key() == Qt::Key_Down ? current + 1 : current - 1, 0, box_->count() - 1);
  if (target == current || (current < 0 && event->key() == Qt::Key_Up)) return true;
  const QModelIndex index = box_->model()->index(target, 0);
  list->setCurrentIndex(index);
  list->scrollTo(index);
  box_->setCurrentIndex(target);
  Activated(target);
  return true;
}

void TItemBox::Edited(const QString& text) {
  const int key = std::exchange(lastEditKey_, 0);
  if (key == Qt::Key_Backspace || key == Qt::Key_Delete) return;
  QLineEdit* edit = box_->lineEdit();
  const QString prefix = text.left(edit->cursorPosition());
  if (prefix.isEmpty()) return;
  const int match = list_->FindPrefix(prefix);
  if (match < 0) {
    // A name the list lacks: picking the item selected before is a change of selection again.
    selectedIndex_ = -1;
    return;
  }
  const QString item = box_->itemText(match);
  box_->setCurrentIndex(match);
  if (QAbstractItemView* list = box_->view(); list->isVisible()) {
    // The dropped list follows the match.
    const QModelIndex index = box_->model()->index(match, 0);
    list->setCurrentIndex(index);
    list->scrollTo(index);
  }
  edit->setText(prefix + item.mid(prefix.size()));
  edit->setSelection(static_cast<int>(prefix.size()), static_cast<int>(item.size() - prefix.size()));
  if (match == selectedIndex_) return;
  selectedIndex_ = match;
  emit picked();
}

bool TItemBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == box_->view() && event->type() == QEvent::KeyPress) return ListKey(static_cast<QKeyEvent*>(event));
  if (watched == box_) {
    // Only noted, never consumed: typing, input methods and editing go on as usual.
    if (event->type() == QEvent::KeyPress) lastEditKey_ = static_cast<QKeyEvent*>(event)->key();
    if (event->type() == QEvent::InputMethod) lastEditKey_ = 0;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace metrazil
