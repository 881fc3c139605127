#include "grid/file/TableSaveBaseline.h"

#include <sys/stat.h>

#include "grid/file/TableFileWriter.h"

namespace metrazil {

bool TTableSaveBaseline::Stamp(const std::string& path, TFileStamp& stamp) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  stamp = TFileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  return true;
}

void TTableSaveBaseline::Mark(const TTableGrid& grid, const std::string& path) {
  TFileStamp stamp{};
  if (Stamp(path, stamp)) {
    mark_ = TMark{grid.ContentRevision(), path, TFileMark{stamp}};
  } else {
    mark_ = TMark{grid.ContentRevision(), path, TNoFileMark{TableFileBytes(grid)}};
  }
}

bool TTableSaveBaseline::Changed(const TTableGrid& grid) const {
  if (!mark_) return true;
  if (grid.ContentRevision() == mark_->revision) return false;
  if (const auto* noFile = std::get_if<TNoFileMark>(&mark_->against)) return TableFileBytes(grid) != noFile->bytes;
  TFileStamp now{};
  if (!Stamp(mark_->path, now) || !(now == std::get<TFileMark>(mark_->against).stamp)) return true;
  return !MatchesTableFile(grid, mark_->path);
}

bool TTableSaveBaseline::ReplacedOnDisk(const TTableGrid& grid, const std::string& path) const {
  // A directory or device in the table's place holds no one's table: the save fails there on its own.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const TFileStamp now{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  if (mark_ && path == mark_->path) {
    if (const auto* file = std::get_if<TFileMark>(&mark_->against); file != nullptr && now == file->stamp) return false;
  }
  // Equal bytes under a new stamp (a copy of the same table, a touch) lose nothing when overwritten. The
  // comparison runs only when the stamp moved, so a save in the usual case reads nothing back.
  return !MatchesTableFile(grid, path);
}

}  // namespace metrazil
