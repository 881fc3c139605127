#include <unistd.h>

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include "tests/support/TestMain.h"
#include "ui/WebBrowser.h"

using namespace metrazil;

class WebBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void blankUntilToldToNavigate() {
    TWebBrowser browser;
    QCOMPARE(browser.Content(), nullptr);
  }

  void fallsBackToALinkWhereTheViewWouldEndTheProcess() {
    if (::geteuid() != 0) QSKIP("needs root: only then does the sandbox rule apply");
    const QByteArray saved = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    QVERIFY(!TWebBrowser::CanUseWebEngine());
    TWebBrowser browser;
    browser.Navigate(QUrl(QStringLiteral("https://www.metrazil.example/pyq.asp")));
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", saved);
    auto* link = qobject_cast<QLabel*>(browser.Content());
    QVERIFY(link != nullptr);
    QVERIFY(link->text().contains(QStringLiteral("https://www.metrazil.example/pyq.asp")));
    QVERIFY(!browser.ShowsWebView());
  }

  void loadsALocalPageInTheRealView() {
    QString reason;
    if (!TWebBrowser::CanUseWebEngine(&reason)) QSKIP(qPrintable(reason));
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("pyq.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>pyq</title></head><body>ok</body></html>");
    page.close();
    TWebBrowser browser;
    browser.resize(583, 273);
    browser.show();
    browser.Navigate(QUrl::fromLocalFile(page.fileName()));
    auto* view = qobject_cast<QWebEngineView*>(browser.Content());
    QVERIFY(view != nullptr);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    if (!loaded.wait(30000)) QSKIP("the web engine did not start offscreen");
    QCOMPARE(loaded.first().first().toBool(), true);
    QCOMPARE(view->title(), QStringLiteral("pyq"));
  }
};

METRAZIL_TEST_MAIN(WebBrowserTest)
#include "WebBrowserTest.moc"
