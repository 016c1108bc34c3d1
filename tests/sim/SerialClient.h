#pragma once
// The program's side of a serial line in tests: opens a port path the way
// the program does (raw, 9600 8N1, non-blocking) and talks to the device.
// Owns its descriptor; one thread per client.

#include <chrono>
#include <string>
#include <string_view>

namespace sim::test {

class TSerialClient {
 public:
  // Throws std::system_error if the path cannot be opened.
  explicit TSerialClient(const std::string& path);
  ~TSerialClient();
  TSerialClient(const TSerialClient&) = delete;
  TSerialClient& operator=(const TSerialClient&) = delete;

  int Fd() const { return Fd_; }
  void Write(std::string_view bytes);
  // One line up to and including its line feed; what arrived so far
  // (possibly "") when the time-out passes first.
  std::string ReadLine(std::chrono::milliseconds timeout);
  // `count` bytes, or fewer if the time-out passes first.
  std::string ReadBytes(std::size_t count, std::chrono::milliseconds timeout);
  // True once the other side hung up (POLLHUP, EIO or end of file).
  bool WaitForHangUp(std::chrono::milliseconds timeout);
  void Close();

 private:
  int Fd_ = -1;
};

// A fresh directory removed with its contents at destruction.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::string& Path() const { return Path_; }

 private:
  std::string Path_;
};

}  // namespace sim::test
