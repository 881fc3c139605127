#include "tests/support/FormTestBase.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include "base/ProgramDirectory.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/TableGrid.h"
#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "tests/support/Utf8.h"
#include "ui/ReportException.h"
#include "ui/ShowNotice.h"
#include "ui/WebBrowser.h"

namespace metrazil {

TFormTestBase::TFormTestBase(TStart start) : start_(start) {
  SetErrorBoxPresenter([this](const QString& text) { errors_.append(text); });
  SetNoticePresenter([this](const QString& text) { notices_.append(text); });
  TWebBrowser::SetNavigator([this](const QUrl& url) { navigations_.append(url); });
}

TFormTestBase::~TFormTestBase() {
  SetErrorBoxPresenter({});
  SetNoticePresenter({});
  TWebBrowser::SetNavigator({});
}

void TFormTestBase::init() {
  MakeProgramDirectory();
  if (start_ == TStart::kShownWindow) ShowForm();
}

void TFormTestBase::cleanup() { CloseForm(); }

void TFormTestBase::MakeProgramDirectory() {
  errors_.clear();
  notices_.clear();
  navigations_.clear();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  SetProgramDirectoryForTesting(dir_->path().toStdString());
}

void TFormTestBase::ShowForm() {
  form_.reset();
  form_ = StartForm();
  QVERIFY2(form_ != nullptr, "the start-up reads did not end");
  form_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  QCoreApplication::processEvents();
}

void TFormTestBase::CloseForm() {
  form_.reset();
  SetProgramDirectoryForTesting({});
  QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
}

std::unique_ptr<TForm1> TFormTestBase::StartForm() {
  auto form = std::make_unique<TForm1>();
  form->show();
  if (!QTest::qWaitForWindowExposed(form.get())) return nullptr;
  // The reads begin at the event loop's first turn after the window shows.
  QCoreApplication::processEvents();
  if (!QTest::qWaitFor([&] { return form->isVisible() && !form->IsReading(); }, 20000)) return nullptr;
  return form;
}

TTableGridView* TFormTestBase::OpenPage(TForm1& form, int index) {
  form.PageControl1->setCurrentIndex(index);
  TTableGridView* grid = index == 1 ? form.TableGrid1 : form.TableGrid2;
  grid->setFocus();
  QCoreApplication::processEvents();
  return grid;
}

void TFormTestBase::Click(QWidget* widget) {
  QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {}, widget->mapTo(form_.get(), widget->rect().center()));
}

QRect TFormTestBase::CellInWindow(const TTableGridView* grid, int col, int row) const {
  const QRect cell = grid->CellRect(col, row);
  return QRect(grid->viewport()->mapTo(form_.get(), cell.topLeft()), cell.size());
}

QLabel* TFormTestBase::StatusLine(const TForm1& form, int page) {
  return form.findChild<QLabel*>(QStringLiteral("StatusLine%1").arg(page));
}

QString TFormTestBase::Path(const char* name) const { return dir_->filePath(QString::fromUtf8(name)); }

void TFormTestBase::Put(const char* name, const QByteArray& bytes) const { QVERIFY(PutFile(Path(name), bytes)); }

bool TFormTestBase::PutFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray TFormTestBase::FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TFormTestBase::WriteTable(const char* name, const QList<QStringList>& rows) const {
  TTableGrid grid;
  grid.SetRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < rows.size(); ++row) {
    for (int col = 0; col < rows[row].size(); ++col) grid.WriteCell(col, row, ToTableBytes(rows[row][col]));
  }
  WriteTableFile(grid, Path(name).toStdString());
}

void TFormTestBase::WriteNumberedTable(const char* name, int rows, const char* prefix) const {
  TTableGrid grid;
  grid.SetRowCount(rows + 1);
  for (int row = 1; row <= rows; ++row) grid.WriteCell(0, row, prefix + std::to_string(row));
  WriteTableFile(grid, Path(name).toStdString());
}

std::string TFormTestBase::SavedCell(const char* name, int col, int row) const {
  TTableGrid saved;
  ReadTableFile(saved, Path(name).toStdString());
  return saved.ReadCell(col, row);
}

void TFormTestBase::WriteConversionTable() const {
  WriteTable("data.dat", {{U("名称"), U("长度"), U("重量"), U("重量换长度"), U("长度换重量")},
                          {U("X1"), U("米"), U("公斤"), U("0.25"), U("4")},
                          {U(""), U(""), U(""), U(""), U("")},
                          {U("Y2"), U("m"), U("kg"), U("2."), U(".5")},
                          {U("兰花"), U("尺"), U("斤"), U("3"), U("0.5")},
                          {U("X1"), U("dup"), U("dup"), U("9"), U("9")}});
}

QString TFormTestBase::SampleTable(const char* name) {
  return QStringLiteral(METRAZIL_EXAMPLES_DIR "/") + QString::fromLatin1(name);
}

void TFormTestBase::CopySampleTables(const QString& dir) {
  for (const char* name : {"data.dat", "data2.dat"}) {
    QVERIFY(QFile::copy(SampleTable(name), dir + QLatin1Char('/') + QLatin1String(name)));
  }
}

}  // namespace metrazil
