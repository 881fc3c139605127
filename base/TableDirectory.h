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
// for testing is decided afresh. An installed program's first run starts from the samples: see
// SeedTableDirectory.
std::string TableDirectory();

// The rule itself, for a given program directory and environment (null for an unset variable).
std::string ChooseTableDirectory(const std::string& programDirectory, const char* xdgDataHome, const char* home);

// The first run of an installed program: when `directory` does not exist yet, makes it (and its missing
// parents) private to the user and copies the sample tables data.dat and data2.dat of `samplesDirectory`
// into it. Nothing when the directory exists, so a user who deleted the files starts empty; never over a
// file. A sample that is missing or cannot be copied is left out (a partial copy is removed): the table
// then starts empty, as without samples. Returns whether the directory was made here.
bool SeedTableDirectory(const std::string& directory, const std::string& samplesDirectory);

// Creates the directory and its parents where missing, private to the user. Reports nothing: a directory
// that cannot be made shows as the save's own failure to create its file.
void CreateTableDirectory(const std::string& directory);

}  // namespace metrazil
