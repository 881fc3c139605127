target_sources(metrazil_ui PRIVATE grid/TableGridView.cpp)
