#include "support/BenchTables.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace metrazil {

namespace fs = std::filesystem;

namespace {

std::string NameOf(std::mt19937& random, int row) {
  // GBK characters from the common range, now and then a comma inside the name.
  std::string name;
  const int length = 3 + static_cast<int>(random() % 4);
  for (int i = 0; i < length; ++i) {
    name += static_cast<char>(0xB0 + random() % 40);
    name += static_cast<char>(0xA1 + random() % 94);
  }
  if (random() % 8 == 0) name += ", 2\xD0\xBE";
  name += std::to_string(row);
  return name;
}

}  // namespace

std::string BenchDir() {
  if (const char* dir = std::getenv("METRAZIL_BENCH_DIR")) return dir;
  const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  const fs::path dir = base / "metrazil-bench";
  fs::create_directories(dir);
  return dir.string();
}

std::string BenchTablePath(int rows) {
  const std::string path = BenchDir() + "/table-" + std::to_string(rows) + ".dat";
  if (fs::exists(path)) return path;
  std::mt19937 random(42);
  std::string out = "5," + std::to_string(rows + 1) + "\r\n";
  for (int c = 0; c < 5; ++c) out += "cw " + std::to_string(c) + ",64\r\n";
  out += "0,0,\xC3\xFB\xB3\xC6\r\n1,0,\xB3\xA4\xB6\xC8\r\n2,0,\xD6\xD8\xC1\xBF\r\n3,0,k1\r\n4,0,k2\r\n";
  for (int r = 1; r <= rows; ++r) {
    const std::string row = std::to_string(r);
    out += "0," + row + "," + NameOf(random, r) + "\r\n";
    out += "1," + row + ",\xC3\xD7\r\n";
    out += "2," + row + ",\xC7\xA7\xBF\xCB\r\n";
    out += "3," + row + ",0." + std::to_string(random() % 1000000) + "\r\n";
    out += "4," + row + "," + std::to_string(random() % 100) + "." + std::to_string(random() % 10) + "\r\n";
  }
  const std::string temp = path + ".part";
  std::ofstream(temp, std::ios::binary) << out;
  fs::rename(temp, path);
  return path;
}

}  // namespace metrazil
