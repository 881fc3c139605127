# The grid widget: painting, keys, mouse and the two editors over the Qt-free geometry.
target_sources(metrazil_ui PRIVATE
  grid/TableGridView.cpp
  grid/GridEditor.cpp
  grid/GridHeaderEditor.cpp
  grid/GridKeyAction.cpp
  grid/GridPainter.cpp
  grid/CellTextPainter.cpp)
