#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace metrazil {

// A GoogleTest fixture over a folder of its own, made fresh for each test under the temporary folder and
// removed afterwards with all it holds, and the byte-for-byte file access its tests use.
class TFolderTest : public ::testing::Test {
 public:  // for the set-up and check functions of tests' tables of cases
  void SetUp() override { ASSERT_TRUE(MakeFolder(std::filesystem::temp_directory_path())); }
  void TearDown() override {
    if (!owned_) return;
    // A test may have taken the folder's permissions away.
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  static void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  // Empty when the file cannot be read.
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // The names in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path dir_;

 protected:
  // Makes a new folder under base, named after the test suite, for dir_; false when it cannot.
  bool MakeFolder(const std::filesystem::path& base) {
    const char* suite = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
    std::string pattern = (base / ("metrazil-" + std::string(suite) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    dir_ = pattern;
    owned_ = true;
    return true;
  }

 private:
  bool owned_ = false;  // made here, so removed here
};

}  // namespace metrazil
