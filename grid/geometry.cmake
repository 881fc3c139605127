# Qt-free pieces of the grid view: cell geometry and the readers of the kinds of cell text.
target_sources(metrazil_core PRIVATE GridGeometry.cpp CellTextKind.cpp RichTextReader.cpp)
