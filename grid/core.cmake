target_sources(metrazil_core PRIVATE CellStore.cpp RowMapSet.cpp TableFile.cpp TableFileLines.cpp TableGrid.cpp TableGridFile.cpp)
