// Makes each call the recovery journal makes into the system fail in turn, with each error, and checks
// what the failure leaves: reported once, every entry made durable before it still there, nothing
// half-written offered, the table file untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "grid/file/JournalBase.h"
#include "grid/file/OrphanJournal.h"
#include "grid/file/TableJournal.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/FolderTest.h"
#include "tests/support/SavedBase.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;
using TEntries = std::vector<std::string>;

// What one run observed: the entries of each save made durable (acknowledged) before the run ended, and
// the failures reported.
struct TOutcome {
  std::vector<std::size_t> acknowledged;  // by save number
  std::vector<std::string> reported;
  std::string message = "no exception";  // what the run raised
  bool removed = false;                  // Discard or Remove said the journal is gone
};

class JournalFaultsTest : public TFolderTest {
 public:
  void SetUp() override {
    // Hundreds of runs, each flushed to disk: a memory file system where there is one.
    ASSERT_TRUE(MakeFolder(fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()));
    table_ = PathOf("data.dat");
  }

  std::string table_;
};

// The entries of one save, as a run appends them.
std::string Entry(std::size_t save, std::size_t i) { return std::to_string(save) + ":" + std::to_string(i); }

// A journal at work: entries, a save, entries; each step made durable before the next. Saves are numbered by
// their base's hash; the table as read is save 0.
void AppendAndSave(JournalFaultsTest& f, TOutcome& outcome, bool discard) {
  outcome.acknowledged = {0, 0};
  TTableJournal journal(f.table_, TJournalBase::OfPath(f.table_),
                        [&outcome](const EInOutError& e) { outcome.reported.push_back(e.Message()); });
  const auto append = [&](std::size_t save, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) journal.Append(Entry(save, outcome.acknowledged[save] + i));
    if (journal.SyncNow()) outcome.acknowledged[save] += count;
  };
  append(0, 3);
  append(0, 3);
  journal.Rebase(SavedBase(1));
  append(1, 4);
  if (discard) outcome.removed = journal.Discard();
}

// An orphan of three entries, the last one torn, as the setting of the orphan rows.
void LeaveOrphan(JournalFaultsTest& f) {
  std::string path;
  {
    TTableJournal journal(f.table_, TJournalBase::OfPath(f.table_));
    for (std::size_t i = 0; i < 3; ++i) journal.Append(Entry(0, i));
    journal.SyncNow();
    path = journal.Path();
  }
  const std::string bytes = JournalFaultsTest::Get(path);
  JournalFaultsTest::Put(path, bytes.substr(0, bytes.size() - 2));
}

struct TFaultCase {
  const char* name;
  std::function<void(JournalFaultsTest&)> setUp;  // runs before arming
  std::function<void(JournalFaultsTest&, TOutcome&)> run;
};

const TFaultCase kCases[] = {
    {"entries, a save, entries", {}, [](JournalFaultsTest& f, TOutcome& o) { AppendAndSave(f, o, false); }},
    {"entries, then closed without saving", {}, [](JournalFaultsTest& f, TOutcome& o) { AppendAndSave(f, o, true); }},
    {"an orphan adopted, then an entry", LeaveOrphan,
     [](JournalFaultsTest& f, TOutcome& o) {
       o.acknowledged = {2};  // the orphan's whole entries
       std::vector<TOrphanJournal> found = FindJournals(f.table_);
       if (found.empty()) return;
       TTableJournal journal(f.table_, std::move(found[0]),
                             [&o](const EInOutError& e) { o.reported.push_back(e.Message()); });
       journal.Append(Entry(0, 2));
       if (journal.SyncNow()) ++o.acknowledged[0];
     }},
    {"an orphan set aside", LeaveOrphan,
     [](JournalFaultsTest& f, TOutcome& o) {
       o.acknowledged = {2};
       std::vector<TOrphanJournal> found = FindJournals(f.table_);
       if (!found.empty()) found[0].SetAside();
     }},
    {"an orphan removed", LeaveOrphan,
     [](JournalFaultsTest& f, TOutcome& o) {
       o.acknowledged = {2};
       std::vector<TOrphanJournal> found = FindJournals(f.table_);
       if (found.empty()) return;
       found[0].Remove();
       o.removed = true;
     }},
};

// Every journal and set-aside file in the folder holds whole entries of one save, in order, from the first;
// the entries acknowledged are all there unless the journal was discarded or removed on purpose.
void Check(JournalFaultsTest& f, const TFaultCase& c, const std::string& tableBefore, const TOutcome& outcome,
           int error) {
  EXPECT_EQ(JournalFaultsTest::Get(f.table_), tableBefore) << "the table file changed";
  EXPECT_LE(outcome.reported.size(), 1u) << "a failure reported more than once";
  for (const std::string& message : outcome.reported) EXPECT_EQ(message, EInOutError::FromErrno(error).Message());
  if (outcome.message != "no exception") {
    EXPECT_EQ(outcome.message, EInOutError::FromErrno(error).Message());
  }

  if (outcome.removed) {
    EXPECT_EQ(f.Entries(), std::vector<std::string>{"data.dat"}) << "a journal left after it was removed";
    return;
  }
  // A set-aside file reads as a journal too: under a journal's name it is scanned with the others.
  int setAside = 0;
  for (const std::string& name : f.Entries()) {
    if (name == "data.dat" || name.find(".journal-") != std::string::npos) continue;
    EXPECT_NE(name.find("data.dat.unsaved-changes-"), std::string::npos) << name << " left";
    fs::rename(f.PathOf(name), f.PathOf(".data.dat.journal-1-Aside" + std::to_string(setAside++)));
  }
  EXPECT_LE(setAside, 1);
  TJournalBase read = TJournalBase::OfPath(f.table_);
  read.TakeHash(f.table_);
  std::vector<std::size_t> kept(outcome.acknowledged.size(), 0);
  for (const TOrphanJournal& found : FindJournals(f.table_)) {
    EXPECT_NE(found.State(), TOrphanJournal::TState::kDamaged) << found.Path();
    const std::size_t save = Matches(found.Base(), read) ? 0 : found.Base().hash;
    ASSERT_LT(save, kept.size()) << found.Path();
    for (std::size_t i = 0; i < found.Entries().size(); ++i) {
      EXPECT_EQ(found.Entries()[i], Entry(save, i)) << found.Path();
    }
    kept[save] = std::max(kept[save], found.Entries().size());
  }
  // A save's entries are in the table; only the last save's need the journal.
  EXPECT_GE(kept.back(), outcome.acknowledged.back()) << "an acknowledged entry was lost";
  if (outcome.reported.empty() && outcome.message == "no exception" && c.setUp == nullptr) {
    EXPECT_EQ(kept.back(), 4u) << "a failure went unreported";
  }
}

TEST_F(JournalFaultsTest, EveryFailingCallIsReportedOnceAndLosesNothingAcknowledged) {
  std::set<std::string> failedCalls;
  int total = 0;
  for (const TFaultCase& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string tableBefore;
    TOutcome outcome;
    const std::optional<int> injections = RunWithEachCallFailing(
        [&] {
          fs::remove_all(dir_);
          fs::create_directory(dir_);
          Put(table_, "5,1\r\ncw 0,64\r\n0,0,name\r\n");
          if (c.setUp) c.setUp(*this);
          tableBefore = Get(table_);
          outcome = {};
          return std::string();
        },
        [&] { outcome.message = ErrorOf([&] { c.run(*this, outcome); }); },
        [&](int error) { Check(*this, c, tableBefore, outcome, error); }, failedCalls);
    std::cout << c.name << ": " << injections.value_or(0) << " injections\n";
    total += injections.value_or(0);
  }
  std::cout << "in all: " << total << " injections\n";
  RecordProperty("injections", total);
  for (const char* call : {"stat", "open", "fstat", "pread", "close", "mkostemp", "flock", "pwrite", "fdatasync",
                           "fsync", "unlink", "ftruncate", "renameat2", "lstat", "realpath"}) {
    EXPECT_TRUE(failedCalls.contains(call)) << call;
  }
}

}  // namespace
}  // namespace metrazil
