#pragma once

#include <QWidget>
#include <array>
#include <cstddef>
#include <functional>

#include "conversion/Calculator.h"

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
class TItemBox;
class TTablePage;
class TTableGridView;
class TWebBrowser;

inline constexpr const char* kHomePage = "https://www.metrazil.example/";
inline constexpr const char* kCommunityPage = "https://www.metrazil.example/pyq.asp";

// The program's one window: the calculation, maintenance, address-book and web pages above a strip with
// the banner, the link and the close button. Controls keep their design names; each event has one handler.
// The calculation page and its item list are the window's own; each table page is a TTablePage, which the
// window's handlers call.
class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Loads the tables beside the program; runs once, when the window is first shown.
  void FormShow();
  // For a termination signal or the end of the desktop session: ends open edits, makes the tables' journals
  // durable and ends the process at once, asking nothing; the next start offers to recover the unsaved work.
  void PreserveWorkAndExit();
  // For the desktop session's save: makes the tables' journals durable, and the program goes on.
  void KeepWork();
  bool IsReading() const { return phase_ == TPhase::kReading || phase_ == TPhase::kClosingAfterRead; }

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

 private:
  // The window's life: built, then the start-up reads (during which a close waits for them to unwind), then
  // the user's.
  enum class TPhase { kBuilt, kReading, kClosingAfterRead, kRunning };

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
  // The table keys of a table page reach it from the tab bar too.
  void ConnectPageKeysToTabBar();
  TTablePage* CurrentTablePage() const;
  // Asks, table by table, whether changes not yet saved are to be saved; false keeps the window open.
  bool SaveChangesBeforeClosing();

  TItemBox* itemBox_ = nullptr;  // ComboBox1's list and completion
  TPhase phase_ = TPhase::kBuilt;
  // The table pages, children of their sheets: data.dat in TableGrid1, data2.dat in TableGrid2.
  TTablePage* conversionTable_ = nullptr;
  TTablePage* addressBook_ = nullptr;
  std::array<TTablePage*, 2> Pages() const { return {conversionTable_, addressBook_}; }
};

}  // namespace metrazil
