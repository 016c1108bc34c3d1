// The zolvek-sim program, started as the run script starts it (in the
// background, no terminal) and talked to as the program would.

#include "tests/sim/SerialClient.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace sim {
namespace {

using namespace std::chrono_literals;
using test::TSerialClient;
using test::TTempDir;

// A zolvek-sim child process with its own registry; killed if still running
// at the end.
class TSimProcess {
 public:
  TSimProcess(const std::string& runtimeDir, std::vector<std::string> args,
              const std::string& stderrFile) {
    args.insert(args.begin(), ZOLVEK_SIM_PATH);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + runtimeDir};
    for (char** e = environ; *e != nullptr; ++e)
      if (std::string_view(*e).rfind("XDG_RUNTIME_DIR=", 0) != 0) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&Pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) Pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~TSimProcess() {
    if (Pid_ > 0) {
      ::kill(Pid_, SIGKILL);
      ::waitpid(Pid_, nullptr, 0);
    }
  }
  bool Started() const { return Pid_ > 0; }
  // Sends the signal and returns the exit status, or -1 if it did not end.
  int Signal(int signal) {
    ::kill(Pid_, signal);
    for (int i = 0; i < 400; ++i) {
      int status = 0;
      if (::waitpid(Pid_, &status, WNOHANG) == Pid_) {
        Pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(5ms);
    }
    return -1;
  }

 private:
  pid_t Pid_ = -1;
};

bool WaitForLink(const std::string& link) {
  for (int i = 0; i < 400; ++i) {
    if (std::filesystem::is_symlink(link)) return true;
    std::this_thread::sleep_for(5ms);
  }
  return false;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(SimProgramTest, TalksLikeTheGeneratorLogsAndUnregistersOnSigterm) {
  TTempDir runtime;
  const std::string log = runtime.Path() + "/sim.log";
  const std::string link = runtime.Path() + "/zolvek-ports/sim0";
  TSimProcess sim(runtime.Path(), {"--name", "sim0", "--log", log}, runtime.Path() + "/stderr");
  ASSERT_TRUE(sim.Started());
  ASSERT_TRUE(WaitForLink(link));
  {
    TSerialClient client(link);
    client.Write("&");
    EXPECT_EQ(client.ReadLine(2s), "Zolvek\r\n");
    client.Write("V");
    std::vector<std::string> square;
    for (int i = 0; i < 16; ++i) square.push_back(client.ReadLine(2s));
    EXPECT_EQ(square[14], "4.6825\r\n");
    client.Write("v");
    std::vector<std::string> analog;
    for (int i = 0; i < 16; ++i) analog.push_back(client.ReadLine(2s));
    EXPECT_EQ(analog[0], "1.23\r\n");
    EXPECT_EQ(analog[15], "6.5\r\n");
    client.Write("Z");
    client.Write(std::string("\x4C\x4A\xDE\xBC\x4C\xC0\xF1\x00", 8));
    client.Write(std::string("\x4C\x10\x28\x20\x77\x34\x12", 7));
  }
  // Reconnecting after the close works: the device did not die.
  TSerialClient again(link);
  again.Write("&");
  EXPECT_EQ(again.ReadLine(2s), "Zolvek\r\n");
  again.Close();

  std::vector<std::string> lines;
  for (int i = 0; i < 400 && lines.size() < 9; ++i) {
    std::this_thread::sleep_for(5ms);
    lines = ReadLines(log);
  }
  ASSERT_EQ(lines.size(), 9u);
  const char* kinds[] = {"identify", "square_table", "analog_table", "stop",    "coarse",
                         "fine",     "control_word", "pulse_width",  "identify"};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind("{\"t_us\":", 0), 0u) << lines[i];
    EXPECT_NE(lines[i].find(std::string("\"kind\":\"") + kinds[i] + "\""), std::string::npos)
        << lines[i];
  }
  EXPECT_NE(lines[5].find("\"raw\":\"4cc0f100\""), std::string::npos) << lines[5];
  EXPECT_NE(lines[5].find("\"freq_hz\":16777776.27"), std::string::npos) << lines[5];
  EXPECT_NE(lines[7].find("\"value\":4660"), std::string::npos) << lines[7];

  EXPECT_EQ(sim.Signal(SIGTERM), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  const auto messages = ReadLines(runtime.Path() + "/stderr");
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages[0].find("sim0"), std::string::npos);
  EXPECT_NE(messages[0].find("/dev/pts/"), std::string::npos);
}

TEST(SimProgramTest, SigintAndHangUpFaultEndItAndRemoveTheLink) {
  TTempDir runtime;
  const std::string link = runtime.Path() + "/zolvek-ports/gen";
  {
    TSimProcess sim(runtime.Path(), {"--name", "gen", "--log", runtime.Path() + "/a.log"},
                    runtime.Path() + "/stderr");
    ASSERT_TRUE(WaitForLink(link));
    EXPECT_EQ(sim.Signal(SIGINT), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
  }
  TSimProcess sim(runtime.Path(),
                  {"--name", "gen", "--hangup-after", "1", "--log", runtime.Path() + "/b.log"},
                  runtime.Path() + "/stderr");
  ASSERT_TRUE(WaitForLink(link));
  TSerialClient client(link);
  client.Write("Z");
  EXPECT_TRUE(client.WaitForHangUp(2s));
  for (int i = 0; i < 400 && std::filesystem::is_symlink(link); ++i)
    std::this_thread::sleep_for(5ms);
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  EXPECT_EQ(sim.Signal(0), 0) << "it ends by itself";
}

TEST(SimProgramTest, FaultOptionsReachTheDevice) {
  TTempDir runtime;
  const std::string link = runtime.Path() + "/zolvek-ports/f";
  TSimProcess sim(runtime.Path(),
                  {"--name", "f", "--identity", "Other", "--table-fault", "V:2:minus-one", "--log",
                   runtime.Path() + "/f.log"},
                  runtime.Path() + "/stderr");
  ASSERT_TRUE(WaitForLink(link));
  TSerialClient client(link);
  client.Write("&");
  EXPECT_EQ(client.ReadLine(2s), "Other\r\n");
  client.Write("V");
  client.ReadLine(2s);
  client.ReadLine(2s);
  EXPECT_EQ(client.ReadLine(2s), "-1\r\n");
}

TEST(SimProgramTest, BadOptionsFailAndHelpSucceeds) {
  TTempDir runtime;
  TSimProcess bad(runtime.Path(), {"--frobnicate"}, runtime.Path() + "/bad");
  EXPECT_EQ(bad.Signal(0), 2);
  TSimProcess help(runtime.Path(), {"--help"}, runtime.Path() + "/help");
  EXPECT_EQ(help.Signal(0), 0);
  EXPECT_FALSE(std::filesystem::exists(runtime.Path() + "/zolvek-ports/sim0"));
}

}  // namespace
}  // namespace sim
