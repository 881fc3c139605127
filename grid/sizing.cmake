# Column sizing, wheel and zoom, panning, scroll bars and links of the grid view.
target_sources(metrazil_ui PRIVATE
  grid/GridLinkTarget.cpp
  grid/GridScrollMapping.cpp
  grid/GridSizingRules.cpp
  grid/GridWheelAccumulator.cpp
  grid/GridWheelRules.cpp
)
