#include <unistd.h>

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/TestMain.h"
#include "ui/WebBrowser.h"

using namespace metrazil;

namespace {

// The web engine is a module of its own; the test, like the program, does not link it.
bool WebEngineLoaded() {
  QFile maps(QStringLiteral("/proc/self/maps"));
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

bool IsWebView(QObject* content) {
  return content != nullptr && QByteArray(content->metaObject()->className()) == "QWebEngineView";
}

}  // namespace

class WebBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void blankUntilToldToNavigate() {
    TWebBrowser browser;
    QCOMPARE(browser.Content(), nullptr);
  }

  // The web engine costs nothing until the page is shown: not loaded, no view, no request. Then the page
  // is requested once.
  void createsTheViewAndRequestsThePageWhenFirstShown() {
    QString reason;
    if (!TWebBrowser::CanUseWebEngine(&reason)) QSKIP(qPrintable(reason));
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("pyq.html")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html><head><title>pyq</title></head><body>ok</body></html>");
    file.close();
    const QUrl url = QUrl::fromLocalFile(file.fileName());
    QWidget page;
    page.resize(583, 273);
    auto* browser = new TWebBrowser(&page);
    browser->resize(583, 273);
    browser->hide();
    page.show();
    browser->Navigate(url);
    QCOMPARE(browser->Content(), nullptr);
    QVERIFY(!WebEngineLoaded());
    browser->show();
    QWidget* view = browser->Content();
    QVERIFY(IsWebView(view));
    QVERIFY(WebEngineLoaded());
    QSignalSpy started(view, SIGNAL(loadStarted()));
    QSignalSpy loaded(view, SIGNAL(loadFinished(bool)));
    if (!loaded.wait(30000)) QSKIP("the web engine did not start offscreen");
    QCOMPARE(loaded.first().first().toBool(), true);
    QCOMPARE(view->property("url").toUrl(), url);
    QCOMPARE(view->property("title").toString(), QStringLiteral("pyq"));
    browser->hide();
    browser->show();
    QTest::qWait(200);
    QCOMPARE(browser->Content(), view);
    QCOMPARE(started.size(), 1);
  }

  void fallsBackToALinkWhereTheViewWouldEndTheProcess() {
    if (::geteuid() != 0) QSKIP("needs root: only then does the sandbox rule apply");
    const QByteArray saved = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    QVERIFY(!TWebBrowser::CanUseWebEngine());
    TWebBrowser browser;
    browser.show();
    browser.Navigate(QUrl(QStringLiteral("https://www.metrazil.example/pyq.asp")));
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", saved);
    auto* link = qobject_cast<QLabel*>(browser.Content());
    QVERIFY(link != nullptr);
    QVERIFY(link->text().contains(QStringLiteral("https://www.metrazil.example/pyq.asp")));
    QVERIFY(!browser.ShowsWebView());
  }
};

METRAZIL_TEST_MAIN(WebBrowserTest)
#include "WebBrowserTest.moc"
