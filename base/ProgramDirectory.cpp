#include "base/ProgramDirectory.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace metrazil {

namespace {

std::string& TestDirectory() {
  static std::string directory;
  return directory;
}

}  // namespace

std::string ProgramDirectory() {
  if (!TestDirectory().empty()) return TestDirectory();
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "./";
  std::string directory = executable.parent_path().string();
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}

void SetProgramDirectoryForTesting(std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory += '/';
  TestDirectory() = std::move(directory);
}

}  // namespace metrazil
