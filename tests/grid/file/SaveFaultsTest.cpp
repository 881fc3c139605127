// Makes each call a save makes into the system fail in turn, with each error, in each situation a save
// meets, and checks what the failure leaves: the table whole, the error raised, nothing left beside it.
#include <acl/libacl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "grid/file/SafeFile.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/TableGrid.h"
#include "tests/support/DesignGrid.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/FolderTest.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;

using TFiles = std::map<std::string, std::string>;  // name → content of each file in the folder

std::optional<std::string> Find(const TFiles& files, const std::string& name) {
  const auto it = files.find(name);
  return it == files.end() ? std::nullopt : std::optional(it->second);
}

class SaveFaultsTest : public TFolderTest {
 public:  // for the cases' functions
  void SetUp() override {
    // A memory file system when it takes user attributes: hundreds of saves, each flushed to disk, would
    // cost a disk seconds.
    for (const fs::path& base : {fs::path("/dev/shm"), fs::temp_directory_path()}) {
      if (!MakeFolder(base)) continue;
      const std::string probe = PathOf("probe");
      Put(probe, "");
      attributes_ = ::setxattr(probe.c_str(), "user.metrazil.probe", "1", 1, 0) == 0;
      fs::remove(probe);
      if (attributes_) return;
      fs::remove_all(dir_);
    }
    ASSERT_FALSE(dir_.empty());
    fs::create_directory(dir_);
  }

  TFiles Files() const {
    TFiles files;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      std::string& content = files[entry.path().filename().string()];
      content.resize(entry.file_size());
      std::ifstream(entry.path(), std::ios::binary).read(content.data(), static_cast<std::streamsize>(content.size()));
    }
    return files;
  }

  bool attributes_ = false;  // the folder takes user extended attributes
};

// An operation under test in one situation. setUp makes the folder's files and returns why the situation
// cannot be made here ("" when it can); run raises what the operation raises; check is given the files
// before the run, the message raised ("no exception" for none) and the error injected.
struct TFaultCase {
  std::string name;
  std::function<std::string(SaveFaultsTest&)> setUp;
  std::function<void(SaveFaultsTest&)> run;
  std::function<void(SaveFaultsTest&, const TFiles& before, const std::string& message, int error)> check;
};

const std::string& OldTable() {
  static const std::string bytes = [] {
    std::string table = "5,100000\r\n";
    for (int row = 0; table.size() < (std::size_t{3} << 19); ++row) table += "0," + std::to_string(row) + ",old\r\n";
    return table;
  }();
  return bytes;
}

// Longer than a megabyte and shorter than the old table, so a save writes it in more than one piece and an
// in-place write that stops early leaves old bytes after it.
const TTableGrid& NewGrid() {
  static const TTableGrid grid = [] {
    TTableGrid made = DesignGrid();
    made.SetRowCount(45000);
    for (int row = 1; row < 45000; ++row) made.WriteCell(0, row, "a new cell text");
    return made;
  }();
  return grid;
}
const std::string& NewTable() {
  static const std::string bytes = TableFileBytes(NewGrid());
  return bytes;
}

// A save of the new table over data.dat, which holds the old one. extra completes the situation and
// extraCheck checks what it added, whatever failed; a save that succeeds in place must back up the old table.
TFaultCase SaveCase(std::string name, TSafeFile::TBackup backup,
                    const std::function<std::string(SaveFaultsTest&)>& extra,
                    const std::function<void(SaveFaultsTest&)>& extraCheck, bool oldTableBackedUp = false) {
  return {std::move(name),
          [extra](SaveFaultsTest& f) {
            SaveFaultsTest::Put(f.PathOf("data.dat"), OldTable());
            return extra ? extra(f) : std::string();
          },
          [backup](SaveFaultsTest& f) { WriteTableFile(NewGrid(), f.PathOf("data.dat"), backup); },
          [extraCheck, backup, oldTableBackedUp](SaveFaultsTest& f, const TFiles& before, const std::string& message,
                                                 int error) {
            const std::string path = f.PathOf("data.dat");
            const bool saved = message == "no exception";
            if (!saved) {
              EXPECT_TRUE(message == "Cannot Create " + path || message == "I/O 错误 " + std::to_string(error))
                  << message;
            }
            const TFiles after = f.Files();
            // Byte for byte the old table or the new one: a comparison of megabytes shows only which.
            const std::optional<std::string> table = Find(after, "data.dat");
            const std::optional<std::string> expected = saved ? NewTable() : Find(before, "data.dat");
            EXPECT_TRUE(table == expected) << (saved ? "the save reported success but the table is not the new one"
                                                     : "the save failed but the table is not as before");
            // Nothing but the backup beside it.
            for (const auto& [name, content] : after) {
              EXPECT_TRUE(before.contains(name) || name == "data.dat" || name == "data.dat.bak") << name << " left";
            }
            // The backup is the one before the save or the old table, never new or half-written.
            const std::optional<std::string> kept = Find(after, "data.dat.bak");
            EXPECT_TRUE(kept == Find(before, "data.dat.bak") || kept == Find(before, "data.dat"))
                << "the backup holds neither the older backup nor the old table";
            if (saved && (oldTableBackedUp || backup == TSafeFile::TBackup::kKeepOld)) {
              EXPECT_TRUE(kept == Find(before, "data.dat")) << "no backup of the old table";
            }
            if (extraCheck) extraCheck(f);
          }};
}

bool HasNote(const std::string& path) {
  char value[8] = {};
  return ::getxattr(path.c_str(), "user.metrazil.note", value, sizeof value) == 4 && std::string(value) == "kept";
}

std::vector<TFaultCase> SaveCases() {
  return {
      SaveCase(
          "plain file", TSafeFile::TBackup::kNone,
          [](SaveFaultsTest& f) {
            ::chmod(f.PathOf("data.dat").c_str(), 0640);
            return std::string();
          },
          [](SaveFaultsTest& f) {
            struct stat info {};
            ::stat(f.PathOf("data.dat").c_str(), &info);
            EXPECT_EQ(info.st_mode & 07777, 0640u);
          }),
      SaveCase(
          "extended attribute", TSafeFile::TBackup::kNone,
          [](SaveFaultsTest& f) {
            if (!f.attributes_) return std::string("no user extended attributes in /dev/shm or the temporary folder");
            ::setxattr(f.PathOf("data.dat").c_str(), "user.metrazil.note", "kept", 4, 0);
            return std::string();
          },
          [](SaveFaultsTest& f) { EXPECT_TRUE(HasNote(f.PathOf("data.dat"))) << "the attribute was lost"; }),
      SaveCase(
          "second hard link", TSafeFile::TBackup::kNone,
          [](SaveFaultsTest& f) {
            fs::create_hard_link(f.PathOf("data.dat"), f.PathOf("other.dat"));
            return std::string();
          },
          [](SaveFaultsTest& f) {
            const TFiles files = f.Files();
            EXPECT_TRUE(Find(files, "other.dat") == Find(files, "data.dat")) << "the link no longer shows the table";
          },
          true),
      SaveCase(
          "ACL", TSafeFile::TBackup::kNone,
          [](SaveFaultsTest& f) {
            acl_t acl = ::acl_from_text("u::rw-,u:nobody:rw-,g::r--,m::rw-,o::---");
            const int set = ::acl_set_file(f.PathOf("data.dat").c_str(), ACL_TYPE_ACCESS, acl);
            ::acl_free(acl);
            return set == 0 ? std::string() : std::string("no ACLs in ") + f.dir_.string();
          },
          [](SaveFaultsTest& f) {
            EXPECT_EQ(::acl_extended_file(f.PathOf("data.dat").c_str()), 1) << "the ACL was lost";
          }),
      SaveCase(
          "another owner and group", TSafeFile::TBackup::kNone,
          [](SaveFaultsTest& f) {
            const passwd* nobody = ::getpwnam("nobody");
            const group* nogroup = ::getgrnam("nogroup");
            if (::geteuid() != 0 || nobody == nullptr || nogroup == nullptr ||
                ::chown(f.PathOf("data.dat").c_str(), nobody->pw_uid, nogroup->gr_gid) != 0) {
              return std::string("needs root to give the table to nobody");
            }
            return std::string();
          },
          [](SaveFaultsTest& f) {
            struct stat info {};
            ::stat(f.PathOf("data.dat").c_str(), &info);
            EXPECT_EQ(info.st_uid, ::getpwnam("nobody")->pw_uid);
            EXPECT_EQ(info.st_gid, ::getgrnam("nogroup")->gr_gid);
          }),
      SaveCase("no file yet", TSafeFile::TBackup::kNone,
               [](SaveFaultsTest& f) {
                 fs::remove(f.PathOf("data.dat"));
                 return std::string();
               },
               {}),
      SaveCase("backup asked for, an older one there", TSafeFile::TBackup::kKeepOld,
               [](SaveFaultsTest& f) {
                 SaveFaultsTest::Put(f.PathOf("data.dat.bak"), "older");
                 return std::string();
               },
               {}),
  };
}

// Every call of the run in every case fails once with each error; the count of injections is printed.
TEST_F(SaveFaultsTest, EveryFailingCallLeavesTheTableWhole) {
  std::set<std::string> failedCalls;
  int total = 0;
  bool allMade = true;
  for (const TFaultCase& c : SaveCases()) {
    SCOPED_TRACE(c.name);
    TFiles before;
    std::string message;
    const std::optional<int> injections = RunWithEachCallFailing(
        [&] {
          fs::remove_all(dir_);
          fs::create_directory(dir_);
          if (const std::string missing = c.setUp(*this); !missing.empty()) return c.name + ": " + missing;
          before = Files();
          return std::string();
        },
        [&] { message = ErrorOf([&] { c.run(*this); }); }, [&](int error) { c.check(*this, before, message, error); },
        failedCalls);
    allMade = allMade && injections.has_value();
    std::cout << c.name << ": " << injections.value_or(0) << " injections\n";
    total += injections.value_or(0);
  }
  std::cout << "in all: " << total << " injections\n";
  RecordProperty("injections", total);
  // Every kind of call a save makes has failed at least once.
  if (!allMade) return;
  for (const char* call :
       {"realpath", "stat",   "access", "open",         "flock",           "mkostemp",   "fstat",
        "write",    "pread",  "pwrite", "ftruncate",    "fsync",           "fchmod",     "fchown",
        "rename",   "unlink", "close",  "attr_copy_fd", "acl_extended_fd", "acl_get_fd", "acl_set_fd"}) {
    EXPECT_TRUE(failedCalls.contains(call)) << call;
  }
}

}  // namespace
}  // namespace metrazil
