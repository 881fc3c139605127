#pragma once

#include <string>

namespace metrazil {

// Where the journals of a table lie: beside the file a save writes (see SavePlace.h), one per running
// instance, each named ".<name>.journal-<pid>-XXXXXX". The name never has the form of a save's temporary
// file, so a clean-up of those leaves journals alone, nor of another table's journal.

// Whether a directory entry is a journal of the table file named tableName (no folder).
bool IsJournalOf(const std::string& entry, const std::string& tableName);
// The name of the table file a journal named journalName (no folder, one IsJournalOf accepts) belongs to:
// "data.dat" of ".data.dat.journal-123-Ab3xY9".
std::string TableNameOf(const std::string& journalName);

// Creates a new, empty journal file of this process beside target, mode 0600, locked exclusively for as
// long as it stays open, and sets path to its name. Returns the descriptor, or -1 with errno set.
int CreateJournalFile(const std::string& target, std::string& path);

}  // namespace metrazil
