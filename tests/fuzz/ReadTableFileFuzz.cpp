// Feeds arbitrary bytes to the table file reader. Whatever it reads must keep the grid's invariants and
// survive a save and a reload unchanged: the saved bytes of the reloaded grid equal the first save.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "grid/model/TableGrid.h"
#include "tests/support/DesignGrid.h"

namespace {

using metrazil::DesignGrid;
using metrazil::TTableGrid;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

const std::string& WorkDir() {
  static const std::string dir = [] {
    std::string pattern = "/dev/shm/metrazil-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return dir;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reader wants a path; a memory file gives it one without touching a disk.
  const int fd = ::memfd_create("table", 0);
  Check(fd >= 0);
  Check(::write(fd, data, size) == static_cast<ssize_t>(size));
  const std::string input = "/proc/self/fd/" + std::to_string(fd);
  TTableGrid grid = DesignGrid();
  try {
    grid.ReadTableFile(input);
  } catch (const metrazil::EInvalidGridOperation&) {
    // Counts above the limit: refused, and the grid must still be whole.
  }
  ::close(fd);

  Check(grid.RowCount() >= 1 && grid.RowCount() <= TTableGrid::kMaxCount);
  Check(grid.ColCount() >= 1 && grid.ColCount() <= TTableGrid::kMaxCount);
  Check(grid.FixedRows() >= 0 && grid.FixedRows() < grid.RowCount());
  Check(grid.FixedCols() >= 0 && grid.FixedCols() < grid.ColCount());
  Check(grid.FocusedRow() >= 0 && grid.FocusedRow() < grid.RowCount());
  Check(grid.FocusedCol() >= 0 && grid.FocusedCol() < grid.ColCount());

  // Saving writes a width line per column; keep the round trip to tables of a sane width.
  if (grid.ColCount() > 2000) return 0;
  const std::string first = WorkDir() + "/first.dat";
  const std::string second = WorkDir() + "/second.dat";
  grid.WriteTableFile(first);
  TTableGrid reloaded = DesignGrid();
  reloaded.ReadTableFile(first);
  reloaded.WriteTableFile(second);
  Check(Slurp(first) == Slurp(second));
  return 0;
}
