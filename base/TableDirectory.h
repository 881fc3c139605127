#pragma once

#include <string>

namespace metrazil {

// The directory the two table files are read from and saved to, with its trailing "/".
//
// The program directory, when the program is not installed and may write there (a portable folder, a
// build tree). Otherwise the per-user data directory, $XDG_DATA_HOME/metrazil, or ~/.local/share/metrazil
// when that variable is unset or not an absolute path. The program counts as installed when it stands in
// PREFIX/bin beside PREFIX/share/metrazil, whoever runs it: root may write to /usr/bin, yet its tables do
// not belong there.
//
// Decided on the first call for the program directory of that moment and kept; a program directory set
// for testing is decided afresh.
std::string TableDirectory();

// The rule itself, for a given program directory and environment (null for an unset variable).
std::string ChooseTableDirectory(const std::string& programDirectory, const char* xdgDataHome, const char* home);

// Creates the directory and its parents where missing, private to the user. Reports nothing: a directory
// that cannot be made shows as the save's own failure to create its file.
void CreateTableDirectory(const std::string& directory);

}  // namespace metrazil
