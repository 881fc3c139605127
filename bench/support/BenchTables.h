#pragma once

#include <string>

namespace metrazil {

// Where benchmark files go: $METRAZIL_BENCH_DIR, else /dev/shm (so saves measure the writer, not the
// disk), else the temporary directory.
std::string BenchDir();
// The path of a generated 5-column table with `rows` body rows of GBK names, units and factors, written
// once and reused.
std::string BenchTablePath(int rows);

}  // namespace metrazil
