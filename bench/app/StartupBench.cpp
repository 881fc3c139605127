// Start-up as a user meets it: the real program started as a new process, from exec to the first paint of
// its window and to idle (the window painted, the tables read and the item list filled), against a plain
// four-tab Qt window built in the same tree; and the core's own read of the same table file. Run under an
// X server for figures a user sees:
//   xvfb-run -a -s "-screen 0 1024x768x24" build/release/bench/app/bench_startup
// METRAZIL_BENCH_PROGRAM names another build of the program to measure instead of this tree's.
//
// The first two cases give the figures to watch, each from launches that take turns, so that a slower
// minute of the machine falls on both sides: the window without tables against the plain window (and
// against the plain window showing the same captions in the same fonts), exec to first paint; and what a
// million-row table adds to exec to idle against the core's read of it.
//
// The programs share one session bus, as on a desktop (see main). First paint comes from a probe preloaded
// into the program; idle is the moment the program's main thread last ran before it stayed asleep for
// kQuiet. Resident and proportional memory and the number of helper processes are taken at that moment.
//
// Every case starts with one untimed run (the program's files then come from the page cache), and every
// run with free memory made warm: on a virtual machine, memory left free for a few seconds goes back to the
// host and costs about ten times as much to touch again, so a 1M-row start that meets such memory takes
// half as long again, and the figures would follow the cadence of the runs rather than the program. The
// warming is untimed, and the same before the program and before the core's read.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/HugePages.h"
#include "grid/file/TableFileReader.h"
#include "grid/model/TableGrid.h"
#include "support/BenchTables.h"

namespace metrazil {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kQuiet = std::chrono::milliseconds(300);
constexpr auto kPoll = std::chrono::milliseconds(2);
constexpr int kMillionRows = 1000000;

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// CPU time of the process's main thread, in nanoseconds; -1 once it is gone.
long long MainThreadRuntime(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/schedstat");
  if (stat.empty()) return -1;
  return std::atoll(stat.c_str());
}

// A "Key:   value kB" field of a /proc status-like file, in kB.
long long ProcField(const std::string& path, const char* key) {
  const std::string text = ReadFile(path);
  const std::size_t at = text.find(key);
  return at == std::string::npos ? 0 : std::atoll(text.c_str() + at + std::strlen(key));
}

// Every process below pid, found through the parent links.
std::vector<pid_t> Descendants(pid_t pid) {
  std::vector<std::pair<pid_t, pid_t>> links;  // (child, parent)
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = ReadFile(entry.path() / "stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    int parent = 0;
    if (std::sscanf(stat.c_str() + close + 1, " %*c %d", &parent) == 1) links.emplace_back(std::stoi(name), parent);
  }
  std::set<pid_t> found{pid};
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [child, parent] : links) {
      if (found.count(parent) != 0 && found.insert(child).second) grew = true;
    }
  }
  found.erase(pid);
  return {found.begin(), found.end()};
}

// Touches and frees more memory than a run takes, so that the run meets memory the host still backs.
void WarmFreeMemory() {
  constexpr std::size_t kBytes = std::size_t{512} << 20;
  void* data = MapHugePages(kBytes);
  if (data == nullptr) return;
  auto* bytes = static_cast<volatile char*>(data);
  for (std::size_t at = 0; at < kBytes; at += 4096) bytes[at] = 1;
  UnmapHugePages(data, kBytes);
}

// Whether key is seen for the first time in this process: a case's first run goes untimed first, and a
// program is copied once.
bool FirstRun(const std::string& key) {
  static std::set<std::string> seen;
  return seen.insert(key).second;
}

struct TStartup {
  double paintMs = 0;
  double idleMs = 0;
  double rssMb = 0;
  double pssMb = 0;
  int helpers = 0;
  bool ok = false;
};

// A directory holding a copy of the program (it reads its tables beside its executable) and, when rows is
// not negative, a data.dat of that many rows.
std::string ProgramCopy(int rows) {
  const fs::path dir = fs::path(BenchDir()) / ("startup-" + (rows < 0 ? std::string("none") : std::to_string(rows)));
  const fs::path program = dir / "metrazil";
  if (!FirstRun(dir.string())) return program.string();
  fs::create_directories(dir);
  // Another build of the program (an earlier version, say) can be measured against the same yardstick.
  const char* other = std::getenv("METRAZIL_BENCH_PROGRAM");
  fs::copy_file(other != nullptr ? other : METRAZIL_PROGRAM, program, fs::copy_options::overwrite_existing);
  const fs::path data = dir / "data.dat";
  fs::remove(data);
  if (rows >= 0) fs::create_symlink(BenchTablePath(rows), data);
  return program.string();
}

// Starts program (with one argument when argument is not empty) and follows it to idle.
TStartup Launch(const std::string& program, const std::string& argument = {}) {
  TStartup result;
  WarmFreeMemory();
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return result;
  const long long start = MonotonicNs();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::close(pipeFds[0]);
    ::setenv("METRAZIL_PROBE_FD", std::to_string(pipeFds[1]).c_str(), 1);
    ::setenv("LD_PRELOAD", METRAZIL_STARTUP_PROBE, 1);
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Root runs the web engine only with its sandbox off; this measures it rather than its fallback.
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    ::execl(program.c_str(), program.c_str(), argument.empty() ? nullptr : argument.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return result;
  }
  long long lastRuntime = -1;
  long long lastActive = start;
  long long painted = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(60);
  std::string received;
  while (Clock::now() < deadline) {
    pollfd wait{pipeFds[0], POLLIN, 0};
    if (::poll(&wait, 1, static_cast<int>(kPoll.count())) > 0 && (wait.revents & POLLIN) != 0) {
      char buffer[256];
      const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
      if (got > 0) received.append(buffer, static_cast<std::size_t>(got));
      if (painted == 0 && received.find('\n') != std::string::npos) painted = std::atoll(received.c_str() + 6);
    }
    const long long runtime = MainThreadRuntime(pid);
    const long long now = MonotonicNs();
    if (runtime < 0) break;
    if (runtime != lastRuntime) {
      lastRuntime = runtime;
      lastActive = now;
    } else if (painted != 0 && now - lastActive >= std::chrono::nanoseconds(kQuiet).count()) {
      const std::string proc = "/proc/" + std::to_string(pid);
      result.rssMb = static_cast<double>(ProcField(proc + "/status", "VmRSS:")) / 1024.0;
      result.pssMb = static_cast<double>(ProcField(proc + "/smaps_rollup", "Pss:")) / 1024.0;
      result.helpers = static_cast<int>(Descendants(pid).size());
      result.paintMs = static_cast<double>(painted - start) / 1e6;
      result.idleMs = static_cast<double>(std::max(lastActive, painted) - start) / 1e6;
      result.ok = true;
      break;
    }
  }
  const std::vector<pid_t> helpers = Descendants(pid);
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
  for (const pid_t helper : helpers) ::kill(helper, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  ::close(pipeFds[0]);
  return result;
}

// One launch per repetition: the aggregates give the median of every figure.
void Run(benchmark::State& state, const std::string& program) {
  if (FirstRun(program)) Launch(program);
  for (auto _ : state) {
    const TStartup one = Launch(program);
    if (!one.ok) {
      state.SkipWithError("the program did not paint and settle");
      return;
    }
    state.SetIterationTime(one.idleMs / 1000.0);
    state.counters["paint_ms"] = one.paintMs;
    state.counters["idle_ms"] = one.idleMs;
    state.counters["rss_MB"] = one.rssMb;
    state.counters["pss_MB"] = one.pssMb;
    state.counters["helpers"] = one.helpers;
  }
}

void BM_PlainWindow(benchmark::State& state) { Run(state, METRAZIL_PLAIN_WINDOW); }

// range(0): rows of data.dat, -1 for none.
void BM_Metrazil(benchmark::State& state) { Run(state, ProgramCopy(static_cast<int>(state.range(0)))); }

struct TCoreRead {
  double seconds = 0;
  double modelMb = 0;
  bool ok = false;
};

TCoreRead ReadInNewProcess(const std::string& path) {
  TCoreRead result;
  WarmFreeMemory();
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return result;
  const pid_t pid = ::fork();
  if (pid == 0) {
    const long long before = ProcField("/proc/self/status", "VmRSS:");
    const long long start = MonotonicNs();
    TTableGrid grid;
    ReadTableFile(grid, path);
    const long long figures[2] = {MonotonicNs() - start, ProcField("/proc/self/status", "VmRSS:") - before};
    (void)!::write(pipeFds[1], figures, sizeof figures);
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  long long figures[2] = {0, 0};
  result.ok = pid > 0 && ::read(pipeFds[0], figures, sizeof figures) == static_cast<ssize_t>(sizeof figures);
  ::close(pipeFds[0]);
  if (pid > 0) ::waitpid(pid, nullptr, 0);
  result.seconds = static_cast<double>(figures[0]) / 1e9;
  result.modelMb = static_cast<double>(figures[1]) / 1024.0;
  return result;
}

// The core alone reading the same file, each time in a new process as the program does, with the memory
// its model takes.
void BM_CoreRead(benchmark::State& state) {
  const std::string path = BenchTablePath(static_cast<int>(state.range(0)));
  if (FirstRun(path)) ReadInNewProcess(path);
  for (auto _ : state) {
    const TCoreRead one = ReadInNewProcess(path);
    if (!one.ok) return state.SkipWithError("the reading process failed");
    state.SetIterationTime(one.seconds);
    state.counters["model_MB"] = one.modelMb;
  }
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// Rounds of launches that take turns, each round starting one further along, so that neither side always
// follows the other.
constexpr int kShellRounds = 20;
constexpr int kTableRounds = 9;

// Exec to first paint of the window without tables, against the plain window and against the plain window
// with the same captions in the same fonts: medians of kShellRounds launches of each.
void BM_ShellAgainstPlainWindow(benchmark::State& state) {
  const std::array<std::pair<std::string, std::string>, 3> programs = {
      {{METRAZIL_PLAIN_WINDOW, ""}, {METRAZIL_PLAIN_WINDOW, "--fonts"}, {ProgramCopy(-1), ""}}};
  for (const auto& [program, argument] : programs) Launch(program, argument);
  for (auto _ : state) {
    std::array<std::vector<double>, 3> paints;
    for (int round = 0; round < kShellRounds; ++round) {
      for (std::size_t turn = 0; turn < programs.size(); ++turn) {
        const std::size_t which = (static_cast<std::size_t>(round) + turn) % programs.size();
        const TStartup one = Launch(programs[which].first, programs[which].second);
        if (!one.ok) return state.SkipWithError("a program did not paint and settle");
        paints[which].push_back(one.paintMs);
      }
    }
    const double plain = Median(paints[0]);
    const double fonts = Median(paints[1]);
    const double shell = Median(paints[2]);
    // Launches of one round are seconds apart: their ratios follow the machine's pace less than the medians.
    std::vector<double> overPlain;
    std::vector<double> overFonts;
    for (std::size_t round = 0; round < paints[2].size(); ++round) {
      overPlain.push_back(paints[2][round] / paints[0][round]);
      overFonts.push_back(paints[2][round] / paints[1][round]);
    }
    state.SetIterationTime(shell / 1000.0);
    state.counters["plain_ms"] = plain;
    state.counters["plain_fonts_ms"] = fonts;
    state.counters["shell_ms"] = shell;
    state.counters["shell_over_plain"] = shell / plain;
    state.counters["shell_over_plain_fonts"] = shell / fonts;
    state.counters["round_shell_over_plain"] = Median(overPlain);
    state.counters["round_shell_over_plain_fonts"] = Median(overFonts);
  }
}

// What a million-row data.dat adds to exec to idle, against the core's own read of the file in a new
// process: medians of kTableRounds of each.
void BM_MillionRowsAgainstCoreRead(benchmark::State& state) {
  const std::string none = ProgramCopy(-1);
  const std::string million = ProgramCopy(kMillionRows);
  const std::string path = BenchTablePath(kMillionRows);
  Launch(none);
  Launch(million);
  ReadInNewProcess(path);
  for (auto _ : state) {
    std::vector<double> idleNone;
    std::vector<double> idleMillion;
    std::vector<double> reads;
    std::vector<double> rss;
    for (int round = 0; round < kTableRounds; ++round) {
      for (int turn = 0; turn < 3; ++turn) {
        switch ((round + turn) % 3) {
          case 0: {
            const TStartup one = Launch(none);
            if (!one.ok) return state.SkipWithError("the program did not paint and settle");
            idleNone.push_back(one.idleMs);
            break;
          }
          case 1: {
            const TStartup one = Launch(million);
            if (!one.ok) return state.SkipWithError("the program did not paint and settle");
            idleMillion.push_back(one.idleMs);
            rss.push_back(one.rssMb);
            break;
          }
          default: {
            const TCoreRead one = ReadInNewProcess(path);
            if (!one.ok) return state.SkipWithError("the reading process failed");
            reads.push_back(one.seconds * 1000.0);
            break;
          }
        }
      }
    }
    const double added = Median(idleMillion) - Median(idleNone);
    const double read = Median(reads);
    std::vector<double> roundRatios;
    for (std::size_t round = 0; round < reads.size(); ++round) {
      roundRatios.push_back((idleMillion[round] - idleNone[round]) / reads[round]);
    }
    state.SetIterationTime(added / 1000.0);
    state.counters["none_idle_ms"] = Median(idleNone);
    state.counters["million_idle_ms"] = Median(idleMillion);
    state.counters["million_rss_MB"] = Median(rss);
    state.counters["core_read_ms"] = read;
    state.counters["added_ms"] = added;
    state.counters["added_over_core_read"] = added / read;
    state.counters["round_added_over_core_read"] = Median(roundRatios);
  }
}

// The machines are shared and a launch now and then meets a busy moment: medians of several.
void Repeated(benchmark::internal::Benchmark* b, int repetitions) {
  b->Iterations(1)
      ->Repetitions(repetitions)
      ->ReportAggregatesOnly(true)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ShellAgainstPlainWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MillionRowsAgainstCoreRead)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWindow)->Apply([](auto* b) { Repeated(b, 10); });
BENCHMARK(BM_Metrazil)->Arg(-1)->Arg(10)->Apply([](auto* b) { Repeated(b, 10); });
BENCHMARK(BM_Metrazil)->Arg(kMillionRows)->Apply([](auto* b) { Repeated(b, 7); });
BENCHMARK(BM_CoreRead)->Arg(kMillionRows)->Apply([](auto* b) { Repeated(b, 7); });

}  // namespace
}  // namespace metrazil

// Without a session bus every program started would start one of its own, which outlives it and costs more
// than the window; a desktop has one bus for them all. So the benchmark runs under a bus of its own, or,
// where none can be started, tells the programs there is none.
int main(int argc, char** argv) {
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
    std::vector<char*> command = {const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
    command.insert(command.end(), argv, argv + argc);
    command.push_back(nullptr);
    ::execvp(command[0], command.data());
    std::fprintf(stderr, "no dbus-run-session: measuring without a session bus\n");
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
