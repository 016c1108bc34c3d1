// The running program's cost: CPU share of one core and redraws per second
// over 20 s, with Run up (idle), with Run down without a device (the
// demonstration), connected to the virtual generator and running with
// nothing changing, and connected while a sweep runs (set by the remote
// control: SWE:STAT ON;:OUTP ON).
//
// Runs the built zolvek (or the program ZOLVEK_BENCH_PROGRAM names, an
// earlier build for a comparison) offscreen or on the X display named by
// ZOLVEK_BENCH_DISPLAY, in a private runtime directory, reads its CPU time
// from /proc/<pid>/stat and its redraw count from the report it prints at
// the end (ZOLVEK_TEST_REPORT).

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
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

// What a case runs: Run pressed at start, the virtual generator connected,
// and a line for the remote control once it listens.
struct TCase {
  bool PressRun = false;
  bool Connected = false;
  const char* RemoteLine = nullptr;
};

pid_t Spawn(const std::vector<std::string>& args, std::vector<std::string> env,
            const std::string& errorLog) {
  std::vector<char*> envp, argv;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Waits for the program to say where its remote control listens, then
// sends it one line.
void SendRemote(const std::string& log, const char* line) {
  int port = 0;
  for (int i = 0; i < 100 && port == 0; ++i) {
    const std::string said = ReadFile(log);
    const std::size_t at = said.find("remote control on 127.0.0.1:");
    if (at != std::string::npos) port = std::atoi(said.c_str() + at + 28);
    if (port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (port != 0 && connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
    const std::string text = std::string(line) + "\n";
    (void)!write(s, text.data(), text.size());
  }
  close(s);
}

TRun RunProgram(const TCase& c) {
  char dirTemplate[] = "/tmp/zolvek-bench-XXXXXX";
  const std::string dir = mkdtemp(dirTemplate);
  const std::string log = dir + "/stderr.txt";
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  const char* display = std::getenv("ZOLVEK_BENCH_DISPLAY");
  env.push_back("XDG_RUNTIME_DIR=" + dir);
  env.push_back("ZOLVEK_TEST_REPORT=1");
  env.push_back("ZOLVEK_TEST_QUIT_AFTER_MS=" + std::to_string((MeasureSeconds + 3) * 1000));
  env.push_back(std::string("ZOLVEK_TEST_PRESS_RUN=") + (c.PressRun ? "1" : "0"));
  env.push_back(display ? "QT_QPA_PLATFORM=xcb" : "QT_QPA_PLATFORM=offscreen");
  if (display) env.push_back(std::string("DISPLAY=") + display);

  pid_t sim = 0;
  std::vector<std::string> args = {
      std::getenv("ZOLVEK_BENCH_PROGRAM") ? std::getenv("ZOLVEK_BENCH_PROGRAM") : ZOLVEK_BINARY};
  if (c.Connected) {
    sim = Spawn({ZOLVEK_SIM_BINARY, "--name", "sim0", "--log", dir + "/sim.log"}, env,
                dir + "/sim.txt");
    for (int i = 0; i < 100 && access((dir + "/zolvek-ports/sim0").c_str(), F_OK) != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    args.insert(args.end(), {"--port", "sim0"});
  }
  if (c.RemoteLine) args.push_back("--remote=127.0.0.1:0");
  TRun run;
  const pid_t pid = Spawn(args, env, log);
  if (pid == 0) return run;
  if (c.RemoteLine) SendRemote(log, c.RemoteLine);

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
  if (sim != 0) {
    kill(sim, SIGTERM);
    waitpid(sim, &status, 0);
  }

  run.CpuPercent = 100.0 * (cpuEnd - cpuStart) / wall;
  unsigned long long redraws = 0;
  long long ms = 0;
  const std::string report = ReadFile(log);
  const std::size_t at = report.find("zolvek: redraws ");
  if (at != std::string::npos &&
      std::sscanf(report.c_str() + at, "zolvek: redraws %llu in %lld ms", &redraws, &ms) == 2 &&
      ms > 0)
    run.RedrawsPerSecond = 1000.0 * static_cast<double>(redraws) / static_cast<double>(ms);
  for (const char* file : {"/stderr.txt", "/sim.txt", "/sim.log"})
    std::remove((dir + file).c_str());
  rmdir((dir + "/zolvek-ports").c_str());
  rmdir(dir.c_str());
  return run;
}

void BM_RunningProgram(benchmark::State& state, TCase c) {
  TRun run;
  for (auto _ : state) {
    run = RunProgram(c);
    state.SetIterationTime(MeasureSeconds);
  }
  state.counters["cpu_percent"] = run.CpuPercent;
  state.counters["redraws_per_s"] = run.RedrawsPerSecond;
}

BENCHMARK_CAPTURE(BM_RunningProgram, run_up, TCase{false, false, nullptr})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RunningProgram, run_down_demo, TCase{true, false, nullptr})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RunningProgram, connected_idle, TCase{false, true, "OUTP ON"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_RunningProgram, connected_sweep, TCase{false, true, "SWE:STAT ON;:OUTP ON"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
