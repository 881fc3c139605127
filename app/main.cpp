#include "ui/Application.h"
#include "ui/Form1.h"
#include "ui/ShutdownWatch.h"

int main(int argc, char* argv[]) {
  if (const int status = metrazil::HandleCommandLine(argc, argv); status != metrazil::kContinueToWindow) {
    return status;
  }
  metrazil::TApplication application(argc, argv);
  metrazil::TForm1 form1;
  const metrazil::TShutdownWatch shutdownWatch;
  QObject::connect(&shutdownWatch, &metrazil::TShutdownWatch::shutdownRequested, &form1,
                   &metrazil::TForm1::PreserveWorkAndExit);
  QObject::connect(&shutdownWatch, &metrazil::TShutdownWatch::sessionSaving, &form1, &metrazil::TForm1::KeepWork);
  form1.show();
  return metrazil::TApplication::exec();
}
