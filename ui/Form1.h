#pragma once

#include <QWidget>
#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "conversion/Calculator.h"
#include "grid/file/TableSaveBaseline.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace metrazil {

class TClickLabel;
class TFindBar;
class TItemListModel;
class TTableGridView;
class TWebBrowser;

inline constexpr const char* kHomePage = "https://www.metrazil.example/";
inline constexpr const char* kCommunityPage = "https://www.metrazil.example/pyq.asp";

// The program's one window: the calculation, maintenance, address-book and web pages above a strip with
// the banner, the link and the close button. Controls keep their design names; each event has one handler.
class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Loads the tables beside the program; runs once, when the window is first shown.
  void FormShow();
  bool IsReading() const { return reading_; }

  // Calculation page.
  void Button5Click();
  void Button1Click();
  void Edit1KeyPress(char& key);
  // Maintenance and address-book pages.
  void Button2Click();
  void Button3Click();
  void Button6Click();
  void Button4Click();
  void Button7Click();
  void Button8Click();
  void Button9Click();
  void Button11Click();
  void Button10Click();
  // Bottom strip.
  void Image1Click();
  void Label7Click();

  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QWidget* TabSheet3 = nullptr;
  QWidget* TabSheet4 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  TClickLabel* Label7 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button7 = nullptr;
  QPushButton* Button8 = nullptr;
  QPushButton* Button9 = nullptr;
  QPushButton* Button10 = nullptr;
  QPushButton* Button11 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  TTableGridView* TableGrid1 = nullptr;
  TTableGridView* TableGrid2 = nullptr;
  TWebBrowser* WebBrowser1 = nullptr;
  TClickLabel* Image1 = nullptr;
  QPushButton* BitBtn1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Where a page's table stands with its file. Editing and saving wait while it is being read; a save
  // over a file that was not read completely asks first, since it replaces what the page never showed.
  enum class TTableState {
    kUnread,      // before the start-up's reads
    kReading,     // read now or waiting for its turn: the page takes no input
    kRead,        // read completely, or there was no file: saving writes what the page shows
    kIncomplete,  // the read failed or was cut short: the page shows why above its buttons
  };

  // One of the two table pages as data: the steps that both pages take run as loops over the records.
  struct TTablePage {
    TTableGridView* view = nullptr;
    QWidget* sheet = nullptr;
    QLabel* statusLine = nullptr;     // why the table is incomplete; hidden otherwise
    TFindBar* findBar = nullptr;      // Ctrl+F; hidden until then
    const char* fileName = nullptr;   // in the table directory
    const char* tableName = nullptr;  // in the question asked on closing while a save would change the file
    TTableState state = TTableState::kUnread;
    // The table as last read or saved: closing asks only when a save would change the file, and a save
    // asks before it overwrites another program's change.
    TTableSaveBaseline saved{};
    // The read left lines out or converted the file from UTF-8: the first save afterwards keeps the old
    // file as "<name>.bak", since the new one cannot give back everything the old one held.
    bool keepOldOnSave = false;
    // Built afresh at each use: a save goes where the table directory is at that moment.
    std::string Path() const;
  };

  void BuildCalculationPage();
  void BuildTablePages();
  void BuildBottomStrip();
  void SetTabOrder();
  void ConnectHandlers();

  TDirection Direction() const;
  void ShowUnits(const TItemUnits& units);
  // False, after the notice, when the name or the quantity is empty.
  bool HasNameAndQuantity(const QString& name);
  // The calculation once the name's row is found: the result and, when it is not zero, the log line.
  void Calculate(const QString& name, int row, TDirection direction);
  void AppendLog(const QString& line);
  void ComboBox1Activated(int index);
  void ComboBox1Edited(const QString& text);
  bool ComboBox1ListKey(QKeyEvent* event);
  bool MoveFocusInGroup(QWidget* from, int step);
  void FillItemList(const std::function<void()>& yield);
  // Puts the page in a state: its input, its status line (with the reason when incomplete) and the grid's room.
  static void SetTableState(TTablePage& page, TTableState state, const QString& reason = {});
  // The grid takes the page's room above the buttons that the status line and the find bar leave it.
  static void LayoutTablePage(TTablePage& page);
  void BuildFindBars();
  // A save first ends the grid's open edits, so that what the user sees is what is saved. It asks before it
  // replaces a file the page did not read completely or one another program changed (unless the close
  // question already said so); false when the user cancelled or the page is still being read.
  bool SaveTable(TTablePage& page, bool replacedKnown = false);
  // Asks, table by table, whether changes not yet saved are to be saved; false keeps the window open.
  bool SaveChangesBeforeClosing();

  TItemListModel* itemList_ = nullptr;  // ComboBox1's items
  bool shown_ = false;
  bool reading_ = false;
  bool closeRequested_ = false;
  static constexpr std::size_t kConversionTable = 0;  // data.dat in TableGrid1
  static constexpr std::size_t kAddressBook = 1;      // data2.dat in TableGrid2
  std::array<TTablePage, 2> pages_;
  int selectedIndex_ = -1;  // the list item last selected through the user
  int lastEditKey_ = 0;     // the key behind the latest edit of ComboBox1's text, 0 for input-method text
};

}  // namespace metrazil
