#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "grid/file/JournalBase.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// Tells whether a save of a grid would write anything different from what was last read or saved, so
// that closing asks only when something would be lost.
//
// Cheap while nothing changed (the grid's content revision stands still). Otherwise the grid's file
// bytes are compared with the file as it lies on disk, or, when there was no file, with the grid's bytes
// at the time of marking. A file changed on disk since the mark counts as a change: only a save can make
// the two agree again.
class TTableSaveBaseline {
 public:
  // Marks the grid as it is now as saved: after a read of path (or the attempt), after a save to it, or
  // with no file at path, the grid itself (its design state). The file is taken as it is at path now.
  void Mark(const TTableGrid& grid, const std::string& path);
  // The same with the file as the read or save that ends now found it (its stamp; NoFile for none), so
  // that a file put in its place meanwhile is not taken for it.
  void Mark(const TTableGrid& grid, const std::string& path, const TJournalBase& file);
  bool Changed(const TTableGrid& grid) const;
  // Whether a save of the grid to path would overwrite what another program or instance put there since
  // the mark: the file is not the one last read or saved (another device, inode, size or modification
  // time, or a file where there was none) and does not already hold exactly what the save would write.
  // False when there is no regular file at path: the save only creates it, or fails.
  bool ReplacedOnDisk(const TTableGrid& grid, const std::string& path) const;

 private:
  // The stamp of the file at path now; NoFile when it cannot be looked at.
  static TJournalBase StampOf(const std::string& path);

  // Marked with a file at the path: the file as it was then.
  struct TFileMark {
    TJournalBase stamp;
  };
  // Marked with no file at the path: the bytes a save would have written then.
  struct TNoFileMark {
    std::string bytes;
  };
  struct TMark {
    std::uint64_t revision = 0;  // the grid's content revision at the mark
    std::string path;
    std::variant<TFileMark, TNoFileMark> against;
  };
  std::optional<TMark> mark_;  // none before the first Mark
};

}  // namespace metrazil
