// The running program's cost: CPU share of one core and redraws per second
// over 20 s, with Run up (idle) and with Run down without a device (the
// demonstration, every tick consumes its flags and the screen redraws).
//
// Runs the built zolvek offscreen (or on the X display named by
// ZOLVEK_BENCH_DISPLAY) in a private runtime directory, reads its CPU time
// from /proc/<pid>/stat and its redraw count from the report it prints at
// the end (ZOLVEK_TEST_REPORT).

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int MeasureSeconds = 20;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// utime + stime of a process, in seconds.
double CpuSeconds(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0.0;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct TRun {
  double CpuPercent = 0.0;
  double RedrawsPerSecond = 0.0;
};

TRun RunProgram(bool pressRun) {
  char dirTemplate[] = "/tmp/zolvek-bench-XXXXXX";
  const std::string dir = mkdtemp(dirTemplate);
  const std::string log = dir + "/stderr.txt";
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  const char* display = std::getenv("ZOLVEK_BENCH_DISPLAY");
  env.push_back("XDG_RUNTIME_DIR=" + dir);
  env.push_back("ZOLVEK_TEST_REPORT=1");
  env.push_back("ZOLVEK_TEST_QUIT_AFTER_MS=" + std::to_string((MeasureSeconds + 3) * 1000));
  env.push_back(std::string("ZOLVEK_TEST_PRESS_RUN=") + (pressRun ? "1" : "0"));
  env.push_back(display ? "QT_QPA_PLATFORM=xcb" : "QT_QPA_PLATFORM=offscreen");
  if (display) env.push_back(std::string("DISPLAY=") + display);
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char program[] = ZOLVEK_BINARY;
  char* argv[] = {program, nullptr};
  pid_t pid = 0;
  TRun run;
  if (posix_spawn(&pid, program, &actions, nullptr, argv, envp.data()) != 0) return run;
  posix_spawn_file_actions_destroy(&actions);

  // Measure from a second after start-up to the end of the window.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double cpuStart = CpuSeconds(pid);
  const auto wallStart = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(MeasureSeconds));
  const double cpuEnd = CpuSeconds(pid);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  int status = 0;
  waitpid(pid, &status, 0);

  run.CpuPercent = 100.0 * (cpuEnd - cpuStart) / wall;
  unsigned long long redraws = 0;
  long long ms = 0;
  const std::string report = ReadFile(log);
  const std::size_t at = report.find("zolvek: redraws ");
  if (at != std::string::npos &&
      std::sscanf(report.c_str() + at, "zolvek: redraws %llu in %lld ms", &redraws, &ms) == 2 &&
      ms > 0)
    run.RedrawsPerSecond = 1000.0 * static_cast<double>(redraws) / static_cast<double>(ms);
  std::remove(log.c_str());
  rmdir(dir.c_str());
  return run;
}

void BM_RunningProgram(benchmark::State& state, bool pressRun) {
  TRun run;
  for (auto _ : state) {
    run = RunProgram(pressRun);
    state.SetIterationTime(MeasureSeconds);
  }
  state.counters["cpu_percent"] = run.CpuPercent;
  state.counters["redraws_per_s"] = run.RedrawsPerSecond;
}

BENCHMARK_CAPTURE(BM_RunningProgram, run_up, false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RunningProgram, run_down_demo, true)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
