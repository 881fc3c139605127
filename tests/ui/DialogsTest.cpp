#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "base/Exception.h"
#include "base/MulDiv.h"
#include "conversion/DecimalText.h"
#include "tests/support/TestMain.h"
#include "tests/support/Utf8.h"
#include "ui/ClipboardWriter.h"
#include "ui/NoticeForm.h"
#include "ui/ReportException.h"
#include "ui/ShowNotice.h"

using namespace metrazil;

namespace {

// Runs `act` on the modal window once it is up and active; closes it should `act` leave it open.
void WhenModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    if (QTest::qWaitForWindowActive(modal)) act(modal);
    if (modal->isVisible()) modal->close();
  });
}

class TThrowingObject : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw EConvertError("'abc' is 不是一个有效的浮点值");
    if (event->type() == QEvent::User + 1) throw EAbort();
    return QObject::event(event);
  }
};

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private:
  QStringList errors_;

 private slots:
  void init() { errors_.clear(); }
  void cleanup() {
    SetErrorBoxPresenter({});
    SetClipboardWriter({});
  }

  void periodRule_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "abc"
                            << "abc.";
    QTest::newRow("Chinese character") << U("浮点指针溢出") << U("浮点指针溢出.");
    QTest::newRow("period") << "done."
                            << "done.";
    QTest::newRow("parenthesis") << U("列表索引越界 (-1)") << U("列表索引越界 (-1)");
    QTest::newRow("slash sorts after the period") << "/tmp/"
                                                  << "/tmp/.";
    QTest::newRow("digit") << "I/O 5"
                           << "I/O 5.";
    QTest::newRow("minus") << "a-"
                           << "a-";
    QTest::newRow("blank") << "a "
                           << "a ";
    QTest::newRow("empty") << ""
                           << "";
  }

  void periodRule() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBoxText(message.toStdString()), shown);
  }

  void dispatchReportsAndGoesOn() {
    SetErrorBoxPresenter([this](const QString& text) { errors_.append(text); });
    TThrowingObject target;
    QEvent failing(QEvent::User);
    QCoreApplication::sendEvent(&target, &failing);
    QEvent aborting(static_cast<QEvent::Type>(QEvent::User + 1));
    QCoreApplication::sendEvent(&target, &aborting);
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(errors_, (QStringList{U("'abc' is 不是一个有效的浮点值."), U("'abc' is 不是一个有效的浮点值.")}));
  }

  void localeChangeRereadsTheDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    SetDecimalSeparator(point == QStringLiteral(",") ? '.' : ',');
    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(qApp, &change);
    QCOMPARE(QString::fromStdString(FormatSixDecimals(2.5L)),
             QStringLiteral("2") + point.left(1) + QStringLiteral("500000"));
  }

  void errorBoxIsAStandardBoxAndGivesTheFocusBack() {
    QWidget window;
    auto* first = new QPushButton(QStringLiteral("a"), &window);
    auto* second = new QPushButton(QStringLiteral("b"), &window);
    second->move(0, 40);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    second->setFocus();
    first->grabMouse();
    QString title, text, button;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box != nullptr);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      const QList<QAbstractButton*> buttons = box->buttons();
      if (buttons.size() == 1) button = buttons.front()->text();
      QTest::keyClick(box, Qt::Key_Return);
    });
    ReportException(EOverflow());
    QCOMPARE(title, QStringLiteral("Metrazil"));
    QCOMPARE(text, U("浮点指针溢出."));
    QCOMPARE(icon, QMessageBox::Critical);
    // Qt supplies the caption of the box's one button, in Chinese like the window's own texts.
    QCOMPARE(button, U("确定"));
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QTRY_COMPARE(QApplication::focusWidget(), second);
  }

  // Every text Qt supplies is Chinese whatever the locale (the tests run under C.UTF-8); an editor's
  // context menu stands for them.
  void editorContextMenuIsChinese() {
    QLineEdit edit(QStringLiteral("abc"));
    edit.selectAll();
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      if (!action->isSeparator()) texts << action->text().section(QLatin1Char('\t'), 0, 0);
    }
    QCOMPARE(texts, (QStringList{U("撤消(&U)"), U("重做(&R)"), U("剪切(&T)"), U("复制(&C)"), U("粘贴(&P)"), U("删除"),
                                 U("全选")}));
  }

  void noticeLayoutFollowsItsArithmetic() {
    TNoticeForm form(U("请选择名称及输入数量"));
    const QFontMetrics fm(form.font());
    const int x = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    const int y = fm.height();
    const TNoticeLayout& l = form.Layout();
    QCOMPARE(l.charWidth, x);
    QCOMPARE(l.charHeight, y);
    QCOMPARE(l.horizontalMargin, MulDiv(8, x, 4));
    QCOMPARE(l.verticalMargin, y);
    QCOMPARE(l.buttonWidth, std::max(MulDiv(50, x, 4), fm.horizontalAdvance(U("确定")) + 8));
    QCOMPARE(l.buttonHeight, MulDiv(14, y, 8));
    const QRect text = fm.boundingRect(QRect(0, 0, 10000, 0), Qt::TextWordWrap, U("请选择名称及输入数量"));
    const int width = std::max(text.width(), l.buttonWidth) + 2 * l.horizontalMargin;
    QCOMPARE(form.size(), QSize(width, text.height() + l.buttonHeight + MulDiv(10, y, 8) + 2 * y));
    auto* message = form.findChild<QLabel*>(QStringLiteral("Message"));
    auto* ok = form.findChild<QPushButton*>(QStringLiteral("OK"));
    QVERIFY(message && ok);
    QCOMPARE(message->geometry(), QRect(l.horizontalMargin, y, text.width(), text.height()));
    QCOMPARE(ok->geometry(),
             QRect((width - l.buttonWidth) / 2, text.height() + y + MulDiv(10, y, 8), l.buttonWidth, l.buttonHeight));
    QCOMPARE(form.windowTitle(), QStringLiteral("Metrazil"));
    QCOMPARE(ok->text(), U("确定"));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(form.pos(), QPoint((screen.width() - form.width()) / 2, (screen.height() - form.height()) / 2));
  }

  void noticeWrapsWithinHalfTheScreen() {
    const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
    const TNoticeLayout oneLine = TNoticeForm(QStringLiteral("x")).Layout();
    const TNoticeLayout wrapped = TNoticeForm(QStringLiteral("word ").repeated(200)).Layout();
    QVERIFY(wrapped.textRect.width() <= half);
    QVERIFY(wrapped.textRect.height() > 3 * oneLine.textRect.height());
    const TNoticeLayout lines = TNoticeForm(QStringLiteral("a\r\nb\r\nc")).Layout();
    QVERIFY(lines.textRect.height() >= 3 * oneLine.textRect.height());
    const TNoticeLayout longWord = TNoticeForm(QString(half, QLatin1Char('W'))).Layout();
    QVERIFY(longWord.textRect.width() > half);
    QCOMPARE(oneLine.clientSize.width(), oneLine.buttonWidth + 2 * oneLine.horizontalMargin);
  }

  void noticeClosesWithEnterEscAndSpace_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("Space") << int(Qt::Key_Space);
  }

  void noticeClosesWithEnterEscAndSpace() {
    QFETCH(int, key);
    int result = -1;
    WhenModal([&](QWidget* modal) {
      auto* form = qobject_cast<TNoticeForm*>(modal);
      QVERIFY(form != nullptr);
      QWidget* focused = QApplication::focusWidget();
      QCOMPARE(focused, form->findChild<QPushButton*>(QStringLiteral("OK")));
      if (focused == nullptr) return;
      connect(form, &QDialog::finished, [&result](int r) { result = r; });
      QTest::keyClick(focused, static_cast<Qt::Key>(key));
    });
    ShowNotice(U("请选择名称及输入数量"));
    QCOMPARE(result, int(QDialog::Accepted));
  }

  void ctrlCCopiesTheFramedText() {
    QStringList copies;
    SetClipboardWriter([&copies](const QString& text) { copies.append(text); });
    TNoticeForm form(U("库有问题"));
    form.show();
    QWidget* ok = form.findChild<QPushButton*>(QStringLiteral("OK"));
    QTest::keyClick(ok, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(copies.isEmpty());
    QTest::keyClick(ok, Qt::Key_C, Qt::ControlModifier);
    const QString line = QStringLiteral("---------------------------\r\n");
    QCOMPARE(copies, QStringList{line + QStringLiteral("Metrazil\r\n") + line + U("库有问题\r\n") + line +
                                 U("确定   \r\n") + line});
    QVERIFY(form.isVisible());
  }

  void clipboardFailureIsReportedOverTheOpenDialog() {
    SetErrorBoxPresenter([this](const QString& text) { errors_.append(text); });
    SetClipboardWriter([](const QString&) { throw Exception("无法打开剪贴板"); });
    TNoticeForm form(QStringLiteral("x"));
    form.show();
    QTest::keyClick(form.findChild<QPushButton*>(QStringLiteral("OK")), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(errors_, QStringList{U("无法打开剪贴板.")});
    QVERIFY(form.isVisible());
  }
};

METRAZIL_TEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
