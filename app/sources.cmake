# Start-up pieces the window needs live in the UI library, so widget tests run the real start-up.
target_sources(metrazil_ui PRIVATE ProgramDirectory.cpp)

qt_add_executable(metrazil main.cpp)
target_link_libraries(metrazil PRIVATE metrazil_ui)
