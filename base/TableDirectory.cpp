#include "base/TableDirectory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/ProgramDirectory.h"

namespace metrazil {

namespace {

std::string WithSlash(std::string directory) {
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}

// PREFIX/bin/ beside PREFIX/share/metrazil/, as the install rules lay the program out.
bool IsInstalled(const std::string& programDirectory) {
  namespace fs = std::filesystem;
  const fs::path bin = fs::path(programDirectory).parent_path();
  if (bin.filename() != METRAZIL_INSTALL_BINDIR) return false;
  std::error_code error;
  return fs::is_directory(bin.parent_path() / METRAZIL_INSTALL_DATADIR / "metrazil", error);
}

std::string UserDataDirectory(const char* xdgDataHome, const char* home) {
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return WithSlash(xdgDataHome) + "metrazil/";
  if (home == nullptr || home[0] != '/') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/' ? user->pw_dir : "/";
  }
  return WithSlash(home) + ".local/share/metrazil/";
}

}  // namespace

std::string ChooseTableDirectory(const std::string& programDirectory, const char* xdgDataHome, const char* home) {
  if (!IsInstalled(programDirectory) && access(programDirectory.c_str(), W_OK) == 0) return programDirectory;
  return UserDataDirectory(xdgDataHome, home);
}

std::string TableDirectory() {
  static std::string decidedFor;
  static std::string directory;
  const std::string program = ProgramDirectory();
  if (directory.empty() || program != decidedFor) {
    directory = ChooseTableDirectory(program, std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    decidedFor = program;
  }
  return directory;
}

void CreateTableDirectory(const std::string& directory) {
  std::error_code error;
  if (std::filesystem::is_directory(directory, error)) return;
  // Level by level, so that every directory made here is the user's alone; existing ones stay as they are.
  for (std::size_t slash = directory.find('/', 1); slash != std::string::npos; slash = directory.find('/', slash + 1)) {
    mkdir(directory.substr(0, slash).c_str(), 0700);
  }
  mkdir(directory.c_str(), 0700);
}

}  // namespace metrazil
