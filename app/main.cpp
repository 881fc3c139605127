#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName("Metrazil");
  QWidget window;
  window.setWindowTitle("Metrazil");
  window.show();
  return QApplication::exec();
}
