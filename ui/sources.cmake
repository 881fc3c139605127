target_sources(metrazil_ui PRIVATE
  Application.cpp
  ClickLabel.cpp
  CodePageText.cpp
  Form1.cpp
  NoticeForm.cpp
  ReportException.cpp
  WebBrowser.cpp)
qt_add_resources(metrazil_ui metrazil_ui_resources PREFIX /metrazil FILES Banner.svg Icon.svg)
