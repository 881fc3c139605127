// The recovery journal on a real file system: what comes back after a kill, a cut-off or damaged file, the
// journals of other instances, and the cadence at which entries reach the disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "grid/file/JournalBase.h"
#include "grid/file/JournalHeader.h"
#include "grid/file/JournalPlace.h"
#include "grid/file/OrphanJournal.h"
#include "grid/file/SavePlace.h"
#include "grid/file/SystemCalls.h"
#include "grid/file/TableJournal.h"
#include "tests/support/FolderTest.h"
#include "tests/support/SavedBase.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using TState = TOrphanJournal::TState;
using TEntries = std::vector<std::string>;

TEntries Numbered(const std::string& prefix, int count) {
  TEntries entries;
  for (int i = 0; i < count; ++i) entries.push_back(prefix + std::to_string(i) + std::string(i % 50, 'x'));
  return entries;
}

// Waits for a child process to say it is ready, then kills it with SIGKILL after a pause.
class TChild {
 public:
  // body runs in the child, which then waits to be killed; ready is written after it.
  explicit TChild(const std::function<void()>& body) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      body();
      if (::write(ready[1], "r", 1) != 1) ::_exit(1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    EXPECT_EQ(::read(ready[0], &byte, 1), 1) << "the child did not get ready";
    ::close(ready[0]);
  }
  ~TChild() { Kill(0ms); }
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  void Kill(std::chrono::milliseconds after) {
    if (pid_ <= 0) return;
    std::this_thread::sleep_for(after);
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

class JournalTest : public TFolderTest {
 protected:
  void SetUp() override {
    TFolderTest::SetUp();
    table_ = PathOf("data.dat");
  }

  std::vector<std::string> Journals() const {
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (entry.path().filename().string().find(".journal-") != std::string::npos) paths.push_back(entry.path());
    }
    return paths;
  }
  // The journal a crashed instance leaves: its entries written, its lock gone.
  std::string Orphan(const TEntries& entries, const TJournalBase& base = TJournalBase::NoFile()) const {
    std::string path;
    {
      TTableJournal journal(table_, base);
      for (const std::string& entry : entries) journal.Append(entry);
      EXPECT_TRUE(journal.SyncNow());
      path = journal.Path();
    }
    return path;
  }

  std::string table_;
};

TEST_F(JournalTest, EntriesComeBackWithTheirBase) {
  const std::string big(300000, '\xff');
  const TEntries entries = {"", "a", std::string("\0\r\n\x89", 4), big, "last"};
  struct Case {
    const char* name;
    bool tableThere;
  };
  for (const Case c : {Case{"a table file", true}, Case{"no table file yet", false}}) {
    SCOPED_TRACE(c.name);
    fs::remove(table_);
    if (c.tableThere) Put(table_, "5,1\r\ncw 0,64\r\n0,0,name\r\n");
    TJournalBase read = TJournalBase::OfPath(table_);
    Orphan(entries, read);
    std::vector<TOrphanJournal> found = FindJournals(table_);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].State(), TState::kWhole);
    EXPECT_EQ(found[0].Entries(), entries);
    EXPECT_EQ(found[0].Base().hasFile, c.tableThere);
    read.TakeHash(table_);
    EXPECT_TRUE(Matches(found[0].Base(), read));
    found[0].Remove();
    EXPECT_TRUE(Journals().empty());
  }
}

TEST_F(JournalTest, AFileOnlyWhileSomethingIsUnsaved) {
  TTableJournal journal(table_, TJournalBase::NoFile());
  EXPECT_TRUE(journal.SyncNow());
  journal.Rebase(SavedBase(1));
  EXPECT_TRUE(journal.SyncNow());
  EXPECT_TRUE(Journals().empty()) << "a journal file before the first entry";

  journal.Append("one");
  ASSERT_TRUE(journal.SyncNow());
  ASSERT_EQ(Journals(), std::vector<std::string>{journal.Path()});
  struct stat info {};
  ASSERT_EQ(::stat(journal.Path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_TRUE(FindJournals(table_).empty()) << "this instance's own journal was offered";

  // A save empties it: the entries so far are in the table, the next ones start a journal on the new base.
  journal.Rebase(SavedBase(2));
  ASSERT_TRUE(journal.SyncNow());
  EXPECT_TRUE(Journals().empty());
  journal.Append("two");
  ASSERT_TRUE(journal.SyncNow());
  EXPECT_EQ(Journals().size(), 1u);

  EXPECT_TRUE(journal.Discard());
  EXPECT_TRUE(Journals().empty());
  journal.Append("after the discard");
  EXPECT_FALSE(journal.SyncNow(50ms));
  EXPECT_TRUE(Journals().empty());
  EXPECT_FALSE(journal.Failure());
}

TEST_F(JournalTest, ACutShortJournalKeepsEveryWholeEntry) {
  const TEntries entries = {"first", "second", "the third entry"};
  const std::string path = Orphan(entries);
  const std::string whole = Get(path);
  const std::size_t lastStart = whole.size() - TJournalHeader::kFrameSize - entries[2].size();
  const TEntries firstTwo(entries.begin(), entries.begin() + 2);
  for (std::size_t cut = lastStart; cut < whole.size(); ++cut) {
    for (const bool zeroFilled : {false, true}) {
      // A power cut may leave the file's new size with zeros where the last write's bytes should be.
      SCOPED_TRACE("cut at " + std::to_string(cut) + (zeroFilled ? ", the rest zeros" : ""));
      Put(path, whole.substr(0, cut) + (zeroFilled ? std::string(whole.size() - cut, '\0') : std::string()));
      std::vector<TOrphanJournal> found = FindJournals(table_);
      ASSERT_EQ(found.size(), 1u);
      EXPECT_EQ(found[0].State(), cut == lastStart && !zeroFilled ? TState::kWhole : TState::kCutShort);
      EXPECT_EQ(found[0].Entries(), firstTwo);
    }
  }
  // Cut inside the header, or before any entry: nothing to offer, and the file goes.
  for (const std::size_t cut : {std::size_t{0}, std::size_t{5}, TJournalHeader::kSize - 1, TJournalHeader::kSize}) {
    Put(path, whole.substr(0, cut));
    EXPECT_TRUE(FindJournals(table_).empty()) << cut;
    EXPECT_FALSE(fs::exists(path)) << cut;
  }
}

TEST_F(JournalTest, AnAdoptedJournalGoesOnAfterItsLastWholeEntry) {
  const std::string path = Orphan({"first", "second"});
  const std::string whole = Get(path);
  Put(path, whole.substr(0, whole.size() - 3));
  {
    std::vector<TOrphanJournal> found = FindJournals(table_);
    ASSERT_EQ(found.size(), 1u);
    ASSERT_EQ(found[0].State(), TState::kCutShort);
    TTableJournal journal(table_, std::move(found[0]));
    EXPECT_TRUE(FindJournals(table_).empty()) << "an adopted journal was offered again";
    journal.Append("third");
    EXPECT_TRUE(journal.SyncNow());
    EXPECT_EQ(journal.Path(), path);
  }
  std::vector<TOrphanJournal> found = FindJournals(table_);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].State(), TState::kWhole);
  EXPECT_EQ(found[0].Entries(), (TEntries{"first", "third"}));
}

TEST_F(JournalTest, ADamagedJournalIsNeverHalfReplayed) {
  const TEntries entries = {"first", "second", "third"};
  const std::size_t firstEntry = TJournalHeader::kSize + TJournalHeader::kFrameSize;
  const std::size_t secondFrame = firstEntry + entries[0].size();
  // Rewrites the header's check after a change to the header.
  const auto rechecked = [](std::string bytes) {
    const std::uint64_t check = XXH3_64bits(bytes.data(), TJournalHeader::kSize - 8);
    for (int i = 0; i < 8; ++i) bytes[TJournalHeader::kSize - 8 + i] = static_cast<char>(check >> (8 * i));
    return bytes;
  };
  struct Case {
    const char* name;
    std::function<std::string(std::string)> damage;
  };
  // One byte set to another value.
  const auto set = [](std::size_t at, char value) {
    return [at, value](std::string b) {
      b[at == std::string::npos ? b.size() - 1 : at] = value;
      return b;
    };
  };
  const Case cases[] = {
      {"another magic", set(1, 'X')},
      {"a later version", [&](std::string b) { return rechecked(set(8, '\x02')(std::move(b))); }},
      {"a header failing its check", set(30, '\x7f')},
      {"the first entry failing its check", set(firstEntry, 'F')},
      {"a length running into the next entry", set(secondFrame, '\x09')},
      {"zeros where entries should be, then data",
       [](const std::string& b) { return b.substr(0, TJournalHeader::kSize) + std::string(20, '\0') + "x"; }},
      {"a last entry failing its check, then more bytes",
       [&](std::string b) { return set(std::string::npos, 'X')(std::move(b)) + "!"; }},
  };
  const std::string path = Orphan(entries);
  const std::string whole = Get(path);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string damaged = c.damage(whole);
    Put(path, damaged);
    std::vector<TOrphanJournal> found = FindJournals(table_);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].State(), TState::kDamaged);
    EXPECT_TRUE(found[0].Entries().empty());
    // Kept aside as it is, for whoever can make sense of it.
    const std::string kept = found[0].SetAside();
    EXPECT_EQ(Get(kept), damaged);
    EXPECT_FALSE(fs::exists(path));
    fs::rename(kept, path);
  }
}

TEST_F(JournalTest, TheJournalsOfTwoCrashedInstancesComeOldestFirst) {
  Orphan({"older"});
  Orphan({"newer"});
  TTableJournal running(table_, TJournalBase::NoFile());
  running.Append("running");
  ASSERT_TRUE(running.SyncNow());
  std::vector<TOrphanJournal> found = FindJournals(table_);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].Entries(), TEntries{"older"});
  EXPECT_EQ(found[1].Entries(), TEntries{"newer"});
  // While they are offered here, a second instance starting now finds none.
  EXPECT_TRUE(FindJournals(table_).empty());
}

TEST_F(JournalTest, AJournalHeldByAnotherProcessIsNeverOfferedNorTouched) {
  const TEntries entries = Numbered("held ", 20);
  TChild child([&] {
    auto* journal = new TTableJournal(table_, TJournalBase::NoFile());  // lives until the kill
    for (const std::string& entry : entries) journal->Append(entry);
    if (!journal->SyncNow()) ::_exit(1);
  });
  ASSERT_EQ(Journals().size(), 1u);
  const std::string path = Journals()[0];
  const std::string before = Get(path);
  EXPECT_TRUE(FindJournals(table_).empty());
  EXPECT_EQ(RemoveStaleTemporaries(table_), 0);
  EXPECT_EQ(Get(path), before);

  // The lock goes with the process.
  child.Kill(0ms);
  std::vector<TOrphanJournal> found = FindJournals(table_);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].Entries(), entries);
}

TEST_F(JournalTest, NothingAppendedAQuarterSecondBeforeAKillIsLost) {
  struct Case {
    const char* name;
    int count;
    std::size_t size;
  };
  for (const Case c : {Case{"one entry", 1, 40}, Case{"a burst", 20000, 40}, Case{"a big entry", 1, 1u << 20}}) {
    SCOPED_TRACE(c.name);
    TEntries entries = Numbered("entry ", c.count);
    for (std::string& entry : entries) entry.resize(std::max(entry.size(), c.size), 'y');
    {
      TChild child([&] {
        auto* journal = new TTableJournal(table_, TJournalBase::NoFile());
        for (const std::string& entry : entries) journal->Append(entry);
      });
      child.Kill(250ms);
    }
    std::vector<TOrphanJournal> found = FindJournals(table_);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].State(), TState::kWhole);
    EXPECT_TRUE(found[0].Entries() == entries) << found[0].Entries().size() << " of " << entries.size();
    found[0].Remove();
  }
}

TEST_F(JournalTest, AKillAroundASaveNeverLeavesOldEntriesOnTheNewBase) {
  // Entries carry the number of the save they follow; the bases are told apart by that number.
  for (int run = 0; run < 12; ++run) {
    SCOPED_TRACE("killed after " + std::to_string(run * 7) + " ms");
    const pid_t pid = ::fork();
    if (pid == 0) {
      TTableJournal journal(table_, SavedBase(0));
      for (std::uint64_t save = 0;; ++save) {
        for (int i = 0; i < 50; ++i) journal.Append(std::to_string(save) + ":" + std::to_string(i));
        journal.Rebase(SavedBase(save + 1));
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(run * 7));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    for (TOrphanJournal& found : FindJournals(table_)) {
      EXPECT_NE(found.State(), TState::kDamaged);
      const std::string save = std::to_string(found.Base().hash) + ":";
      for (std::size_t i = 0; i < found.Entries().size(); ++i) {
        EXPECT_EQ(found.Entries()[i], save + std::to_string(i)) << "on base " << found.Base().hash;
      }
      found.Remove();
    }
  }
}

// Counts the fdatasync calls the journal makes, letting every call through.
std::atomic<int> syncs{0};
int CountSyncs(const char* call) {
  if (std::strcmp(call, "fdatasync") == 0) ++syncs;
  return 0;
}

TEST_F(JournalTest, EntriesAreMadeDurableSoonAndTogether) {
  syncs = 0;
  sys::SetFault(CountSyncs);
  {
    TTableJournal journal(table_, TJournalBase::NoFile());
    const auto durable = [&journal](std::uint64_t count) {
      // Behaviour, not speed: a generous wait for what the cadence does in a quarter of a second.
      for (auto until = std::chrono::steady_clock::now() + 3s; std::chrono::steady_clock::now() < until;) {
        if (journal.Durable() == count) return true;
        std::this_thread::sleep_for(5ms);
      }
      return false;
    };
    journal.Append("alone");
    EXPECT_TRUE(durable(1)) << "an entry was not made durable without being asked";
    EXPECT_EQ(syncs, 1);

    // Two thousand entries over half a second or more: one fdatasync per spacing at most, not one each.
    syncs = 0;
    const int burst = 2000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < burst; ++i) {
      journal.Append("entry " + std::to_string(i));
      std::this_thread::sleep_for(250us);
    }
    EXPECT_TRUE(durable(burst + 1));
    const auto spacings = (std::chrono::steady_clock::now() - start) / TTableJournal::kSyncSpacing;
    EXPECT_GE(syncs, 1);
    EXPECT_LE(syncs, spacings + 2);
    EXPECT_LT(syncs, burst / 50);

    syncs = 0;
    journal.Append("asked for");
    EXPECT_TRUE(journal.SyncNow());
    EXPECT_EQ(journal.Durable(), journal.Appended());
    EXPECT_EQ(syncs, 1);
  }
  sys::SetFault(nullptr);
}

TEST_F(JournalTest, TheCleanUpOfKilledSavesLeavesJournalsAlone) {
  Orphan({"orphan"});
  TTableJournal running(table_, TJournalBase::NoFile());
  running.Append("running");
  ASSERT_TRUE(running.SyncNow());
  Put(PathOf(".data.dat.Ab3xY9"), "a killed save's");
  Put(table_, "5,1\r\n");
  EXPECT_EQ(RemoveStaleTemporaries(table_), 1);
  EXPECT_EQ(Journals().size(), 2u);

  struct Case {
    const char* name;
    bool journal;
  };
  const Case names[] = {
      {".data.dat.journal-12-Ab3xY9", true},
      {".data.dat.journal--Ab3xY9", false},
      {".data.dat.journal-12-Ab3xY", false},
      {".data.dat.journal-12-Ab3x-9", false},
      {".data.dat.journal-1a-Ab3xY9", false},
      {".data.dat.journal-12-Ab3xY9.tmp", false},
      {".data2.dat.journal-12-Ab3xY9", false},
      {"data.dat.journal-12-Ab3xY9", false},
      {".data.dat.Ab3xY9", false},
      {"data.dat.unsaved-changes-20240102-030405", false},
  };
  for (const Case& c : names) EXPECT_EQ(IsJournalOf(c.name, "data.dat"), c.journal) << c.name;
}

TEST_F(JournalTest, ASetAsideJournalGetsAVisibleNameAndReplacesNothing) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  const TEntries entries = {"kept"};
  const std::string bytes = Get(Orphan(entries));
  const timespec times[2] = {{1704164645, 0}, {1704164645, 0}};  // 2024-01-02 03:04:05 UTC
  ASSERT_EQ(::utimensat(AT_FDCWD, Journals()[0].c_str(), times, 0), 0);
  Put(PathOf("data.dat.unsaved-changes-20240102-030405"), "someone's");

  std::vector<TOrphanJournal> found = FindJournals(table_);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].SetAside(), PathOf("data.dat.unsaved-changes-20240102-030405-2"));
  EXPECT_EQ(Get(PathOf("data.dat.unsaved-changes-20240102-030405-2")), bytes);
  EXPECT_EQ(Get(PathOf("data.dat.unsaved-changes-20240102-030405")), "someone's");
  EXPECT_TRUE(Journals().empty());
  EXPECT_TRUE(FindJournals(table_).empty());
}

TEST_F(JournalTest, AJournalAppliesOnlyToTheBytesItWasKeptOn) {
  const std::string bytes = "5,1\r\ncw 0,64\r\n0,0,name\r\n";
  const std::string other = "5,1\r\ncw 0,64\r\n0,0,NAME\r\n";
  const auto keepMtime = [](const std::string& path, const std::string& content) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    Put(path, content);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  };
  struct Case {
    const char* name;
    bool tableAtRead;
    std::function<void(const std::string& table)> beforeTheJournal;  // after the read, before the hash
    std::function<void(const std::string& table)> afterTheCrash;
    bool matches;
  };
  const Case cases[] = {
      {"the same file", true, {}, {}, true},
      {"no file then, none now", false, {}, {}, true},
      {"no file then, one now", false, {}, [&](const std::string& t) { Put(t, bytes); }, false},
      {"a file then, none now", true, {}, [](const std::string& t) { fs::remove(t); }, false},
      {"other bytes, size and time kept", true, {}, [&](const std::string& t) { keepMtime(t, other); }, false},
      {"the same bytes in another file",
       true,
       {},
       [&](const std::string& t) {
         fs::remove(t);
         Put(t, bytes);
       },
       true},
      {"changed before it could be hashed", true,
       [&](const std::string& t) {
         std::this_thread::sleep_for(10ms);
         Put(t, other);
       },
       [&](const std::string& t) { Put(t, bytes); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(table_);
    if (c.tableAtRead) Put(table_, bytes);
    const TJournalBase read = TJournalBase::OfPath(table_);
    if (c.beforeTheJournal) c.beforeTheJournal(table_);
    Orphan({"entry"}, read);
    if (c.afterTheCrash) c.afterTheCrash(table_);
    std::vector<TOrphanJournal> found = FindJournals(table_);
    ASSERT_EQ(found.size(), 1u);
    TJournalBase now = TJournalBase::OfPath(table_);
    now.TakeHash(table_);
    EXPECT_EQ(Matches(found[0].Base(), now), c.matches);
    found[0].Remove();
  }
}

}  // namespace
}  // namespace metrazil
