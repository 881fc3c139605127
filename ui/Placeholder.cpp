namespace metrazil {}
