#include "base/TableDirectory.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/ProgramDirectory.h"

namespace metrazil {

namespace {

std::string WithSlash(std::string directory) {
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}

// PREFIX/share/metrazil/ of a program in PREFIX/bin/.
std::filesystem::path SharedDataDirectory(const std::string& programDirectory) {
  return std::filesystem::path(programDirectory).parent_path().parent_path() / METRAZIL_INSTALL_DATADIR / "metrazil";
}

// PREFIX/bin/ beside PREFIX/share/metrazil/, as the install rules lay the program out.
bool IsInstalled(const std::string& programDirectory) {
  namespace fs = std::filesystem;
  if (fs::path(programDirectory).parent_path().filename() != METRAZIL_INSTALL_BINDIR) return false;
  std::error_code error;
  return fs::is_directory(SharedDataDirectory(programDirectory), error);
}

bool WriteAll(int fd, const char* data, ssize_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, static_cast<std::size_t>(size));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// Copies `from` to the new file `to`; an existing `to` (or a link there) is left alone.
void CopyNewFile(const std::string& from, const std::string& to) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return;
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (out < 0) {
    close(in);
    return;
  }
  bool ok = true;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    if (!WriteAll(out, buffer, got)) {
      ok = false;
      break;
    }
  }
  ok = fsync(out) == 0 && ok;
  ok = close(out) == 0 && ok;
  close(in);
  // A cut sample would read as a table with rows missing.
  if (!ok) unlink(to.c_str());
}

std::string UserDataDirectory(const char* xdgDataHome, const char* home) {
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return WithSlash(xdgDataHome) + "metrazil/";
  if (home == nullptr || home[0] != '/') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/' ? user->pw_dir : "/";
  }
  return WithSlash(home) + ".local/share/metrazil/";
}

}  // namespace

std::string ChooseTableDirectory(const std::string& programDirectory, const char* xdgDataHome, const char* home) {
  if (!IsInstalled(programDirectory) && access(programDirectory.c_str(), W_OK) == 0) return programDirectory;
  return UserDataDirectory(xdgDataHome, home);
}

std::string TableDirectory() {
  static std::string decidedFor;
  static std::string directory;
  const std::string program = ProgramDirectory();
  if (directory.empty() || program != decidedFor) {
    directory = ChooseTableDirectory(program, std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    decidedFor = program;
    if (IsInstalled(program)) SeedTableDirectory(directory, (SharedDataDirectory(program) / "examples").string());
  }
  return directory;
}

bool SeedTableDirectory(const std::string& directory, const std::string& samplesDirectory) {
  std::string path = directory;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t last = path.rfind('/');
  if (last != std::string::npos && last > 0) CreateTableDirectory(path.substr(0, last));
  // Made here and now, or it existed before: only its maker copies, so a table is never replaced.
  if (mkdir(path.c_str(), 0700) != 0) return false;
  for (const char* name : {"data.dat", "data2.dat"}) {
    CopyNewFile(WithSlash(samplesDirectory) + name, WithSlash(path) + name);
  }
  return true;
}

void CreateTableDirectory(const std::string& directory) {
  std::error_code error;
  if (std::filesystem::is_directory(directory, error)) return;
  // Level by level, so that every directory made here is the user's alone; existing ones stay as they are.
  for (std::size_t slash = directory.find('/', 1); slash != std::string::npos; slash = directory.find('/', slash + 1)) {
    mkdir(directory.substr(0, slash).c_str(), 0700);
  }
  mkdir(directory.c_str(), 0700);
}

}  // namespace metrazil
