// POSIX half of the event thread's needs: an eventfd as stop signal, and
// the nice value that RLIMIT_NICE allows.

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "serial/ComThreadPlatform.h"

namespace serial {

TStopSignal::TStopSignal() : Handle(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (Handle < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

TStopSignal::~TStopSignal() { ::close(static_cast<int>(Handle)); }

void TStopSignal::Set() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(static_cast<int>(Handle), &one, sizeof one);
}

void TStopSignal::Wait() const {
  pollfd fd{static_cast<int>(Handle), POLLIN, 0};
  while (::poll(&fd, 1, -1) < 0 && errno == EINTR) {
  }
}

int EventThreadNice(int current, std::uint64_t niceLimit) {
  // RLIMIT_NICE n lets a thread without privileges go down to nice 20 - n.
  const int lowest = 20 - static_cast<int>(std::min<std::uint64_t>(niceLimit, 40));
  return std::min(current, lowest);
}

void RaiseEventThreadPriority() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NICE, &limit) != 0) return;
  const id_t self = static_cast<id_t>(::gettid());
  errno = 0;
  const int current = ::getpriority(PRIO_PROCESS, self);
  if (errno != 0) return;
  const int chosen = EventThreadNice(current, limit.rlim_cur);
  if (chosen < current) ::setpriority(PRIO_PROCESS, self, chosen);
}

}  // namespace serial
