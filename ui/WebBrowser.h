#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

class QLabel;

namespace metrazil {

// The fourth page's browser. Blank until told to navigate and shown: only then does it create the
// embedded web view and request the page, or, where that view cannot start without ending the whole
// process, show a plain link to the address. A page never shown costs no web engine at all.
class TWebBrowser : public QWidget {
  Q_OBJECT

 public:
  explicit TWebBrowser(QWidget* parent = nullptr);

  // Navigates now when shown, else the first time the browser is shown.
  void Navigate(const QUrl& url);
  // The embedded view, the fallback link or nullptr while blank.
  QWidget* Content() const { return content_; }
  bool ShowsWebView() const { return showsWebView_; }

  // Whether an embedded web view can be created in this process; `reason` says why not.
  static bool CanUseWebEngine(QString* reason = nullptr);

  // Replaces navigation (tests record the address instead of loading it); an empty function restores it.
  using Navigator = std::function<void(const QUrl& url)>;
  static Navigator SetNavigator(Navigator navigator);

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void NavigateNow(const QUrl& url);
  void ShowFallback(const QUrl& url);

  QUrl pending_;
  QWidget* content_ = nullptr;
  bool showsWebView_ = false;
};

}  // namespace metrazil
