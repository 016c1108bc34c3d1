#pragma once
// A pseudo-terminal pair for tests: the component under test opens the
// slave by its path, the test (or a peer thread) plays the device on the
// master. Both sides are raw: the bytes pass unchanged, null bytes included.
// Owns both descriptors; one thread at a time reads the master.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

namespace test_support {

class TPtyPair {
 public:
  TPtyPair() {
    char name[256] = {};
    if (::openpty(&MasterFd, &SlaveFd, name, nullptr, nullptr) != 0)
      throw std::runtime_error("openpty failed");
    Path = name;
    for (int fd : {MasterFd, SlaveFd}) {
      termios tio{};
      ::tcgetattr(fd, &tio);
      ::cfmakeraw(&tio);
      ::tcsetattr(fd, TCSANOW, &tio);
    }
  }
  ~TPtyPair() {
    CloseMaster();
    if (SlaveFd >= 0) ::close(SlaveFd);
  }
  TPtyPair(const TPtyPair&) = delete;
  TPtyPair& operator=(const TPtyPair&) = delete;

  const std::string& SlavePath() const { return Path; }
  int Master() const { return MasterFd; }

  // The device hangs up.
  void CloseMaster() {
    if (MasterFd >= 0) ::close(MasterFd);
    MasterFd = -1;
  }

  void Send(const std::string& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(MasterFd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) throw std::runtime_error("write to master failed");
      done += static_cast<std::size_t>(n);
    }
  }

  // Reads from the master until count bytes came or timeoutMs passed.
  std::string Receive(std::size_t count, int timeoutMs = 2000) const {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd fd{MasterFd, POLLIN, 0};
      if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
      char buffer[65536];
      const ssize_t n = ::read(MasterFd, buffer, std::min(sizeof buffer, count - got.size()));
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

 private:
  int MasterFd = -1;
  int SlaveFd = -1;  // held so the master never sees the line closed between opens
  std::string Path;
};

inline long long MillisSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

}  // namespace test_support
