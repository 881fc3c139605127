#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

extern char** environ;

namespace metrazil {

// Runs this test program again as the user nobody, in its own group alone, for a check that root's
// privileges would defeat, such as a folder that cannot be written: call it when geteuid() is 0 with the
// arguments that select the test (a GoogleTest filter, a Qt Test function name).
//
// The program is copied first into a fresh folder under /tmp that everyone may enter, since the build
// tree may lie below a folder nobody cannot (a clone in root's home): whatever else the test needs it
// makes itself while it runs as nobody, under /tmp. HOME points to an empty folder of nobody's own; the
// rest of the environment is passed on.
//
// Returns an empty text when the run passed, otherwise what went wrong; the run's output goes where this
// program's does.
inline std::string RunAsOrdinaryUser(const std::vector<std::string>& arguments) {
  namespace fs = std::filesystem;
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr) return "no user nobody";
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;

  char pattern[] = "/tmp/metrazil-ordinary-user-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return std::string("cannot make a folder under /tmp: ") + std::strerror(errno);
  const fs::path folder = pattern;
  struct TRemove {
    fs::path folder;
    ~TRemove() {
      std::error_code ignored;
      fs::remove_all(folder, ignored);
    }
  } removeFolder{folder};

  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  const fs::path program = folder / self.filename();
  const fs::path home = folder / "home";
  if (!error) fs::copy_file("/proc/self/exe", program, error);
  if (!error) fs::create_directory(home, error);
  if (error) return "cannot copy the test program: " + error.message();
  const fs::perms everyone = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec;
  fs::permissions(folder, everyone, error);
  if (!error) fs::permissions(program, everyone, error);
  if (error) return "cannot open the copy to everyone: " + error.message();
  if (chown(home.c_str(), uid, gid) != 0) return std::string("cannot give nobody a home: ") + std::strerror(errno);

  // Everything the child needs is made before the fork: between fork and exec only system calls.
  std::vector<std::string> texts = {program.string()};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    if (!text.starts_with("HOME=")) environment.emplace_back(text);
  }
  environment.push_back("HOME=" + home.string());
  std::vector<char*> argv;
  std::vector<char*> envp;
  for (std::string& text : texts) argv.push_back(text.data());
  for (std::string& text : environment) envp.push_back(text.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  std::fflush(nullptr);  // what this program has printed comes before the run's output
  const pid_t child = fork();
  if (child < 0) return std::string("cannot fork: ") + std::strerror(errno);
  if (child == 0) {
    // Groups first, the user last; a user that can become root again is no ordinary user.
    if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0 || setuid(0) == 0) {
      static constexpr char kMessage[] = "cannot switch to the user nobody\n";
      [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
      _exit(126);
    }
    execve(argv[0], argv.data(), envp.data());
    static constexpr char kMessage[] = "cannot start the copy of the test program as nobody\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return std::string("cannot wait for the run: ") + std::strerror(errno);
  }
  if (WIFSIGNALED(status)) return "the run as nobody ended by signal " + std::to_string(WTERMSIG(status));
  switch (WEXITSTATUS(status)) {
    case 0:
      return {};
    case 126:
      return "cannot switch to the user nobody";
    case 127:
      return "cannot start the copy of the test program as nobody";
    default:
      return "the run as nobody failed with exit status " + std::to_string(WEXITSTATUS(status));
  }
}

}  // namespace metrazil
