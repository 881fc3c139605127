#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>
#include <string>
#include <utility>

#include "ui/Form1.h"

class QLabel;
class QWidget;

namespace metrazil {

class TTableGridView;

// The real main window over a temporary program directory, for tests that drive it as a user would. What the
// window tells the user goes nowhere but into the lists below: error boxes into errors_, notices into
// notices_, the web page's requests into navigations_.
//
// Qt Test runs this class's init and cleanup for every test of a test class derived from it, unless that
// class declares its own (which then call MakeProgramDirectory and CloseForm): each test starts in an empty
// program directory, with the window shown when the test class asks for that, and an error box recorded and
// not taken by the test fails it.
class TFormTestBase : public QObject {
  Q_OBJECT

 public:
  enum class TStart { kEmptyDirectory, kShownWindow };

  // A window as a new start of the program shows it, once its start-up reads are through (the questions they
  // ask answered by the test's answerer); not waited for to become active, so that several can stand side by
  // side. Null when the window does not show or its reads do not end within 20 s.
  static std::unique_ptr<TForm1> StartForm();
  // Shows a table page (1 or 2) of a window and gives its grid the keyboard focus.
  static TTableGridView* OpenPage(TForm1& form, int index);

 protected:
  explicit TFormTestBase(TStart start = TStart::kEmptyDirectory);
  ~TFormTestBase() override;

  // A new, empty program directory; the recorded messages are cleared.
  void MakeProgramDirectory();
  // A new window in form_ (the one before goes first), active and through its start-up reads.
  void ShowForm();
  // The window goes and the program directory is the real one again; an error box recorded meanwhile and
  // not taken fails the test.
  void CloseForm();
  // The error boxes recorded since the last take, for a test that expects them.
  QStringList TakeErrors() { return std::exchange(errors_, {}); }
  // The table page of form_, as OpenPage(form, index) shows it.
  TTableGridView* OpenPage(int index) { return OpenPage(*form_, index); }
  // A click in the middle of a widget of form_, delivered to the window as the platform delivers it.
  void Click(QWidget* widget);
  // Where a cell of a grid of form_ shows, in the window's coordinates.
  QRect CellInWindow(const TTableGridView* grid, int col, int row) const;
  // The line of a table page (1 or 2) that says why its table is incomplete.
  static QLabel* StatusLine(const TForm1& form, int page);

  // A file of the program directory.
  QString Path(const char* name) const;
  QByteArray Bytes(const char* name) const { return FileBytes(Path(name)); }
  void Put(const char* name, const QByteArray& bytes) const;
  // Empty when the file cannot be read.
  static QByteArray FileBytes(const QString& path);
  // False when the file cannot be written whole.
  static bool PutFile(const QString& path, const QByteArray& bytes);
  // A table file in the program directory, written by the program's own writer: rows of UTF-8 texts, row 0
  // the header, as many rows as given.
  void WriteTable(const char* name, const QList<QStringList>& rows) const;
  // A table of one column: rows 1 to rows hold prefix and the row number.
  void WriteNumberedTable(const char* name, int rows, const char* prefix) const;
  // A cell of a table file in the program directory, as a fresh read gives it.
  std::string SavedCell(const char* name, int col, int row) const;
  // data.dat with a header and five rows: X1 (米, 公斤, factors 0.25 and 4), an empty row, Y2 with factors
  // that are no plain decimals (2. and .5), 兰花 (尺, 斤, 3 and 0.5), and X1 again with other units.
  void WriteConversionTable() const;
  // The sample tables the program ships, data.dat and data2.dat.
  static QString SampleTable(const char* name);
  static void CopySampleTables(const QString& dir);

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  QStringList errors_;
  QStringList notices_;
  QList<QUrl> navigations_;

 private slots:
  void init();
  void cleanup();

 private:
  TStart start_;
};

}  // namespace metrazil
