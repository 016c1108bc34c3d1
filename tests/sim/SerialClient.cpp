#include "tests/sim/SerialClient.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace sim::test {

using Clock = std::chrono::steady_clock;

TSerialClient::TSerialClient(const std::string& path) {
  Fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (Fd_ < 0) throw std::system_error(errno, std::generic_category(), "open " + path);
  termios tio{};
  ::tcgetattr(Fd_, &tio);
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | PARENB | CSTOPB);
  ::tcsetattr(Fd_, TCSANOW, &tio);
}

TSerialClient::~TSerialClient() { Close(); }

void TSerialClient::Close() {
  if (Fd_ >= 0) ::close(Fd_);
  Fd_ = -1;
}

void TSerialClient::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(Fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno != EAGAIN) throw std::system_error(errno, std::generic_category(), "write");
      pollfd fd{Fd_, POLLOUT, 0};
      ::poll(&fd, 1, 100);
      continue;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

static int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

std::string TSerialClient::ReadLine(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  std::string line;
  for (;;) {
    char byte;
    const ssize_t size = ::read(Fd_, &byte, 1);
    if (size == 1) {
      line += byte;
      if (byte == '\n') return line;
      continue;
    }
    if (size == 0 || errno != EAGAIN) return line;
    pollfd fd{Fd_, POLLIN, 0};
    if (::poll(&fd, 1, RemainingMs(deadline)) <= 0) return line;
  }
}

std::string TSerialClient::ReadBytes(std::size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  std::string bytes;
  while (bytes.size() < count) {
    char buffer[256];
    const ssize_t size = ::read(Fd_, buffer, std::min(sizeof buffer, count - bytes.size()));
    if (size > 0) {
      bytes.append(buffer, static_cast<std::size_t>(size));
      continue;
    }
    if (size == 0 || errno != EAGAIN) break;
    pollfd fd{Fd_, POLLIN, 0};
    if (::poll(&fd, 1, RemainingMs(deadline)) <= 0) break;
  }
  return bytes;
}

bool TSerialClient::WaitForHangUp(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    pollfd fd{Fd_, POLLIN, 0};
    if (::poll(&fd, 1, RemainingMs(deadline)) <= 0) return false;
    if (fd.revents & (POLLHUP | POLLERR)) return true;
    char buffer[256];
    const ssize_t size = ::read(Fd_, buffer, sizeof buffer);
    if (size == 0 || (size < 0 && errno == EIO)) return true;
  }
}

TTempDir::TTempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "zolvek-sim-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  Path_ = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(Path_, ignored);
}

}  // namespace sim::test
