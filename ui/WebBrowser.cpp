#include "ui/WebBrowser.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLibrary>
#include <QLibraryInfo>
#include <QOpenGLContext>
#include <utility>

#include "grid/view/ReadableColour.h"
#include "ui/ReadableText.h"

#if defined(METRAZIL_WEBENGINE)
#include <private/qopenglcontext_p.h>
#endif

namespace metrazil {

namespace {

TWebBrowser::Navigator& CustomNavigator() {
  static TWebBrowser::Navigator navigator;
  return navigator;
}

#if defined(METRAZIL_WEBENGINE)
// The web engine lives in a module of its own, loaded when the page is first shown: linked into the
// program it would load a hundred libraries and set up OpenGL at every start.
QString WebViewModule() {
  const QString directory = QCoreApplication::applicationDirPath();
  for (const QString& candidate :
       {directory + QStringLiteral("/" METRAZIL_WEBVIEW_MODULE_NAME),
        directory + QStringLiteral("/" METRAZIL_WEBVIEW_MODULE_INSTALLED "/" METRAZIL_WEBVIEW_MODULE_NAME)}) {
    if (QFileInfo::exists(candidate)) return candidate;
  }
  return QStringLiteral(METRAZIL_WEBVIEW_MODULE_BUILT);
}

using CreateWebViewFunction = QWidget* (*)(QWidget* parent);

// The engine shares its OpenGL resources through the global share context, which it expects to exist
// before it is loaded; the program starts without one, so it is made here.
void EnsureGlobalShareContext() {
  if (QOpenGLContext::globalShareContext() != nullptr) return;
  // Set even when it cannot be created, as the application does: the engine then draws without OpenGL.
  auto* context = new QOpenGLContext(QCoreApplication::instance());
  context->create();
  qt_gl_set_global_share_context(context);
}
#endif

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
  if (!QFileInfo::exists(WebViewModule())) return fail("the web view module is missing");
  return true;
#else
  return fail("built without the web engine");
#endif
}

void TWebBrowser::Navigate(const QUrl& url) {
  if (isVisible()) {
    NavigateNow(url);
  } else {
    pending_ = url;
  }
}

void TWebBrowser::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!pending_.isEmpty()) NavigateNow(std::exchange(pending_, QUrl()));
}

void TWebBrowser::NavigateNow(const QUrl& url) {
  if (CustomNavigator()) {
    CustomNavigator()(url);
    return;
  }
  if (content_ == nullptr) {
#if defined(METRAZIL_WEBENGINE)
    if (CanUseWebEngine()) {
      EnsureGlobalShareContext();
      QLibrary module(WebViewModule());
      const auto create = reinterpret_cast<CreateWebViewFunction>(module.resolve("MetrazilCreateWebView"));
      if (QWidget* view = create != nullptr ? create(this) : nullptr) {
        view->setObjectName(QStringLiteral("WebView"));
        view->setGeometry(rect());
        view->show();
        content_ = view;
        showsWebView_ = true;
      }
    }
#endif
    if (content_ == nullptr) {
      ShowFallback(url);
      return;
    }
  }
  if (showsWebView_) content_->setProperty("url", url);
}

void TWebBrowser::ShowFallback(const QUrl& url) {
  auto* link = new QLabel(this);
  link->setObjectName(QStringLiteral("FallbackLink"));
  link->setTextFormat(Qt::RichText);
  link->setOpenExternalLinks(true);
  link->setAlignment(Qt::AlignCenter);
  const QString address = url.toString().toHtmlEscaped();
  // A label's link takes the application's link colour; where that does not read on the page, one that does.
  FollowPalette(link, [link, address] {
    const QColor colour = link->palette().color(QPalette::Link);
    const QColor readable = ReadableOn(colour, BackgroundBehind(link));
    const QString style = readable == colour ? QString() : QStringLiteral(" style=\"color: %1\"").arg(readable.name());
    link->clear();  // the link's colour is taken when its text is read
    link->setText(QStringLiteral("<a href=\"%1\"%2>%1</a>").arg(address, style));
  });
  link->setGeometry(rect());
  link->show();
  content_ = link;
}

void TWebBrowser::resizeEvent(QResizeEvent* event) {
  if (content_ != nullptr) content_->setGeometry(rect());
  QWidget::resizeEvent(event);
}

}  // namespace metrazil
