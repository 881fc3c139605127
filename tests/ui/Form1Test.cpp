#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <utility>

#include "grid/view/CodePageText.h"
#include "grid/view/TableGridView.h"
#include "tests/support/FormTestBase.h"
#include "tests/support/TestMain.h"
#include "tests/support/UrlRecorder.h"
#include "tests/support/Utf8.h"
#include "ui/ClickLabel.h"
#include "ui/Form1.h"
#include "ui/WebBrowser.h"

using namespace metrazil;

class Form1Test : public TFormTestBase {
  Q_OBJECT

 private:
  // The objects behind the accessible tree under a widget, walked from outside as a screen reader does.
  static QList<QObject*> AccessibleObjects(QWidget* root) {
    QList<QObject*> objects;
    QList<QAccessibleInterface*> pending = {QAccessible::queryAccessibleInterface(root)};
    while (!pending.isEmpty()) {
      QAccessibleInterface* node = pending.takeLast();
      if (node->object() != nullptr) objects.append(node->object());
      for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface* child = node->child(i)) pending.append(child);
      }
    }
    return objects;
  }

  void Pick(int index) {
    form_->ComboBox1->setFocus();
    while (form_->ComboBox1->currentIndex() < index) QTest::keyClick(form_->ComboBox1, Qt::Key_Down);
  }

  void SetQuantity(const char* text) { form_->Edit1->setText(QString::fromLatin1(text)); }
  QString Log() const { return form_->Memo1->toPlainText(); }

 private slots:
  void designState() {
    ShowForm();
    QCOMPARE(form_->windowTitle(), QStringLiteral("Metrazil"));
    // The icon built in is its SVG as drawn at each size the window manager is given.
    QSvgRenderer svg(QStringLiteral(":/metrazil/Icon.svg"));
    for (const int size : {16, 32, 64, 128}) {
      QImage drawn(size, size, QImage::Format_ARGB32_Premultiplied);
      drawn.fill(Qt::transparent);
      QPainter painter(&drawn);
      svg.render(&painter, QRectF(0, 0, size, size));
      painter.end();
      QCOMPARE(form_->windowIcon().pixmap(size, size).toImage().convertToFormat(drawn.format()), drawn);
    }
    QCOMPARE_NE(form_->Image1->pixmap().toImage().pixelColor(10, 10), QColor(Qt::white));  // the banner was drawn
    QCOMPARE(form_->size(), QSize(591, 381));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    QVERIFY(!(form_->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
    QCOMPARE(form_->PageControl1->currentIndex(), 0);
    QCOMPARE(form_->PageControl1->tabText(3), U("朋友圈"));
    QVERIFY(form_->RadioButton1->isChecked());
    QCOMPARE(form_->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(form_->Edit2->text(), QStringLiteral("0"));
    QCOMPARE(form_->Label5->text(), U("输入长度"));
    QVERIFY(!form_->Button5->isVisible());
    // Assistive tools see the window's controls, but not the button no one can see.
    const QList<QObject*> exposed = AccessibleObjects(form_.get());
    QVERIFY(exposed.contains(form_->Button1) && exposed.contains(form_->Edit2));
    QVERIFY(!exposed.contains(form_->Button5));
    QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
    for (int i = 0; i < application->childCount(); ++i) QVERIFY(application->child(i)->object() != form_->Button5);
    QCOMPARE(form_->Button1->geometry(), QRect(328, 72, 65, 21));
    QCOMPARE(form_->BitBtn1->text(), U("关闭[&C]"));
    const TTableGrid& grid = form_->TableGrid1->Model();
    QCOMPARE(grid.RowCount(), 10);
    QCOMPARE(grid.ColCount(), 5);
    QCOMPARE(grid.FixedRows(), 1);
    QCOMPARE(grid.FixedCols(), 0);
    QCOMPARE(grid.FocusedRow(), 1);
    QCOMPARE(grid.ColWidth(4), 64);
    QCOMPARE(grid.RowHeight(1), 21);
    // Screen readers name the edits after their labels.
    QCOMPARE(form_->Label1->buddy(), form_->ComboBox1);
    QCOMPARE(form_->Label5->buddy(), form_->Edit1);
    QCOMPARE(form_->Label6->buddy(), form_->Edit2);
    QVERIFY(!form_->Memo1->accessibleName().isEmpty());
    QVERIFY(!form_->TableGrid1->accessibleName().isEmpty());
    // Both grids are tables to them, named after their page.
    for (auto [grid, name] : {std::pair{form_->TableGrid1, "换算表"}, std::pair{form_->TableGrid2, "通信录"}}) {
      QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
      QVERIFY(table->tableInterface() != nullptr);
      QCOMPARE(table->text(QAccessible::Name), U(name));
    }
  }

  void startUpWithoutTables() {
    ShowForm();
    QCOMPARE(form_->ComboBox1->count(), 0);
    QVERIFY(notices_.isEmpty() && errors_.isEmpty());
    QVERIFY(navigations_.isEmpty());
    QCOMPARE(form_->WebBrowser1->Content(), nullptr);
    QVERIFY(!QFile::exists(Path("data.dat")) && !QFile::exists(Path("data2.dat")));
  }

  void startUpListsNamesAndLoadsBothTables() {
    WriteConversionTable();
    WriteTable("data2.dat", {{U("姓名"), U("电话")}, {U("张三"), U("12345")}});
    // The tables are found beside the program whatever the working directory.
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    ShowForm();
    QDir::setCurrent(previous);
    QCOMPARE(form_->ComboBox1->count(), 4);
    QCOMPARE(form_->ComboBox1->itemText(0), U("X1"));
    QCOMPARE(form_->ComboBox1->itemText(2), U("兰花"));
    QCOMPARE(form_->ComboBox1->itemText(3), U("X1"));
    QCOMPARE(form_->ComboBox1->currentIndex(), -1);
    QCOMPARE(form_->ComboBox1->currentText(), QString());
    QCOMPARE(form_->Edit2->text(), QStringLiteral("0"));
    // The community page is requested the first time its page is shown, and only then.
    QVERIFY(navigations_.isEmpty());
    QCOMPARE(form_->WebBrowser1->Content(), nullptr);
    for (int page : {3, 0, 3}) form_->PageControl1->setCurrentIndex(page);
    QCOMPARE(navigations_, QList<QUrl>{QUrl(QStringLiteral("https://www.metrazil.example/pyq.asp"))});
    QCOMPARE(FromTableBytes(form_->TableGrid2->Model().ReadCell(0, 1)), U("张三"));
    QVERIFY(errors_.isEmpty());
  }

  void startUpFailureIsReportedAndTheOtherTableStillRead() {
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("data.dat")));  // exists, but is no readable file
    WriteTable("data2.dat", {{U("姓名")}, {U("张三")}});
    ShowForm();
    QCOMPARE(TakeErrors().size(), 1);
    QVERIFY(form_->isVisible());
    QVERIFY(navigations_.isEmpty());  // the web page follows a complete read of data.dat only
    QCOMPARE(form_->ComboBox1->count(), 0);
    QCOMPARE(form_->TableGrid2->Model().ReadCell(0, 1), ToTableBytes(U("张三")));
  }

  void closingDuringTheReadEndsItCleanly() {
    WriteNumberedTable("data.dat", 1000000, "N");
    WriteTable("data2.dat", {{U("姓名")}, {U("张三")}});
    form_ = std::make_unique<TForm1>();
    bool closeSeenReading = false;
    form_->show();
    // Fires at the reader's first chance to let events through.
    QTimer::singleShot(1, form_.get(), [&] {
      closeSeenReading = form_->IsReading();
      form_->close();
    });
    QTRY_VERIFY(!form_->isVisible());
    QVERIFY(closeSeenReading);
    QVERIFY(!form_->IsReading());
    QVERIFY(errors_.isEmpty());
    QCOMPARE(form_->TableGrid1->Model().ReadCell(0, 1000000), std::string());  // the read ended early
    QCOMPARE(form_->ComboBox1->count(), 0);                                    // the steps after the read did not run
    QCOMPARE(form_->TableGrid2->Model().ReadCell(0, 1), std::string());
  }

  void workedExampleBothDirections() {
    WriteConversionTable();
    ShowForm();
    SetQuantity("100");
    Pick(0);
    QCOMPARE(form_->ComboBox1->currentText(), U("X1"));
    QCOMPARE(form_->Label2->text(), U("米"));
    QCOMPARE(form_->Label3->text(), U("公斤"));
    QCOMPARE(form_->Edit2->text(), QStringLiteral("400.000000"));
    QCOMPARE(Log(), U("100米X1的重量是400.000000公斤\n"));

    SetQuantity("8");
    QTest::mouseClick(form_->RadioButton2, Qt::LeftButton);
    QVERIFY(form_->RadioButton2->isChecked() && !form_->RadioButton1->isChecked());
    QCOMPARE(form_->Label5->text(), U("输入重量"));
    QCOMPARE(form_->Label2->text(), U("公斤"));
    QCOMPARE(form_->Label3->text(), U("米"));
    QCOMPARE(form_->Edit2->text(), QStringLiteral("2.000000"));
    QCOMPARE(Log(), U("100米X1的重量是400.000000公斤\n8公斤X1的长度是2.000000米\n"));
    // Clicking the checked radio button again does nothing.
    QTest::mouseClick(form_->RadioButton2, Qt::LeftButton);
    QCOMPARE(Log().count(QLatin1Char('\n')), 2);
    QVERIFY(notices_.isEmpty() && errors_.isEmpty());
  }

  // Each failure comes after a good result for another item: a notice or an error leaves the result box
  // empty, so no figure stays beside the new name, and the log keeps only the good line.
  void foreseenAndUnforeseenErrors_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("via");  // "button", "enter" or "selection" (the hidden button's handler)
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("error");
    const QString bad = U("库有问题，计算失败，请维护库");
    const QString missing = U("请选择名称及输入数量");
    struct TRow {
      const char* tag;
      const char* name;
      const char* quantity;
      const char* via;
      QString notice;
      QString error;
    };
    const TRow rows[] = {
        {"empty name", "", "5", "button", missing, {}},
        {"empty quantity", "X1", "", "enter", missing, {}},
        {"empty quantity, selected", "X1", "", "selection", missing, {}},
        {"factor 2. and .5", "Y2", "5", "button", bad, {}},
        {"factor 2. and .5, selected", "Y2", "5", "selection", bad, {}},
        {"quantity abc", "X1", "abc", "button", {}, U("'abc' is 不是一个有效的浮点值.")},
        {"quantity 1,000", "X1", "1,000", "enter", {}, U("'1,000' is 不是一个有效的浮点值.")},
        {"quantity typed in Chinese", "X1", "三", "button", {}, U("'三' is 不是一个有效的浮点值.")},
        {"product out of range", "X1", "5e4931", "button", {}, U("浮点指针溢出.")},
        {"missing name", "nowhere", "5", "enter", {}, U("列表索引越界 (-1)")},
        {"missing name, selected", "nowhere", "5", "selection", {}, U("列表索引越界 (-1)")},
    };
    for (const TRow& row : rows) {
      QTest::newRow(row.tag) << U(row.name) << U(row.quantity) << U(row.via) << row.notice << row.error;
    }
  }

  void foreseenAndUnforeseenErrors() {
    QFETCH(QString, name);
    QFETCH(QString, quantity);
    QFETCH(QString, via);
    QFETCH(QString, notice);
    QFETCH(QString, error);
    WriteConversionTable();
    ShowForm();
    SetQuantity("100");
    form_->ComboBox1->setEditText(U("兰花"));
    QTest::mouseClick(form_->Button1, Qt::LeftButton);
    QCOMPARE(form_->Edit2->text(), QStringLiteral("50.000000"));
    const QString log = Log();
    form_->ComboBox1->setEditText(name);
    form_->Edit1->setText(quantity);
    if (via == QStringLiteral("button")) QTest::mouseClick(form_->Button1, Qt::LeftButton);
    if (via == QStringLiteral("enter")) QTest::keyClick(form_->Edit1, Qt::Key_Return);
    if (via == QStringLiteral("selection")) form_->Button5->click();
    QCOMPARE(notices_, notice.isNull() ? QStringList() : QStringList{notice});
    QCOMPARE(TakeErrors(), error.isNull() ? QStringList() : QStringList{error});
    QCOMPARE(form_->Edit2->text(), QString());
    QCOMPARE(Log(), log);
    // A name found nowhere leaves the units of the item before.
    if (name == QStringLiteral("nowhere")) QCOMPARE(form_->Label2->text(), U("尺"));
  }

  // Choosing nothing is no selection: the result of the item before stays.
  void selectionOfAnEmptyNameChangesNothing() {
    WriteConversionTable();
    ShowForm();
    SetQuantity("100");
    Pick(0);
    form_->ComboBox1->setEditText(QString());
    form_->Button5->click();
    QCOMPARE(form_->Edit2->text(), QStringLiteral("400.000000"));
    QVERIFY(notices_.isEmpty() && errors_.isEmpty());
  }

  void selectionOfAMissingNameChangesOnlyTheQuantityCaption() {
    WriteConversionTable();
    ShowForm();
    Pick(0);  // quantity 0: result 0, no log line
    QCOMPARE(form_->Edit2->text(), QStringLiteral("0.000000"));
    QCOMPARE(Log(), QString());
    form_->RadioButton2->blockSignals(true);
    form_->RadioButton2->setChecked(true);
    form_->RadioButton2->blockSignals(false);
    form_->ComboBox1->setEditText(QStringLiteral("nowhere"));
    form_->Button5->click();  // the hidden button runs the selection handler
    QCOMPARE(TakeErrors(), QStringList{U("列表索引越界 (-1)")});
    QCOMPARE(form_->Label5->text(), U("输入重量"));
    QCOMPARE(form_->Label2->text(), U("米"));
    QCOMPARE(form_->Label3->text(), U("公斤"));
  }

  void typedNameTakesItsOwnUnits() {
    WriteConversionTable();
    ShowForm();
    SetQuantity("2");
    Pick(0);
    form_->Button2->click();  // a row added since start-up
    TTableGrid& grid = form_->TableGrid1->Model();
    grid.WriteCell(0, 6, "Z9");
    grid.WriteCell(1, 6, "cm");
    grid.WriteCell(2, 6, "g");
    grid.WriteCell(4, 6, "3");
    form_->ComboBox1->setEditText(QStringLiteral("Z9"));
    QTest::keyClick(form_->Edit1, Qt::Key_Return);
    QCOMPARE(Log().split(QLatin1Char('\n')).at(1), U("2cmZ9的重量是6.000000g"));
  }

  void autoCompletionSelectsAndRecalculates() {
    WriteConversionTable();
    ShowForm();
    SetQuantity("10");
    QLineEdit* edit = form_->ComboBox1->lineEdit();
    form_->ComboBox1->setFocus();
    QTest::keyClicks(form_->ComboBox1, QStringLiteral("y"));
    QCOMPARE(edit->text(), QStringLiteral("y2"));
    QCOMPARE(edit->selectedText(), QStringLiteral("2"));
    QCOMPARE(notices_, QStringList{U("库有问题，计算失败，请维护库")});  // Y2's factors are unusable
    // Backspace only edits; typing on to the same item does not run the handler again.
    QTest::keyClick(form_->ComboBox1, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("y"));
    QTest::keyClicks(form_->ComboBox1, QStringLiteral("2"));
    QCOMPARE(notices_.size(), 1);
    // Text from an input method completes too, a Chinese character counting as one.
    edit->clear();
    QInputMethodEvent commit;
    commit.setCommitString(U("兰"));
    QCoreApplication::sendEvent(form_->ComboBox1, &commit);
    QCOMPARE(edit->text(), U("兰花"));
    QCOMPARE(edit->selectedText(), U("花"));
    QCOMPARE(form_->Edit2->text(), QStringLiteral("5.000000"));
    QCOMPARE(Log(), U("10尺兰花的重量是5.000000斤\n"));
    // Typing that matches nothing only changes the text.
    edit->clear();
    QTest::keyClicks(form_->ComboBox1, QStringLiteral("q"));
    QCOMPARE(edit->text(), QStringLiteral("q"));
    QCOMPARE(Log().count(QLatin1Char('\n')), 1);
  }

  // The dropped list by keys and mouse: a pick after a typed name the list lacks is a new selection, even
  // of the item selected before; Up and Down in the open list select and recalculate.
  void droppedListSelectsByMouseAndArrows() {
    WriteConversionTable();
    ShowForm();
    SetQuantity("2");
    QComboBox* box = form_->ComboBox1;
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentText(), U("X1"));
    TTableGrid& grid = form_->TableGrid1->Model();
    form_->Button2->click();
    grid.WriteCell(0, 6, "Z9");
    grid.WriteCell(1, 6, "cm");
    grid.WriteCell(2, 6, "g");
    grid.WriteCell(4, 6, "3");
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, QStringLiteral("Z9"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_J, Qt::AltModifier);
    QTRY_COMPARE(form_->Label3->text(), QStringLiteral("g"));
    QCOMPARE(Log().split(QLatin1Char('\n')).at(1), U("2cmZ9的重量是6.000000g"));

    QTest::keyClick(box, Qt::Key_F4);
    QAbstractItemView* list = box->view();
    QTRY_VERIFY(list->isVisible());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(box->currentText(), U("X1"));
    QCOMPARE(form_->Label3->text(), U("公斤"));
    QCOMPARE(form_->Edit2->text(), QStringLiteral("8.000000"));

    QTest::keyClick(box, Qt::Key_F4);
    QTRY_VERIFY(list->isVisible());
    QTest::keyClick(list, Qt::Key_Down);  // Y2: its factors are unusable
    QCOMPARE(box->currentText(), QStringLiteral("Y2"));
    QCOMPARE(notices_, QStringList{U("库有问题，计算失败，请维护库")});
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(box->currentText(), U("兰花"));
    QCOMPARE(form_->Edit2->text(), QStringLiteral("1.000000"));
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(box->currentText(), QStringLiteral("Y2"));
    QCOMPARE(notices_.size(), 2);
    QVERIFY(list->isVisible());
    QTest::keyClick(list, Qt::Key_Escape);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(Log().count(QLatin1Char('\n')), 4);
    QVERIFY(errors_.isEmpty());
  }

  // With the list dropped, typing goes to the text box's auto-completion and the list follows the match.
  void typingWithTheListDroppedCompletes() {
    WriteConversionTable();
    ShowForm();
    SetQuantity("10");
    QComboBox* box = form_->ComboBox1;
    QLineEdit* edit = box->lineEdit();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_F4);
    QAbstractItemView* list = box->view();
    QTRY_VERIFY(list->isVisible());
    QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, U("兰"));
    QCoreApplication::sendEvent(list, &typed);
    QCOMPARE(edit->text(), U("兰花"));
    QCOMPARE(edit->selectedText(), U("花"));
    QCOMPARE(list->currentIndex().row(), 2);
    QCOMPARE(Log(), U("10尺兰花的重量是5.000000斤\n"));
    // Backspace and a letter that starts no name only edit the text; the list stays open.
    QTest::keyClick(list, Qt::Key_Backspace);
    QTest::keyClick(list, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QString());
    QTest::keyClicks(list, QStringLiteral("Y"));
    QCOMPARE(edit->text(), QStringLiteral("Y2"));
    QCOMPARE(list->currentIndex().row(), 1);
    QCOMPARE(notices_, QStringList{U("库有问题，计算失败，请维护库")});
    QTest::keyClick(list, Qt::Key_Backspace);
    QTest::keyClicks(list, QStringLiteral("q"));
    QCOMPARE(edit->text(), QStringLiteral("Yq"));
    QVERIFY(list->isVisible());
    QCOMPARE(Log().count(QLatin1Char('\n')), 1);
    QCOMPARE(notices_.size(), 1);
  }

  void arrowsMoveThroughTheGroupAndCheckRadioButtons() {
    WriteConversionTable();
    ShowForm();
    SetQuantity("8");
    Pick(0);
    form_->RadioButton1->setFocus();
    QTest::keyClick(form_->RadioButton1, Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), form_->RadioButton2);
    QVERIFY(form_->RadioButton2->isChecked());
    QCOMPARE(Log(), U("8米X1的重量是32.000000公斤\n8公斤X1的长度是2.000000米\n"));
    QTest::keyClick(form_->RadioButton2, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), form_->Edit1);
    QVERIFY(form_->RadioButton2->isChecked());
    form_->Button1->setFocus();
    QTest::keyClick(form_->Button1, Qt::Key_Left);
    QCOMPARE(QApplication::focusWidget(), form_->Edit1);
  }

  void tabOrderOfTheCalculationPage() {
    ShowForm();
    form_->ComboBox1->setFocus();
    const QList<QWidget*> expected = {form_->RadioButton1, form_->Edit1, form_->Button1, form_->Edit2, form_->Memo1};
    for (QWidget* next : expected) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), next);
    }
    // Tab reaches only the checked radio button.
    form_->RadioButton2->setChecked(true);
    form_->ComboBox1->setFocus();
    QTest::keyClick(form_->ComboBox1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form_->RadioButton2);
  }

  void enterAndAccelerators() {
    WriteConversionTable();
    ShowForm();
    SetQuantity("1");
    Pick(0);
    QCOMPARE(Log().count(QLatin1Char('\n')), 1);
    QTest::keyClick(form_->Edit1, Qt::Key_Return);
    QCOMPARE(Log().count(QLatin1Char('\n')), 2);
    QTest::keyClick(form_->Edit1, Qt::Key_J);  // typed into the box, not an accelerator
    QCOMPARE(form_->Edit1->text(), QStringLiteral("1j"));
    SetQuantity("1");
    QTest::keyClick(form_->Edit1, Qt::Key_J, Qt::AltModifier);  // a mnemonic clicks with a short delay
    QTRY_COMPARE(Log().count(QLatin1Char('\n')), 3);
    form_->RadioButton1->setFocus();
    QTest::keyClick(form_->RadioButton1, Qt::Key_J);
    QCOMPARE(Log().count(QLatin1Char('\n')), 4);
    QTest::keyClick(form_->Button1, Qt::Key_Escape);  // no cancel button
    QVERIFY(form_->isVisible());

    // Alt+S saves only the table of the page being shown.
    QFile::remove(Path("data.dat"));
    QTest::keyClick(form_->RadioButton1, Qt::Key_S, Qt::AltModifier);
    QTest::qWait(300);
    QVERIFY(!QFile::exists(Path("data.dat")) && !QFile::exists(Path("data2.dat")));
    form_->PageControl1->setCurrentIndex(2);
    QTest::keyClick(form_->PageControl1, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(Path("data2.dat")));
    QVERIFY(!QFile::exists(Path("data.dat")));
    form_->PageControl1->setCurrentIndex(1);
    QTest::keyClick(form_->PageControl1, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(Path("data.dat")));

    QTest::keyClick(form_->PageControl1, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!form_->isVisible());
    QVERIFY(notices_.isEmpty() && errors_.isEmpty());
  }

  void logLinesStandOnTheirOwnLine() {
    WriteConversionTable();
    ShowForm();
    form_->Memo1->setPlainText(QStringLiteral("note"));
    SetQuantity("1");
    Pick(0);
    QCOMPARE(Log(), U("note\n1米X1的重量是4.000000公斤\n"));
    QCOMPARE(form_->Memo1->textCursor().position(), Log().size());
  }

  void linksOpenTheHomePage() {
    ShowForm();
    TUrlRecorder recorder({QStringLiteral("https")});
    QTest::mouseClick(form_->Image1, Qt::LeftButton);
    QTest::mouseClick(form_->Label7, Qt::LeftButton);
    const QUrl home(QStringLiteral("https://www.metrazil.example/"));
    QCOMPARE(recorder.opened, (QList<QUrl>{home, home}));
  }
};

METRAZIL_TEST_MAIN(Form1Test)
#include "Form1Test.moc"
