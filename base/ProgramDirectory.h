#pragma once

#include <string>

namespace metrazil {

// The directory of the running executable's real path, with its trailing "/"; independent of the working
// directory and of how the program was found. Computed afresh on every call.
std::string ProgramDirectory();

// Tests point the program at a directory of their own; an empty text restores the real one.
void SetProgramDirectoryForTesting(std::string directory);

}  // namespace metrazil
