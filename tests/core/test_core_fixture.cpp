#include "tests/core/test_core_fixture.h"

#include <cstdio>

namespace control::test {

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
  Settings.SetRun(true);
  Settings.UnmarkAll();
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
      WritePending();
      Port.WaitForPending();
    } catch (const serial::EComPort&) {
    }
  }
  const std::uint64_t written = BytesWritten.load();
  const std::string received = Device.Receive(static_cast<std::size_t>(written - BytesSeen));
  BytesSeen = written;
  return received;
}

void CoreTest::WritePending() {
  std::vector<TUpdateCycle::TCommand> commands;
  {
    std::lock_guard<std::mutex> lock(Shared.Lock);
    commands = Cycle.TakeQueued();
  }
  std::lock_guard<std::mutex> port(Shared.PortLock);
  WriteCommands(Port, commands);
}

std::string CoreTest::Tick() {
  Cycle.TimerCallback();
  return Sent();
}

}  // namespace control::test
