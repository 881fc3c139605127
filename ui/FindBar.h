#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>

#include "grid/text/GridFind.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace metrazil {

class TTableGridView;

// The find box of a table page: a bar under the grid that searches the cells as they show, as the user
// types. Enter and F3 find the next match, Shift with either the previous one, Esc closes the bar and gives
// the grid back the keyboard focus. The found cell becomes the grid's focused cell, scrolled into view.
//
// A search runs in slices of about kSliceTime, continued from the event loop, so the window stays live
// through a search of any table; a new keystroke or a close cancels the running one. The grid's counts
// changing under a running search start it again from the focused cell.
class TFindBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 24;
  static constexpr std::chrono::milliseconds kSliceTime{10};

  // Hidden until opened. The view must outlive the bar.
  TFindBar(TTableGridView* view, QWidget* parent);
  ~TFindBar() override;

  // Shows the bar with its text selected and the keyboard focus in it.
  void Open();
  // Cancels a running search, hides the bar and gives the grid the keyboard focus; harmless when closed.
  void Close();
  bool IsOpen() const { return open_; }
  // The next (or previous) match of the bar's text after the focused cell; opens the bar first when closed,
  // and with an empty text does no more.
  void FindAgain(TFindDirection direction);
  bool Searching() const { return slices_.isActive(); }

  QLineEdit* TextBox() const { return textBox_; }
  // The wrap-around, no-match or still-searching note beside the text box; empty otherwise.
  QString Note() const;
  // Whether the box shows that the text was not found.
  bool ShowsNoMatch() const { return noMatch_; }

 signals:
  // The bar was opened or closed: the page makes room for it or gives the room back.
  void openChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TextEdited();
  // Searches from the focused cell on; withStartCell keeps a match that still matches where it is.
  void StartSearch(TFindDirection direction, bool withStartCell);
  void RunSlice();
  void ShowResult(const TFindResult& result);
  void ShowNote(const QString& note, bool noMatch);
  // The text box's field: light red while the text is not found.
  void ShowNoMatchColour();
  bool CountsChanged() const;

  TTableGridView* view_;
  QLineEdit* textBox_ = nullptr;
  QToolButton* previousButton_ = nullptr;
  QToolButton* nextButton_ = nullptr;
  QLabel* note_ = nullptr;
  QToolButton* closeButton_ = nullptr;
  QTimer slices_;  // a zero timer: the next slice once the window's events are through
  bool open_ = false;
  bool noMatch_ = false;

  // The search of the box's text, made again when the text changes.
  std::unique_ptr<TGridFind> find_;
  QString findText_;
  TFindDirection direction_ = TFindDirection::kNext;
  bool withStartCell_ = false;
  // The counts the search started with.
  int rowCount_ = 0;
  int colCount_ = 0;
  int fixedRows_ = 0;
  TCellAddress startFocus_;  // the focus when the search began
};

}  // namespace metrazil
