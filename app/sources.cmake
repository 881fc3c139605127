qt_add_executable(metrazil main.cpp)
target_link_libraries(metrazil PRIVATE metrazil_ui)
