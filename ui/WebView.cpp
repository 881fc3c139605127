// The module holding the embedded web view; TWebBrowser loads it the first time its page is shown.
#include <QWebEngineView>

extern "C" Q_DECL_EXPORT QWidget* MetrazilCreateWebView(QWidget* parent) { return new QWebEngineView(parent); }
