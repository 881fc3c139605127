#include "base/TableDirectory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/ProgramDirectory.h"
#include "tests/support/FolderTest.h"
#include "tests/support/OrdinaryUser.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;

class TableDirectoryTest : public TFolderTest {
 protected:
  // Under /tmp, where the run as an ordinary user makes its folders too.
  void SetUp() override { ASSERT_TRUE(MakeFolder("/tmp")); }
  // Makes the folders and gives the first one's path with its trailing "/".
  std::string Make(const std::string& program, const std::string& other = {}) {
    fs::create_directories(dir_ / program);
    if (!other.empty()) fs::create_directories(dir_ / other);
    return (dir_ / program).string() + "/";
  }
};

TEST_F(TableDirectoryTest, ProgramDirectoryOnlyWhenNotInstalledAndWritable) {
  struct Case {
    const char* name;
    const char* program;
    const char* other;
    bool inProgramDirectory;
  } cases[] = {
      // Whoever runs it: a writable install stands for /usr/bin as seen by root.
      {"installed under a prefix", "usr/bin", "usr/share/metrazil/examples", false},
      {"portable folder", "metrazil-0.1-portable", "", true},
      {"build tree", "build/release/app", "", true},
      {"a bin folder without the shared data", "home/bin", "home/share/other", true},
      {"shared data beside a folder not named bin", "opt/app", "opt/share/metrazil", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string program = Make(c.program, c.other);
    const std::string expected = c.inProgramDirectory ? program : "/home/u/.local/share/metrazil/";
    EXPECT_EQ(ChooseTableDirectory(program, nullptr, "/home/u"), expected);
  }
}

TEST_F(TableDirectoryTest, ProgramDirectoryNotWritableGivesTheUserDirectory) {
  EXPECT_EQ(ChooseTableDirectory((dir_ / "gone").string() + "/", nullptr, "/home/u"), "/home/u/.local/share/metrazil/");
  if (geteuid() == 0) {
    // Root may write to a read-only folder: the test runs again as an ordinary user.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    EXPECT_EQ(RunAsOrdinaryUser({std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name()}), "");
    return;
  }
  const std::string program = Make("readonly");
  fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(ChooseTableDirectory(program, nullptr, "/home/u"), "/home/u/.local/share/metrazil/");
}

TEST_F(TableDirectoryTest, UserDirectoryFollowsXdgDataHome) {
  const std::string program = Make("usr/bin", "usr/share/metrazil");
  struct Case {
    const char* name;
    const char* xdgDataHome;
    const char* expected;
  } cases[] = {
      {"set", "/data/u", "/data/u/metrazil/"},
      {"with a trailing slash", "/data/u/", "/data/u/metrazil/"},
      {"unset", nullptr, "/home/u/.local/share/metrazil/"},
      {"empty", "", "/home/u/.local/share/metrazil/"},
      {"relative, which the rule ignores", "data", "/home/u/.local/share/metrazil/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseTableDirectory(program, c.xdgDataHome, "/home/u"), c.expected);
  }
}

TEST_F(TableDirectoryTest, CreateMakesMissingLevelsForTheUserAlone) {
  fs::create_directories(dir_ / "home");
  fs::permissions(dir_ / "home", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  const std::string directory = (dir_ / "home/.local/share/metrazil").string() + "/";
  CreateTableDirectory(directory);
  ASSERT_TRUE(fs::is_directory(directory));
  for (const char* level : {"home/.local", "home/.local/share", "home/.local/share/metrazil"}) {
    SCOPED_TRACE(level);
    EXPECT_EQ(fs::status(dir_ / level).permissions(), fs::perms::owner_all);
  }
  // What existed keeps its mode.
  EXPECT_EQ(fs::status(dir_ / "home").permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  CreateTableDirectory(directory);
  EXPECT_TRUE(fs::is_directory(directory));
}

TEST_F(TableDirectoryTest, SeedCopiesTheSamplesOnlyIntoADirectoryItMakes) {
  const fs::path samples = dir_ / "usr/share/metrazil/examples";
  fs::create_directories(samples);
  Put(samples / "data.dat", "2,1\r\ncw 0,64\r\n0,0,a\r\n");
  Put(samples / "data2.dat", "1,1\r\n");
  struct Case {
    const char* name;
    std::string before;  // what the home holds already: nothing, a directory, or a directory holding a table
    bool made;
  } cases[] = {
      {"first run, no parent yet", "", true},
      {"the files deleted to start empty", "dir", false},
      {"a table of the user's", "table", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path home = dir_ / c.name;
    const fs::path directory = home / ".local/share/metrazil";
    if (!c.before.empty()) fs::create_directories(directory);
    if (c.before == "table") Put(directory / "data.dat", "mine");
    EXPECT_EQ(SeedTableDirectory(directory.string() + "/", samples.string()), c.made);
    if (c.made) {
      EXPECT_EQ(fs::status(directory).permissions(), fs::perms::owner_all);
      EXPECT_EQ(fs::status(home / ".local").permissions(), fs::perms::owner_all);
      EXPECT_EQ(Get(directory / "data.dat"), Get(samples / "data.dat"));
      EXPECT_EQ(Get(directory / "data2.dat"), Get(samples / "data2.dat"));
    } else {
      EXPECT_EQ(fs::exists(directory / "data.dat"), c.before == "table");
      if (fs::exists(directory / "data.dat")) {
        EXPECT_EQ(Get(directory / "data.dat"), "mine");
      }
      EXPECT_FALSE(fs::exists(directory / "data2.dat"));
    }
  }
}

TEST_F(TableDirectoryTest, SeedLeavesOutAMissingSample) {
  fs::create_directories(dir_ / "examples");
  Put(dir_ / "examples/data2.dat", "1,1\r\n");
  ASSERT_TRUE(SeedTableDirectory((dir_ / "tables").string(), (dir_ / "examples").string()));
  EXPECT_FALSE(fs::exists(dir_ / "tables/data.dat"));
  EXPECT_EQ(Get(dir_ / "tables/data2.dat"), "1,1\r\n");
}

// The real decision: an installed program's first call makes the user's directory from the samples; a
// portable program gets none.
TEST_F(TableDirectoryTest, TableDirectorySeedsOnlyForAnInstalledProgram) {
  Make("usr/bin", "usr/share/metrazil/examples");
  Put(dir_ / "usr/share/metrazil/examples/data.dat", "1,1\r\n");
  const std::string portable = Make("portable");
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string savedValue = saved != nullptr ? saved : "";
  setenv("XDG_DATA_HOME", (dir_ / "xdg").c_str(), 1);

  SetProgramDirectoryForTesting(portable);
  EXPECT_EQ(TableDirectory(), portable);
  EXPECT_FALSE(fs::exists(dir_ / "xdg"));
  SetProgramDirectoryForTesting((dir_ / "usr/bin").string() + "/");
  EXPECT_EQ(TableDirectory(), (dir_ / "xdg/metrazil").string() + "/");
  EXPECT_EQ(Get(dir_ / "xdg/metrazil/data.dat"), "1,1\r\n");

  SetProgramDirectoryForTesting({});
  if (saved != nullptr) {
    setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
  } else {
    unsetenv("XDG_DATA_HOME");
  }
}

}  // namespace
}  // namespace metrazil
