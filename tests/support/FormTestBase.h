#pragma once

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

#include "base/ProgramDirectory.h"
#include "grid/view/TableGridView.h"
#include "ui/Form1.h"
#include "ui/ReportException.h"
#include "ui/ShowNotice.h"
#include "ui/WebBrowser.h"

namespace metrazil {

// The real main window over a temporary program directory, for tests that drive it as a user would. The
// test class calls these from its own initTestCase, init and cleanup slots.
class TFormTestBase : public QObject {
 protected:
  // Error boxes are collected, notices and web requests go nowhere.
  void InstallQuietPresenters() {
    SetErrorBoxPresenter([this](const QString& text) { errors_.append(text); });
    SetNoticePresenter([](const QString&) {});
    TWebBrowser::SetNavigator([](const QUrl&) {});
  }
  // A new, empty program directory.
  void MakeProgramDirectory() {
    errors_.clear();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    SetProgramDirectoryForTesting(dir_->path().toStdString());
  }
  // A new window, shown and active.
  void ShowForm() {
    form_ = std::make_unique<TForm1>();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCoreApplication::processEvents();
  }
  // The window goes; an error box shown meanwhile fails the test.
  void CloseForm() {
    form_.reset();
    SetProgramDirectoryForTesting({});
    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
  }

  // Shows a table page (1 or 2) and gives its grid the keyboard focus.
  TTableGridView* OpenPage(int index) {
    form_->PageControl1->setCurrentIndex(index);
    TTableGridView* grid = index == 1 ? form_->TableGrid1 : form_->TableGrid2;
    grid->setFocus();
    QCoreApplication::processEvents();
    return grid;
  }
  static void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), mods);
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TForm1> form_;
  QStringList errors_;
};

}  // namespace metrazil
