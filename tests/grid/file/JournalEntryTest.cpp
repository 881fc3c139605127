// A table's changes as its journal keeps them: every kind of step, encoded and decoded, and made again on the
// table as it was read, give the table and the undo list the changes left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/file/JournalEntry.h"
#include "grid/file/TableFileReader.h"
#include "grid/file/TableFileWriter.h"
#include "grid/model/GridEdits.h"
#include "grid/model/GridUndoStack.h"
#include "grid/text/BlockText.h"
#include "tests/support/DesignGrid.h"

namespace metrazil {
namespace {

// A table with texts in its body and header, a wide column and rows past the end.
TTableGrid StartingTable() {
  TTableGrid grid = DesignGrid();
  grid.WriteCell(0, 0, "名称");
  for (int row = 1; row < 10; ++row) grid.WriteCell(0, row, "r" + std::to_string(row));
  grid.WriteCell(4, 3, "far");
  grid.WriteCell(1, 12, "kept past the end");
  grid.SetColWidth(2, 90);
  return grid;
}

std::string Saved(const TTableGrid& grid) { return TableFileBytes(grid); }

// Every step recorded, undone or redone on the list goes into the journal, encoded.
void JournalInto(TGridUndoStack& steps, std::vector<std::string>& journal) {
  steps.OnStep = [&journal](TGridStepEvent event, const TGridUndoStep& step) {
    journal.push_back(EncodeJournalEntry(event, step));
  };
}

// Each of a user's changes, with undos and redos among them, as the view records them.
void ChangeLikeAUser(TTableGrid& grid, TGridUndoStack& steps) {
  steps.Push(WriteTexts(grid, {{1, 2, {}, "edited"}}, 0, 0));
  steps.Push(WriteTexts(grid, {{0, 0, {}, "header"}}, 0, 0));
  steps.Push(PasteBlock(grid, ParseBlockText("a\tb\nc\td\n一\t二\n"), {2, 8}, {2, 8}, true));
  steps.Push(ClearBlock(grid, {0, 3}, {4, 4}));
  steps.Push(InsertRowAt(grid, 5));
  steps.Push(RemoveRowAt(grid, 2));
  steps.Push(AppendRow(grid));
  steps.Push(AppendColumn(grid));
  steps.Push(ChangeColWidth(grid, 1, 140));
  steps.Undo(grid);
  steps.Undo(grid);
  steps.Redo(grid);
  steps.Push(WriteTexts(grid, {{3, 1, {}, "after the redo"}}, 0, 0));
  steps.Undo(grid);
}

TEST(JournalEntryTest, EveryStepReplayedGivesTheSameTableAndUndoList) {
  TTableGrid live = StartingTable();
  TGridUndoStack liveSteps;
  std::vector<std::string> journal;
  JournalInto(liveSteps, journal);
  ChangeLikeAUser(live, liveSteps);

  TTableGrid replayed = StartingTable();
  TGridUndoStack replayedSteps;
  replayedSteps.OnStep = [](TGridStepEvent, const TGridUndoStep&) { ADD_FAILURE() << "a replay records nothing"; };
  for (const std::string& bytes : journal) {
    const std::optional<TJournalEntry> entry = DecodeJournalEntry(bytes);
    ASSERT_TRUE(entry.has_value());
    replayedSteps.Replay(replayed, entry->event, entry->step);
  }
  EXPECT_EQ(Saved(replayed), Saved(live));
  EXPECT_EQ(replayed.ReadCell(1, 13), live.ReadCell(1, 13)) << "texts past the end as well";
  EXPECT_EQ(replayedSteps.UndoCount(), liveSteps.UndoCount());
  EXPECT_EQ(replayedSteps.RedoCount(), liveSteps.RedoCount());

  // Both lists step back the same way to the table as read.
  replayedSteps.OnStep = nullptr;
  while (liveSteps.CanUndo()) {
    liveSteps.Undo(live);
    replayedSteps.Undo(replayed);
    EXPECT_EQ(Saved(replayed), Saved(live));
  }
  EXPECT_EQ(Saved(replayed), Saved(StartingTable()));
  replayedSteps.Redo(replayed);
  liveSteps.Redo(live);
  EXPECT_EQ(Saved(replayed), Saved(live));
}

// After a save the journal starts again, while the undo list keeps the steps before it: undoing one of those
// is journaled whole, and its replay onto the saved table needs no list to find it in.
TEST(JournalEntryTest, UndoOfAStepBeforeTheBaseIsReplayedFromTheEntry) {
  TTableGrid live = StartingTable();
  TGridUndoStack liveSteps;
  liveSteps.Push(WriteTexts(live, {{1, 1, {}, "saved"}}, 0, 0));
  const std::string base = Saved(live);
  std::vector<std::string> journal;
  JournalInto(liveSteps, journal);
  liveSteps.Push(WriteTexts(live, {{2, 2, {}, "after the save"}}, 0, 0));
  liveSteps.Undo(live);
  liveSteps.Undo(live);
  liveSteps.Redo(live);

  TTableGrid replayed;
  ReadTableBytes(replayed, base);
  TGridUndoStack replayedSteps;
  for (const std::string& bytes : journal) {
    const std::optional<TJournalEntry> entry = DecodeJournalEntry(bytes);
    ASSERT_TRUE(entry.has_value());
    replayedSteps.Replay(replayed, entry->event, entry->step);
  }
  EXPECT_EQ(Saved(replayed), Saved(live));
  EXPECT_EQ(replayed.ReadCell(1, 1), "saved");
  EXPECT_EQ(replayed.ReadCell(2, 2), "");
  EXPECT_EQ(replayedSteps.RedoCount(), 1u) << "the step after the save can be made again";
}

// A step too large for the undo list is journaled all the same.
TEST(JournalEntryTest, StepsTheUndoListDropsAreJournaled) {
  TTableGrid grid = DesignGrid();
  TGridUndoStack steps;
  std::size_t told = 0;
  steps.OnStep = [&](TGridStepEvent, const TGridUndoStep&) { ++told; };
  steps.Push(WriteTexts(grid, {{1, 1, {}, std::string(TGridUndoStack::kMaxTextBytes + 1, 'x')}}, 0, 0));
  EXPECT_EQ(steps.UndoCount(), 0u);
  EXPECT_EQ(told, 1u);
  steps.Push(WriteTexts(grid, {{1, 1, {}, std::string(TGridUndoStack::kMaxTextBytes + 1, 'x')}}, 0, 0));
  EXPECT_EQ(told, 1u) << "a step that changes nothing is neither kept nor journaled";
}

TEST(JournalEntryTest, MalformedEntriesAreRefused) {
  TTableGrid grid = StartingTable();
  TGridUndoStack steps;
  std::vector<std::string> journal;
  JournalInto(steps, journal);
  steps.Push(PasteBlock(grid, ParseBlockText("a\tb\n"), {1, 1}, {1, 1}, false));
  steps.Push(RemoveRowAt(grid, 3));
  steps.Push(ChangeColWidth(grid, 0, 30));
  steps.Push(InsertRowAt(grid, 2));
  for (const std::string& whole : journal) {
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
      EXPECT_FALSE(DecodeJournalEntry(whole.substr(0, cut)).has_value()) << cut << " of " << whole.size();
    }
    EXPECT_FALSE(DecodeJournalEntry(whole + '\0').has_value()) << "a byte left over";
  }
  const std::string paste = journal[0];
  struct Case {
    const char* name;
    std::size_t at;
    char byte;
  };
  // The paste's bytes: event, id, focus (2), block end (2), kind, four counts, the number of changes, then
  // each change's column and row.
  const Case cases[] = {
      {"unknown event", 0, 7},
      {"unknown kind", 6, 9},
      {"negative column", 12, 1},
      {"length past the end", 14, 100},
  };
  for (const Case& c : cases) {
    std::string bad = paste;
    bad[c.at] = c.byte;
    EXPECT_FALSE(DecodeJournalEntry(bad).has_value()) << c.name;
  }
  EXPECT_FALSE(DecodeJournalEntry(std::string(11, '\xFF')).has_value()) << "a number past 64 bits";
}

}  // namespace
}  // namespace metrazil
