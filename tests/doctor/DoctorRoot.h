#pragma once
// A made-up system root for the doctor (its --root): files under a temporary
// folder, processes as /proc/PID/comm entries, and the view that reads them.

#include <filesystem>
#include <fstream>
#include <string>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "tests/serial/TempDir.h"
#include "doctor/Checks.h"
#include "doctor/SystemView.h"

namespace doctor::test {

inline std::string DialoutGroupFile(const std::string& members) {
  return "root:x:0:\ntty:x:5:\ndialout:x:20:" + members + "\nann:x:1000:\n";
}

class TDoctorRoot {
 public:
  TDoctorRoot() { Write("/etc/group", DialoutGroupFile("")); }

  void Write(const std::string& path, const std::string& text) {
    const std::filesystem::path file = Dir() / path.substr(1);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  void Process(int pid, const std::string& comm) {
    Write("/proc/" + std::to_string(pid) + "/comm", comm + "\n");
  }
  std::string Path(const std::string& path) const { return (Dir() / path.substr(1)).string(); }
  std::filesystem::path Dir() const { return Root(); }

  // Ann, in no group but her own in this session; ports only as given.
  TSystemView View(std::vector<serial::TPortEntry> ports = {}) const {
    TSystemView view;
    view.Root = Root().string();
    view.User = {1000, "ann", {1000}};
    view.VirtualDirectory = (Root() / "run/zolvek-ports").string();
    view.HardwarePorts = [ports] { return std::optional(ports); };
    view.UsbDevices = [] { return std::optional(std::vector<TUsbDevice>{}); };
    view.SelfPid = ::getpid();
    return view;
  }

 private:
  serial::test::TTempDir Root;
};

// A real process ("sleep") that holds a port open and locked, as a terminal
// program would; ended with the object.
class THeldPort {
 public:
  explicit THeldPort(const std::string& path) {
    Pid = ::fork();
    if (Pid == 0) {
      const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
      if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(127);
      ::execlp("sleep", "sleep", "60", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Held once the program's way of opening meets the lock, and sleep runs.
    for (int i = 0; i < 400 && (TryOpen(path) != EBUSY || Comm() != "sleep"); ++i) ::usleep(5000);
  }
  ~THeldPort() {
    ::kill(Pid, SIGKILL);
    ::waitpid(Pid, nullptr, 0);
  }
  THeldPort(const THeldPort&) = delete;
  THeldPort& operator=(const THeldPort&) = delete;
  pid_t Pid = -1;

 private:
  std::string Comm() const {
    std::ifstream in("/proc/" + std::to_string(Pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
  }
};

inline const TFinding* FindingOf(const TFindings& findings, const std::string& check,
                                 const std::string& port = {}) {
  for (const TFinding& f : findings)
    if (f.Check == check && f.Port == port) return &f;
  return nullptr;
}

}  // namespace doctor::test
