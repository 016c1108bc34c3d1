#include "serial/CustomBaud.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace serial {

bool SetCustomLineRate(int fd, std::uint32_t rate) {
  termios2 tio{};
  if (ioctl(fd, TCGETS2, &tio) != 0) return false;
  tio.c_cflag &= ~CBAUD;
  tio.c_cflag |= BOTHER;
  tio.c_cflag &= ~(CBAUD << IBSHIFT);
  tio.c_cflag |= BOTHER << IBSHIFT;
  tio.c_ispeed = rate;
  tio.c_ospeed = rate;
  return ioctl(fd, TCSETS2, &tio) == 0;
}

}  // namespace serial
