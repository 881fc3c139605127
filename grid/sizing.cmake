# Column sizing, wheel and zoom, panning, scroll bars and links of the grid view.
target_sources(metrazil_ui PRIVATE
  grid/GridLinkController.cpp
  grid/GridLinkTarget.cpp
  grid/GridPanningController.cpp
  grid/GridPanningCursors.cpp
  grid/GridScrollController.cpp
  grid/GridScrollMapping.cpp
  grid/GridSizing.cpp
  grid/GridSizingController.cpp
  grid/GridSizingLine.cpp
  grid/GridSizingRules.cpp
  grid/GridWheelAccumulator.cpp
  grid/GridWheelController.cpp
  grid/GridWheelRules.cpp
)
