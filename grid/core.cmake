target_sources(metrazil_core PRIVATE CellStore.cpp TableFile.cpp TableFileLines.cpp TableGrid.cpp TableGridFile.cpp)
