target_sources(metrazil_ui PRIVATE Placeholder.cpp)
