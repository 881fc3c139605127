#include "grid/file/TableSaveBaseline.h"

#include <sys/stat.h>

#include "grid/file/TableFileWriter.h"

namespace metrazil {

TJournalBase TTableSaveBaseline::StampOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? TJournalBase::OfStat(info) : TJournalBase::NoFile();
}

void TTableSaveBaseline::Mark(const TTableGrid& grid, const std::string& path) { Mark(grid, path, StampOf(path)); }

void TTableSaveBaseline::Mark(const TTableGrid& grid, const std::string& path, const TJournalBase& file) {
  if (file.hasFile) {
    mark_ = TMark{grid.ContentRevision(), path, TFileMark{file}};
  } else {
    mark_ = TMark{grid.ContentRevision(), path, TNoFileMark{TableFileBytes(grid)}};
  }
}

bool TTableSaveBaseline::Changed(const TTableGrid& grid) const {
  if (!mark_) return true;
  if (grid.ContentRevision() == mark_->revision) return false;
  if (const auto* noFile = std::get_if<TNoFileMark>(&mark_->against)) return TableFileBytes(grid) != noFile->bytes;
  if (!StampOf(mark_->path).SameStamp(std::get<TFileMark>(mark_->against).stamp)) return true;
  return !MatchesTableFile(grid, mark_->path);
}

bool TTableSaveBaseline::ReplacedOnDisk(const TTableGrid& grid, const std::string& path) const {
  // A directory or device in the table's place holds no one's table: the save fails there on its own.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (mark_ && path == mark_->path) {
    if (const auto* file = std::get_if<TFileMark>(&mark_->against);
        file != nullptr && file->stamp.SameStamp(TJournalBase::OfStat(info))) {
      return false;
    }
  }
  // Equal bytes under a new stamp (a copy of the same table, a touch) lose nothing when overwritten. The
  // comparison runs only when the stamp moved, so a save in the usual case reads nothing back.
  return !MatchesTableFile(grid, path);
}

}  // namespace metrazil
