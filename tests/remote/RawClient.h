#pragma once
// A client on a plain non-blocking socket for the socket servers' tests,
// so that the test thread keeps running the server's event loop while it
// waits; and the wait itself.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <netinet/in.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace remote::test {

// Runs the event loop until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& condition, int milliseconds = 3000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// A TCP client on loopback; Send and the reads keep the event loop going.
class TRawClient {
 public:
  explicit TRawClient(std::uint16_t port, int receiveBuffer = 0) {
    Fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer)
      ::setsockopt(Fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Connected = ::connect(Fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::fcntl(Fd, F_SETFL, O_NONBLOCK);
  }
  ~TRawClient() { Close(); }
  TRawClient(const TRawClient&) = delete;
  TRawClient& operator=(const TRawClient&) = delete;

  void Close() {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
  }

  // Sends everything unless the connection fails; answers whether it was sent.
  bool Send(std::string_view text) {
    return PumpUntil([&] {
             const ssize_t n = ::send(Fd, text.data(), text.size(), MSG_NOSIGNAL);
             if (n > 0) text.remove_prefix(static_cast<std::size_t>(n));
             if (n < 0 && errno != EAGAIN) Failed = true;
             return text.empty() || Failed;
           }) &&
           !Failed;
  }

  // One read of what has arrived once something has, as liblxi does.
  std::string ReadWhatIsThere(int milliseconds = 3000) {
    std::string bytes;
    PumpUntil(
        [&] {
          char chunk[65536];
          const ssize_t n = ::recv(Fd, chunk, sizeof chunk, 0);
          if (n > 0) bytes.assign(chunk, static_cast<std::size_t>(n));
          if (n == 0 || (n < 0 && errno != EAGAIN)) Ended = true;
          return n >= 0 || Ended;
        },
        milliseconds);
    return bytes;
  }

  // The next reply message, LF included; empty if none came in time.
  std::string ReadLine(int milliseconds = 3000) {
    PumpUntil(
        [&] {
          if (Buffer.find('\n') != std::string::npos) return true;
          Buffer += ReadWhatIsThere(1);
          return Ended;
        },
        milliseconds);
    const std::size_t end = Buffer.find('\n');
    if (end == std::string::npos) return {};
    std::string line = Buffer.substr(0, end + 1);
    Buffer.erase(0, end + 1);
    return line;
  }

  // The server closed the connection (end of stream or reset).
  bool ClosedByServer(int milliseconds = 3000) {
    return PumpUntil(
        [&] {
          ReadWhatIsThere(1);
          return Ended;
        },
        milliseconds);
  }

  int Fd = -1;
  bool Connected = false;
  bool Failed = false;
  bool Ended = false;
  std::string Buffer;
};

}  // namespace remote::test
