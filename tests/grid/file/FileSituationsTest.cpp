// What a save and a read do with the files around a table: links, attributes, owners, temporary files left
// by killed saves, a save in progress, and files edited by hand.
#include <acl/libacl.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "grid/file/ReadLockedFile.h"
#include "grid/file/SafeFile.h"
#include "grid/file/SavePlace.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/TableGrid.h"
#include "tests/support/DesignGrid.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/FolderTest.h"
#include "tests/support/OrdinaryUser.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Set for the part of a test that runs again as an ordinary user: the folder it works in.
constexpr char kOrdinaryUserDir[] = "METRAZIL_TEST_ORDINARY_USER_DIR";

// Runs this test program again as nobody on one test, with kOrdinaryUserDir set to dir; an empty text when
// it passed. Root's tests need it where the rules differ for an ordinary user.
std::string RunAsNobody(const std::string& test, const std::string& dir) {
  ::setenv(kOrdinaryUserDir, dir.c_str(), 1);
  const std::string failure = RunAsOrdinaryUser({"--gtest_filter=" + test});
  ::unsetenv(kOrdinaryUserDir);
  return failure;
}

// A second process that keeps a save of path open, and so the lock on the file, until told to go on or
// killed; told, it commits content (nothing when empty) and ends.
class SavingProcess {
 public:
  explicit SavingProcess(const std::string& path, const std::string& content = {}) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(go_), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(go_[1]);
      int status = 0;
      try {
        TSafeFile file(path);
        char byte = 'r';
        if (::write(ready[1], &byte, 1) != 1 || ::read(go_[0], &byte, 1) != 1) ::_exit(1);
        file.Write(content.data(), content.size());
        if (!content.empty()) file.Commit();
      } catch (const Exception&) {
        status = 1;
      }
      ::_exit(status);
    }
    ::close(ready[1]);
    ::close(go_[0]);
    char byte = 0;
    EXPECT_EQ(::read(ready[0], &byte, 1), 1) << "the saving process did not start its save";
    ::close(ready[0]);
  }
  ~SavingProcess() {
    ::close(go_[1]);
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  SavingProcess(const SavingProcess&) = delete;
  SavingProcess& operator=(const SavingProcess&) = delete;

  void Go() { EXPECT_EQ(::write(go_[1], "g", 1), 1); }

 private:
  pid_t pid_ = -1;
  int go_[2] = {-1, -1};
};

class FileSituationsTest : public TFolderTest {
 public:  // for the situations' set-up and check functions
  void SetUp() override {
    // The run as an ordinary user works in the folder of the run that started it, which removes it.
    if (const char* given = std::getenv(kOrdinaryUserDir)) {
      dir_ = given;
      return;
    }
    TFolderTest::SetUp();
  }

  static struct stat StatOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
  }
  static void Save(const std::string& path, const std::string& content,
                   TSafeFile::TBackup backup = TSafeFile::TBackup::kNone) {
    TSafeFile file(path, backup);
    file.Write(content.data(), content.size());
    file.Commit();
  }
  static std::string AclText(const std::string& path) {
    acl_t acl = ::acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
    if (acl == nullptr) return "no ACL";
    char* text = ::acl_to_any_text(acl, nullptr, ',', 0);
    const std::string result = text;
    ::acl_free(text);
    ::acl_free(acl);
    return result;
  }
};

const std::string kOld = "5,10\r\n0,0,old\r\n";
const std::string kNew = "5,10\r\n0,0,new\r\n";

// Each situation saves kNew through `saved`, after the set-up put kOld in data.dat (and more around it).
TEST_F(FileSituationsTest, SaveKeepsWhatTheFileIs) {
  using Fixture = FileSituationsTest;
  struct Situation {
    const char* name;
    const char* saved;
    TSafeFile::TBackup backup;
    // Returns an empty text, or why the situation cannot be made on this machine.
    std::function<std::string(Fixture&)> setUp;
    std::function<void(Fixture&, const struct stat& before)> check;
    bool fails = false;
  };
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const Situation situations[] = {
      {"plain file: replaced, mode kept", "data.dat", TSafeFile::TBackup::kNone,
       [](Fixture& f) {
         ::chmod(f.PathOf("data.dat").c_str(), 0640);
         return std::string();
       },
       [](Fixture& f, const struct stat& before) {
         EXPECT_NE(StatOf(f.PathOf("data.dat")).st_ino, before.st_ino);
         EXPECT_EQ(StatOf(f.PathOf("data.dat")).st_mode & 07777, 0640u);
         EXPECT_EQ(f.Entries(), (std::vector<std::string>{"data.dat"}));
       }},
      {"second hard link: written in place after a backup", "data.dat", TSafeFile::TBackup::kNone,
       [](Fixture& f) {
         fs::create_hard_link(f.PathOf("data.dat"), f.PathOf("other.dat"));
         return std::string();
       },
       [](Fixture& f, const struct stat& before) {
         EXPECT_EQ(StatOf(f.PathOf("data.dat")).st_ino, before.st_ino);
         EXPECT_EQ(Get(f.PathOf("other.dat")), kNew);
         EXPECT_EQ(Get(f.PathOf("data.dat.bak")), kOld);
         EXPECT_EQ(StatOf(f.PathOf("data.dat.bak")).st_nlink, 1u);
         EXPECT_EQ(f.Entries(), (std::vector<std::string>{"data.dat", "data.dat.bak", "other.dat"}));
       }},
      {"extended attribute: copied", "data.dat", TSafeFile::TBackup::kNone,
       [](Fixture& f) {
         const std::string path = f.PathOf("data.dat");
         if (::setxattr(path.c_str(), "user.metrazil.note", "kept", 4, 0) != 0) {
           return "user extended attributes unsupported in " + f.dir_.string() + ": " + std::strerror(errno);
         }
         return std::string();
       },
       [](Fixture& f, const struct stat& before) {
         const std::string path = f.PathOf("data.dat");
         EXPECT_NE(StatOf(path).st_ino, before.st_ino);
         char value[16] = {};
         EXPECT_EQ(::getxattr(path.c_str(), "user.metrazil.note", value, sizeof value), 4);
         EXPECT_STREQ(value, "kept");
       }},
      {"ACL: copied with the owning group and the mask", "data.dat", TSafeFile::TBackup::kNone,
       [](Fixture& f) {
         acl_t acl = ::acl_from_text("u::rw-,u:nobody:rw-,g::r--,m::rw-,o::---");
         const int set = ::acl_set_file(f.PathOf("data.dat").c_str(), ACL_TYPE_ACCESS, acl);
         ::acl_free(acl);
         return set == 0 ? std::string() : "ACLs unsupported in " + f.dir_.string();
       },
       [](Fixture& f, const struct stat& before) {
         const std::string path = f.PathOf("data.dat");
         EXPECT_NE(StatOf(path).st_ino, before.st_ino);
         EXPECT_EQ(AclText(path), "user::rw-,user:nobody:rw-,group::r--,mask::rw-,other::---");
         EXPECT_EQ(StatOf(path).st_mode & 07777, 0660u);
       }},
      {"dangling link into an existing folder: its target is created", "link.dat", TSafeFile::TBackup::kNone,
       [](Fixture& f) {
         fs::create_directory(f.PathOf("synced"));
         fs::create_symlink("synced/data.dat", f.PathOf("link.dat"));
         return std::string();
       },
       [mask](Fixture& f, const struct stat&) {
         EXPECT_EQ(fs::read_symlink(f.PathOf("link.dat")), "synced/data.dat");
         EXPECT_EQ(Get(f.PathOf("synced/data.dat")), kNew);
         EXPECT_EQ(StatOf(f.PathOf("synced/data.dat")).st_mode & 07777, 0666u & ~mask);
         EXPECT_EQ(Get(f.PathOf("data.dat")), kOld);
       }},
      {"dangling link into a missing folder: refused, the link stays", "link.dat", TSafeFile::TBackup::kNone,
       [](Fixture& f) {
         fs::create_symlink("unmounted/data.dat", f.PathOf("link.dat"));
         return std::string();
       },
       [](Fixture& f, const struct stat&) {
         EXPECT_EQ(fs::read_symlink(f.PathOf("link.dat")), "unmounted/data.dat");
         EXPECT_EQ(f.Entries(), (std::vector<std::string>{"data.dat", "link.dat"}));
       },
       true},
      {"backup asked for: the old file kept, an older backup replaced", "data.dat", TSafeFile::TBackup::kKeepOld,
       [](Fixture& f) {
         Put(f.PathOf("data.dat.bak"), "older");
         ::chmod(f.PathOf("data.dat").c_str(), 0604);
         return std::string();
       },
       [](Fixture& f, const struct stat& before) {
         EXPECT_NE(StatOf(f.PathOf("data.dat")).st_ino, before.st_ino);
         EXPECT_EQ(Get(f.PathOf("data.dat.bak")), kOld);
         EXPECT_EQ(StatOf(f.PathOf("data.dat.bak")).st_mode & 07777, 0604u);
         EXPECT_EQ(f.Entries(), (std::vector<std::string>{"data.dat", "data.dat.bak"}));
       }},
  };
  for (const Situation& situation : situations) {
    SCOPED_TRACE(situation.name);
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    Put(PathOf("data.dat"), kOld);
    if (const std::string missing = situation.setUp(*this); !missing.empty()) {
      std::cout << "[  SKIPPED ] " << situation.name << ": " << missing << '\n';
      continue;
    }
    const struct stat before = StatOf(PathOf("data.dat"));
    const std::string saved = PathOf(situation.saved);
    const std::string error = ErrorOf([&] { Save(saved, kNew, situation.backup); });
    EXPECT_EQ(error, situation.fails ? "Cannot Create " + saved : "no exception");
    if (!situation.fails) {
      EXPECT_EQ(Get(saved), kNew);
    }
    situation.check(*this, before);
  }
}

// A user who cannot give the new file the old one's owner or group writes the file in place, which keeps
// both. Root can give any owner, so as root the save runs again as nobody.
TEST_F(FileSituationsTest, OwnerOrGroupNotSettableIsWrittenInPlace) {
  struct Case {
    const char* name;
    bool ownedByRoot;  // else by nobody, in root's group, which nobody is not in
    mode_t mode;
    mode_t backupMode;  // a backup in a group the user cannot give is readable by it no more than by others
  };
  const Case cases[] = {
      {"owner.dat", true, 0666, 0666},
      {"group.dat", false, 0664, 0644},
  };
  if (std::getenv(kOrdinaryUserDir) != nullptr) {
    for (const Case& c : cases) EXPECT_EQ(ErrorOf([&] { Save(PathOf(c.name), kNew); }), "no exception") << c.name;
    return;
  }
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make files of another owner for nobody to save";
  const passwd* nobody = ::getpwnam("nobody");
  const group* nogroup = ::getgrnam("nogroup");
  ASSERT_TRUE(nobody != nullptr && nogroup != nullptr);
  ::chmod(dir_.c_str(), 0777);
  std::vector<struct stat> before;
  for (const Case& c : cases) {
    const std::string path = PathOf(c.name);
    Put(path, kOld);
    ASSERT_EQ(::chown(path.c_str(), c.ownedByRoot ? 0 : nobody->pw_uid, c.ownedByRoot ? nogroup->gr_gid : 0), 0);
    ::chmod(path.c_str(), c.mode);
    before.push_back(StatOf(path));
  }
  ASSERT_EQ(RunAsNobody("FileSituationsTest.OwnerOrGroupNotSettableIsWrittenInPlace", dir_.string()), "");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    const std::string path = PathOf(cases[i].name);
    const struct stat after = StatOf(path);
    EXPECT_EQ(after.st_ino, before[i].st_ino);
    EXPECT_EQ(after.st_uid, before[i].st_uid);
    EXPECT_EQ(after.st_gid, before[i].st_gid);
    EXPECT_EQ(after.st_mode & 07777, cases[i].mode);
    EXPECT_EQ(Get(path), kNew);
    EXPECT_EQ(Get(path + ".bak"), kOld);
    EXPECT_EQ(StatOf(path + ".bak").st_uid, nobody->pw_uid);
    EXPECT_EQ(StatOf(path + ".bak").st_mode & 07777, cases[i].backupMode);
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"group.dat", "group.dat.bak", "owner.dat", "owner.dat.bak"}));
}

TEST_F(FileSituationsTest, StaleTemporariesAreRemovedOnlyWhenSafe) {
  using Fixture = FileSituationsTest;
  // A save killed half-way, as by a power cut or kill -9: its temporary file stays.
  const auto killedSave = [](Fixture& f) {
    const pid_t child = ::fork();
    if (child == 0) {
      TSafeFile file(f.PathOf("data.dat"));
      const std::string half(100000, 'x');
      file.Write(half.data(), half.size());
      ::raise(SIGKILL);
    }
    ::waitpid(child, nullptr, 0);
    for (const std::string& name : f.Entries()) {
      if (name.rfind(".data.dat.", 0) == 0) return name;
    }
    return std::string("no temporary file");
  };
  struct Case {
    const char* name;
    std::function<std::string(Fixture&)> makeCandidate;  // returns its name, or "" when it cannot be made
    bool tableSaved;                                     // another process saves data.dat meanwhile
    bool removed;
  };
  const auto plain = [](const char* name, mode_t mode = S_IFREG) {
    return [name, mode](Fixture& f) {
      if (S_ISDIR(mode)) fs::create_directory(f.PathOf(name));
      if (S_ISREG(mode)) Put(f.PathOf(name), "x");
      if (S_ISLNK(mode)) fs::create_symlink("data.dat", f.PathOf(name));
      return std::string(name);
    };
  };
  const Case cases[] = {
      {"left by a killed save", killedSave, false, true},
      {"left by a killed save, while another save runs", killedSave, true, false},
      {"of another user",
       [](Fixture& f) {
         Put(f.PathOf(".data.dat.Ab3xY9"), "x");
         const bool root = ::geteuid() == 0 && ::chown(f.PathOf(".data.dat.Ab3xY9").c_str(), 65534, 65534) == 0;
         return std::string(root ? ".data.dat.Ab3xY9" : "");
       },
       false, false},
      {"five places", plain(".data.dat.Ab3xY"), false, false},
      {"seven places", plain(".data.dat.Ab3xY9Z"), false, false},
      {"a place not a letter or digit", plain(".data.dat.Ab3-Y9"), false, false},
      {"no leading dot", plain("data.dat.Ab3xY9"), false, false},
      {"another table's", plain(".data2.dat.Ab3xY9"), false, false},
      {"a symbolic link", plain(".data.dat.Ab3xY9", S_IFLNK), false, false},
      {"a folder", plain(".data.dat.Ab3xY9", S_IFDIR), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    Put(PathOf("data.dat"), kOld);
    const std::string candidate = c.makeCandidate(*this);
    if (candidate.empty()) {
      std::cout << "[  SKIPPED ] " << c.name << ": needs root to make another user's file\n";
      continue;
    }
    ASSERT_TRUE(fs::exists(fs::symlink_status(PathOf(candidate))));
    std::optional<SavingProcess> saving;
    if (c.tableSaved) saving.emplace(PathOf("data.dat"));
    EXPECT_EQ(RemoveStaleTemporaries(PathOf("data.dat")), c.removed ? 1 : 0);
    EXPECT_EQ(fs::exists(fs::symlink_status(PathOf(candidate))), !c.removed);
    EXPECT_EQ(Get(PathOf("data.dat")), kOld);
  }
}

TEST_F(FileSituationsTest, StaleTemporariesOfARunningFirstSaveAreKept) {
  // A table saved for the first time has no file to lock yet; its temporary file is locked itself.
  const std::string path = PathOf("data.dat");
  fs::create_symlink(path, PathOf("link.dat"));
  {
    SavingProcess saving(path);
    ASSERT_EQ(Entries().size(), 2u);
    EXPECT_EQ(RemoveStaleTemporaries(path), 0);
    EXPECT_EQ(Entries().size(), 2u);
  }
  // Killed: its file goes, also when the table is named through a link.
  EXPECT_EQ(RemoveStaleTemporaries(PathOf("link.dat")), 1);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"link.dat"}));
}

// What a read leaves out, as "kind count, ...; lines n n", with "BOM" when it skipped a byte-order mark.
std::string Describe(const TTableReadReport& report) {
  static constexpr const char* kNames[] = {"count line", "width", "outside", "malformed", "cut off", "after mark"};
  static_assert(std::size(kNames) == TTableReadReport::kKinds);
  std::string text = report.byteOrderMark ? "BOM" : "";
  for (std::size_t kind = 0; kind < TTableReadReport::kKinds; ++kind) {
    if (report.leftOut[kind] == 0) continue;
    if (!text.empty()) text.append(", ");
    text.append(kNames[kind]).append(" ").append(std::to_string(report.leftOut[kind]));
  }
  if (!report.firstLines.empty()) text += ";";
  for (const std::size_t line : report.firstLines) text.append(" ").append(std::to_string(line));
  return text;
}

// A 2 by 2 table as a save writes it: the count line, default widths, then cell lines.
std::string SavedTable(const std::string& cellLines) { return "2,2\r\ncw 0,64\r\ncw 1,64\r\n" + cellLines; }

// Files as people edit them by hand: each is read, the report checked, then what a save would write.
TEST_F(FileSituationsTest, ReadCountsWhatItLeavesOut) {
  struct Situation {
    const char* name;
    std::string file;
    std::string leftOut;  // Describe of the report
    std::string saved;    // what a save of the grid read would write
  };
  const Situation situations[] = {
      {"a saved table: nothing left out", SavedTable("0,0,a\r\n1,1,b\r\n"), "", SavedTable("0,0,a\r\n1,1,b\r\n")},
      {"UTF-8 byte-order mark before the count line: skipped",
       "\xEF\xBB\xBF"
       "2,2\r\n1,1,b\r\n",
       "BOM", SavedTable("1,1,b\r\n")},
      {"count line with words after a number", "2,2 rows\r\n0,0,a\r\n", "count line 1; 1", SavedTable("0,0,a\r\n")},
      {"count line without a comma", "2\r\n0,0,a\r\n", "count line 1; 1", "1,2\r\ncw 0,64\r\n0,0,a\r\n"},
      {"count line in hex, with blanks and a sign: numbers", " +$2, 0x2\r\n", "", SavedTable("")},
      {"lines outside the counts", "2,2\r\n2,0,c\r\n0,2,r\r\n-1,0,n\r\ncw 2,9\r\ncw -1,9\r\n0,0,in\r\n",
       "width 2, outside 3; 2 3 4 5 6", SavedTable("0,0,in\r\n")},
      {"comment lines", "2,2\r\n# prices of 2024\r\n; by hand\r\n0,0,a\r\n", "malformed 2; 2 3",
       SavedTable("0,0,a\r\n")},
      {"malformed lines, width lines without a number",
       "2,2\r\nno commas\r\n1\r\n,1,x\r\n1,,y\r\nab,1,z\r\ncw\r\ncw x,5\r\ncw 0,\r\n",
       "width 3, malformed 5; 2 3 4 5 6", "2,2\r\ncw 0,0\r\ncw 1,64\r\n"},
      {"empty lines hold nothing", "2,2\r\n\r\n0,0,a\r\n\r\n\n", "", SavedTable("0,0,a\r\n")},
      {"last cell line without a line end: whole", "2,2\r\n0,0,a\r\n1,1,b", "", SavedTable("0,0,a\r\n1,1,b\r\n")},
      {"last line cut before its text", "2,2\r\n0,0,a\r\n1,1", "cut off 1; 3", SavedTable("0,0,a\r\n")},
      {"last line cut inside a double-byte character: stored, counted", "2,2\r\n0,0,\xC4\xE3\xBA", "cut off 1; 2",
       SavedTable("0,0,\xC4\xE3\xBA\r\n")},
      {"last line ending in a whole double-byte character", "2,2\r\n0,0,\xC4\xE3", "", SavedTable("0,0,\xC4\xE3\r\n")},
      {"last line cut inside a four-byte character", "2,2\r\n0,0,\x81\x30\x81", "cut off 1; 2",
       SavedTable("0,0,\x81\x30\x81\r\n")},
      {"last line ending in a lead byte before a digit and a blank: three whole characters", "2,2\r\n0,0,\x81\x30 ", "",
       SavedTable("0,0,\x81\x30 \r\n")},
      {"a lead byte before a blank or a comma: the comma still ends the field",
       "2,2\r\n0,0,\x81 \r\n1\x81,1,\x81,x\r\n", "", SavedTable("0,0,\x81 \r\n1,1,\x81,x\r\n")},
      {"a Ctrl-Z end mark at the end", "2,2\r\n0,0,a\r\n\x1a", "", SavedTable("0,0,a\r\n")},
      {"lines after a Ctrl-Z end mark",
       "2,2\r\n0,0,a\r\n\x1a\r\n1,1,b\r\n\r\n\x1a"
       "1,0,c",
       "after mark 2; 4 6", SavedTable("0,0,a\r\n")},
      {"a Ctrl-Z inside a line",
       "2,2\r\n0,0,ab\x1a"
       "cd\r\n1,1,e\x1a\r\n",
       "after mark 1; 2", SavedTable("0,0,ab\r\n1,1,e\r\n")},
  };
  const std::string path = PathOf("data.dat");
  for (const Situation& situation : situations) {
    SCOPED_TRACE(situation.name);
    Put(path, situation.file);
    TTableGrid grid = DesignGrid();
    const TTableReadReport report = ReadTableFile(grid, path);
    EXPECT_EQ(Describe(report), situation.leftOut);
    std::size_t total = 0;
    for (const std::size_t count : report.leftOut) total += count;
    EXPECT_EQ(report.total, total);
    EXPECT_EQ(report.encoding, TTableReadReport::TEncoding::kCodePage);
    EXPECT_EQ(TableFileBytes(grid), situation.saved);
  }
}

TEST_F(FileSituationsTest, ReadWaitsForASaveInProgress) {
  struct Case {
    const char* name;
    bool letGo;         // whether the save goes on when the read first waits
    std::string saves;  // what it then commits, or nothing
    std::chrono::milliseconds limit;
    bool keepWaiting;        // what the wait callback answers
    std::string expected;    // what the read sees (a table read: its cell (0, 0)), or its error
    bool tableRead = false;  // through the table reader, whose yield is the wait
  };
  const std::string path = PathOf("data.dat");
  const Case cases[] = {
      {"the save lets go within the limit", true, "", 10s, true, kOld},
      {"the save replaces the file within the limit", true, kNew, 10s, true, kNew},
      {"the save outlasts the limit", false, kNew, 300ms, true, "Cannot open file " + path},
      {"the window stops waiting", false, kNew, 10s, false, "Cannot open file " + path},
      {"a table read: the save lets go within the limit", true, "", 10s, true, "old", true},
      {"a table read: the save replaces the file within the limit", true, kNew, 10s, true, "new", true},
      {"a table read: the save outlasts the limit", false, kNew, 300ms, true, "Cannot open file " + path, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Put(path, kOld);
    SavingProcess saving(path, c.saves);
    int waits = 0;
    std::string read;
    const auto start = std::chrono::steady_clock::now();
    const auto wait = [&] {
      if (++waits == 1 && c.letGo) saving.Go();
      return c.keepWaiting;
    };
    const std::string error = ErrorOf([&] {
      if (c.tableRead) {
        TTableGrid grid = DesignGrid();
        ReadTableFile(grid, path, wait, {.lockWait = c.limit});
        read = grid.ReadCell(0, 0);
        return;
      }
      TReadLockedFile file(path, wait, c.limit);
      read.resize(file.Size());
      read.resize(file.Read(read.data(), read.size()));
    });
    const auto waited = std::chrono::steady_clock::now() - start;
    const std::string seen = error == "no exception" ? read : error;
    EXPECT_EQ(seen, c.expected);
    EXPECT_GE(waits, 1);
    if (!c.keepWaiting) {
      EXPECT_EQ(waits, 1);
    }
    if (c.expected.rfind("Cannot", 0) == 0 && c.keepWaiting) {
      EXPECT_GE(waited, c.limit);
    }
  }
  // Without a wait, a held file fails at once, as before.
  SavingProcess saving(path);
  EXPECT_EQ(ErrorOf([&] { TReadLockedFile file(path); }), "Cannot open file " + path);
}

}  // namespace
}  // namespace metrazil
