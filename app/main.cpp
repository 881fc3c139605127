#include <QCoreApplication>

#include "ui/Application.h"
#include "ui/Form1.h"

int main(int argc, char* argv[]) {
  // The embedded web view needs this before the application object exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  metrazil::TApplication application(argc, argv);
  metrazil::TForm1 form1;
  form1.show();
  return metrazil::TApplication::exec();
}
