// The yardstick of the start-up benchmark: a plain Qt Widgets window of the main window's size with four
// tabs of the same captions, and nothing else.
#include <QApplication>
#include <QTabWidget>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Metrazil"));
  window.setFixedSize(591, 381);
  auto* tabs = new QTabWidget(&window);
  tabs->setGeometry(0, 0, 591, 337);
  for (const char* caption : {"计算", "维护", "通信录", "朋友圈"})
    tabs->addTab(new QWidget, QString::fromUtf8(caption));
  window.show();
  return QApplication::exec();
}
