#include "tests/control/test_core_fixture.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace control::test {

TPtyDevice::TPtyDevice() {
  char name[128] = {};
  if (::openpty(&Master, &SlaveFd, name, nullptr, nullptr) != 0) {
    ADD_FAILURE() << "openpty failed";
    return;
  }
  Slave = name;
  // The master side sees the raw bytes: no echo or translation here.
  termios raw{};
  ::tcgetattr(Master, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(Master, TCSANOW, &raw);
  ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
}

TPtyDevice::~TPtyDevice() {
  if (Master >= 0) ::close(Master);
  if (SlaveFd >= 0) ::close(SlaveFd);
}

std::string TPtyDevice::ReadAll(int quietMs) {
  std::string received;
  for (;;) {
    pollfd fd{Master, POLLIN, 0};
    if (::poll(&fd, 1, quietMs) <= 0 || !(fd.revents & POLLIN)) return received;
    char buffer[512];
    const ssize_t n = ::read(Master, buffer, sizeof buffer);
    if (n <= 0) return received;
    received.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string TPtyDevice::ReadBytes(std::size_t count, int timeoutMs) {
  std::string received;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (received.size() < count && std::chrono::steady_clock::now() < end) {
    pollfd fd{Master, POLLIN, 0};
    if (::poll(&fd, 1, 10) <= 0) continue;
    char buffer[512];
    const ssize_t n = ::read(Master, buffer, std::min(sizeof buffer, count - received.size()));
    if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
  }
  return received;
}

void TPtyDevice::Send(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(Master, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (errno != EAGAIN && errno != EINTR) {
      ADD_FAILURE() << "write to the master side failed";
      return;
    }
  }
}

void TPtyDevice::HangUp() {
  if (Master >= 0) ::close(Master);
  Master = -1;
}

std::string Hex6(std::uint32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", value & 0xFFFFFF);
  return text;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

namespace {

std::string PacketToken(std::uint32_t value) {
  if (value >= 0x800000) return "fine:" + Hex6(value);
  if (value >= 0x400000) return "coarse:" + Hex6(value);
  return "code:" + Hex6(value);
}

int Byte(const std::string& bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

}  // namespace

std::vector<std::string> Tokens(const std::string& bytes) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    const std::size_t left = bytes.size() - i;
    if (c == 'L' && left >= 4) {
      tokens.push_back(PacketToken(static_cast<std::uint32_t>(
          (Byte(bytes, i + 1) << 16) | (Byte(bytes, i + 3) << 8) | Byte(bytes, i + 2))));
      i += 4;
    } else if ((c == 'p' || c == 'w') && left >= 3) {
      char text[8];
      std::snprintf(text, sizeof text, "%04X", Byte(bytes, i + 1) | (Byte(bytes, i + 2) << 8));
      tokens.push_back(std::string(1, c) + ":" + text);
      i += 3;
    } else if ((c == 'm' || c == 'd') && left >= 2) {
      tokens.push_back(std::string(1, c) + ":" + std::to_string(Byte(bytes, i + 1)));
      i += 2;
    } else {
      tokens.push_back(std::string(1, c));
      i += 1;
    }
  }
  return tokens;
}

void CoreTest::SetUp() {
  ASSERT_FALSE(Device.SlavePath().empty());
  serial::ApplyMainComPortSettings(Port);
  Port.SetPort(Device.SlavePath());
  Port.SetPortPresent(true);
  Port.Open();
  ASSERT_TRUE(Port.Connected());
  Cycle.PostRedraw = [this] { ++Redraws; };
  Cycle.PortLost = [this](const std::string& message) { Lost.push_back(message); };
  std::lock_guard<std::mutex> lock(Shared.Lock);
  Shared.State.DeviceOnline = true;
  Shared.Controls.RunDown = true;
}

void CoreTest::TearDown() {
  if (Port.Connected()) {
    try {
      Port.Close();
    } catch (const serial::EComPort&) {
      // A test that hung up the line leaves nothing to flush.
    }
  }
}

std::string CoreTest::Sent() {
  if (Port.Connected()) {
    try {
      Cycle.WritePending();
      Port.WaitForPending();
    } catch (const serial::EComPort&) {
    }
  }
  return Device.ReadAll();
}

std::string CoreTest::Tick() {
  Cycle.TimerCallback();
  return Sent();
}

}  // namespace control::test
