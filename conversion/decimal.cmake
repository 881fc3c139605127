target_sources(metrazil_core PRIVATE DecimalText.cpp DecimalText.h DecimalPowers.h)
