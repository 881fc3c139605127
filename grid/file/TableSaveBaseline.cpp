#include "grid/file/TableSaveBaseline.h"

#include <sys/stat.h>

#include "grid/file/TableFileWriter.h"

namespace metrazil {

bool TTableSaveBaseline::Stamp(const std::string& path, FileStamp& stamp) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  stamp = FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  return true;
}

void TTableSaveBaseline::Mark(const TTableGrid& grid, const std::string& path) {
  marked_ = true;
  revision_ = grid.ContentRevision();
  path_ = path;
  fromFile_ = Stamp(path, stamp_);
  bytes_ = fromFile_ ? std::string() : TableFileBytes(grid);
}

bool TTableSaveBaseline::Changed(const TTableGrid& grid) const {
  if (!marked_) return true;
  if (grid.ContentRevision() == revision_) return false;
  if (!fromFile_) return TableFileBytes(grid) != bytes_;
  FileStamp now;
  if (!Stamp(path_, now) || !(now == stamp_)) return true;
  return !MatchesTableFile(grid, path_);
}

bool TTableSaveBaseline::ReplacedOnDisk(const TTableGrid& grid, const std::string& path) const {
  // A directory or device in the table's place holds no one's table: the save fails there on its own.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const FileStamp now{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  if (marked_ && fromFile_ && path == path_ && now == stamp_) return false;
  // Equal bytes under a new stamp (a copy of the same table, a touch) lose nothing when overwritten. The
  // comparison runs only when the stamp moved, so a save in the usual case reads nothing back.
  return !MatchesTableFile(grid, path);
}

}  // namespace metrazil
