target_sources(metrazil_core PRIVATE Calculator.cpp)
