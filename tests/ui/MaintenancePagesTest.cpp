// The maintenance and address-book pages driven as a user does: typing into the grids, clicking the
// buttons, saving and starting again from the saved files.
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "base/ProgramDirectory.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"
#include "ui/Application.h"
#include "ui/Form1.h"
#include "ui/NoticeForm.h"
#include "ui/ReportException.h"
#include "ui/WebBrowser.h"

namespace metrazil {

class MaintenancePagesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  QStringList errors_;

  std::string Path(const char* name) const { return dir_->filePath(QString::fromLatin1(name)).toStdString(); }

  void ShowForm() {
    form_ = std::make_unique<TForm1>();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCoreApplication::processEvents();
  }

  // Shows a page and gives its grid the keyboard focus.
  TTableGridView* OpenPage(int index) {
    form_->PageControl1->setCurrentIndex(index);
    TTableGridView* grid = index == 1 ? form_->TableGrid1 : form_->TableGrid2;
    grid->setFocus();
    QCoreApplication::processEvents();
    return grid;
  }

  void Click(QWidget* widget) {
    QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {}, widget->mapTo(form_.get(), widget->rect().center()));
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), mods);
  }
  void Type(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
  }

  static std::string SavedCell(const std::string& path, int col, int row) {
    TTableGrid saved;
    saved.ReadTableFile(path);
    return saved.ReadCell(col, row);
  }

 private slots:
  void initTestCase() {
    SetErrorBoxPresenter([this](const QString& text) { errors_.append(text); });
    SetNoticePresenter([](const QString&) {});
    TWebBrowser::SetNavigator([](const QUrl&) {});
  }

  void init() {
    errors_.clear();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    SetProgramDirectoryForTesting(dir_->path().toStdString());
    ShowForm();
  }

  void cleanup() {
    form_.reset();
    SetProgramDirectoryForTesting({});
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
  }

  void saveByClickStoresTheEditedText() {
    TTableGridView* grid = OpenPage(1);
    Type("abc");
    QVERIFY(grid->IsEditing());
    QCOMPARE(grid->Model().ReadCell(0, 1), std::string());
    Click(form_->Button4);
    QVERIFY(!grid->IsEditing());
    QCOMPARE(SavedCell(Path("data.dat"), 0, 1), std::string("abc"));
  }

  void saveByAcceleratorInTheEditorStoresTheTextFromBeforeTheEdit() {
    TTableGridView* grid = OpenPage(1);
    grid->Model().WriteCell(0, 1, "old");
    Type("abc");
    Key(Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(QString::fromStdString(Path("data.dat"))));
    // The editor kept the focus, so its text has not reached the cell yet.
    QCOMPARE(SavedCell(Path("data.dat"), 0, 1), std::string("old"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid->Editor()));
    Type("d");
    Key(Qt::Key_Return);
    QCOMPARE(grid->Model().ReadCell(0, 1), std::string("abcd"));
  }

  void typedRowIsFoundBeforeSavingAndListedAfterRestart() {
    TTableGridView* grid = OpenPage(1);
    Click(form_->Button2);
    QCOMPARE(grid->Model().RowCount(), 11);
    grid->setFocus();
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Type("Z9");
    form_->PageControl1->setCurrentIndex(0);  // leaving the page ends the edit
    QCOMPARE(grid->Model().LocateText("Z9", TTableGrid::kLocateWholeCell), (CellAddress{0, 10}));

    OpenPage(1);
    Click(form_->Button4);
    form_.reset();
    ShowForm();
    QVERIFY(form_->ComboBox1->findText(QStringLiteral("Z9")) >= 0);
  }

  void deletedRowComesBackAsTheLastRowAndIsSaved() {
    TTableGridView* grid = OpenPage(1);
    Type("A");
    Key(Qt::Key_Down);
    Type("B");
    Key(Qt::Key_Return);
    Key(Qt::Key_Home, Qt::ControlModifier);
    Click(form_->Button3);
    QCOMPARE(grid->Model().RowCount(), 9);
    QCOMPARE(grid->Model().ReadCell(0, 1), std::string("B"));
    Click(form_->Button2);
    QCOMPARE(grid->Model().ReadCell(0, 9), std::string("A"));
    Click(form_->Button4);
    QCOMPARE(SavedCell(Path("data.dat"), 0, 9), std::string("A"));
  }

  void lastDataRowDeletedTurnsTheHeaderIntoABodyRow() {
    TTableGridView* grid = OpenPage(1);
    TTableGrid& model = grid->Model();
    model.SetRowCount(2);
    model.WriteCell(0, 0, "Name");
    Click(form_->Button3);
    QCOMPARE(model.FixedRows(), 0);
    QCOMPARE((CellAddress{model.FocusedCol(), model.FocusedRow()}), (CellAddress{0, 0}));
    // The former header row is edited like any other row.
    grid->setFocus();
    Key(Qt::Key_F2);
    Type("s");
    Key(Qt::Key_Return);
    QCOMPARE(model.ReadCell(0, 0), std::string("Names"));
    // Once another row exists, the next delete removes it.
    Click(form_->Button2);
    Click(form_->Button3);
    QCOMPARE(model.RowCount(), 1);
    QCOMPARE(model.ReadCell(0, 1), std::string("Names"));
  }

  void insertInTheLastRowPutsTheEmptyRowAboveIt() {
    TTableGridView* grid = OpenPage(1);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Type("last");
    Click(form_->Button6);
    TTableGrid& model = grid->Model();
    QCOMPARE(model.RowCount(), 11);
    QCOMPARE(model.FocusedRow(), 9);
    QCOMPARE(model.ReadCell(0, 9), std::string());
    QCOMPARE(model.ReadCell(0, 10), std::string("last"));
  }

  void threeAddedColumnsSurviveSaveAndRestart() {
    OpenPage(2);
    for (int i = 0; i < 3; ++i) Click(form_->Button11);
    QCOMPARE(form_->TableGrid2->Model().ColCount(), 8);
    Click(form_->Button10);
    form_.reset();
    ShowForm();
    QCOMPARE(form_->TableGrid2->Model().ColCount(), 8);
    QCOMPARE(form_->TableGrid2->Model().ColWidth(7), 64);
  }
};

}  // namespace metrazil

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  metrazil::TApplication app(argc, argv);
  metrazil::MaintenancePagesTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "MaintenancePagesTest.moc"
