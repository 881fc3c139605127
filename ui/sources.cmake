target_sources(metrazil_ui PRIVATE CodePageText.cpp)
