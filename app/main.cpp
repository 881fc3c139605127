#include "ui/Application.h"
#include "ui/Form1.h"

int main(int argc, char* argv[]) {
  if (const int status = metrazil::HandleCommandLine(argc, argv); status != metrazil::kContinueToWindow) {
    return status;
  }
  metrazil::TApplication application(argc, argv);
  metrazil::TForm1 form1;
  form1.show();
  return metrazil::TApplication::exec();
}
