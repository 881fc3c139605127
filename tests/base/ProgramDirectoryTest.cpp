#include "base/ProgramDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace metrazil {
namespace {

namespace fs = std::filesystem;

TEST(ProgramDirectoryTest, IsTheExecutablesDirectoryWhateverTheWorkingDirectory) {
  SetProgramDirectoryForTesting({});
  const fs::path previous = fs::current_path();
  fs::current_path(fs::temp_directory_path());
  const std::string directory = ProgramDirectory();
  fs::current_path(previous);
  EXPECT_EQ(directory, fs::canonical("/proc/self/exe").parent_path().string() + "/");
}

}  // namespace
}  // namespace metrazil
