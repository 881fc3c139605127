#include "ui/WebBrowser.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <utility>

#if defined(METRAZIL_WEBENGINE)
#include <QWebEngineView>
#endif

namespace metrazil {

namespace {

TWebBrowser::Navigator& CustomNavigator() {
  static TWebBrowser::Navigator navigator;
  return navigator;
}

}  // namespace

TWebBrowser::TWebBrowser(QWidget* parent) : QWidget(parent) {}

TWebBrowser::Navigator TWebBrowser::SetNavigator(Navigator navigator) {
  return std::exchange(CustomNavigator(), std::move(navigator));
}

bool TWebBrowser::CanUseWebEngine(QString* reason) {
  auto fail = [reason](const char* why) {
    if (reason != nullptr) *reason = QString::fromUtf8(why);
    return false;
  };
#if defined(METRAZIL_WEBENGINE)
  // The web engine ends the process instead of failing when its helper is missing or, run as root, when
  // its sandbox is not switched off; so these are checked before any view exists.
  QString helper = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
  if (helper.isEmpty()) {
    helper = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess");
  }
  const QFileInfo helperInfo(helper);
  if (!helperInfo.isFile() || !helperInfo.isExecutable()) return fail("the web engine helper is missing");
  if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX") &&
      !qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(QStringLiteral("--no-sandbox"))) {
    return fail("run as root with the web engine's sandbox on");
  }
  if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts)) {
    return fail("shared OpenGL contexts were not requested before the application started");
  }
  return true;
#else
  return fail("built without the web engine");
#endif
}

void TWebBrowser::Navigate(const QUrl& url) {
  if (CustomNavigator()) {
    CustomNavigator()(url);
    return;
  }
  if (content_ == nullptr) {
#if defined(METRAZIL_WEBENGINE)
    if (CanUseWebEngine()) {
      auto* view = new QWebEngineView(this);
      view->setObjectName(QStringLiteral("WebView"));
      view->setGeometry(rect());
      view->show();
      content_ = view;
      showsWebView_ = true;
    }
#endif
    if (content_ == nullptr) {
      ShowFallback(url);
      return;
    }
  }
#if defined(METRAZIL_WEBENGINE)
  if (showsWebView_) static_cast<QWebEngineView*>(content_)->load(url);
#endif
}

void TWebBrowser::ShowFallback(const QUrl& url) {
  auto* link = new QLabel(this);
  link->setObjectName(QStringLiteral("FallbackLink"));
  link->setTextFormat(Qt::RichText);
  link->setOpenExternalLinks(true);
  link->setAlignment(Qt::AlignCenter);
  const QString address = url.toString().toHtmlEscaped();
  link->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address));
  link->setGeometry(rect());
  link->show();
  content_ = link;
}

void TWebBrowser::resizeEvent(QResizeEvent* event) {
  if (content_ != nullptr) content_->setGeometry(rect());
  QWidget::resizeEvent(event);
}

}  // namespace metrazil
