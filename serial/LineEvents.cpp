#include "serial/LineEvents.h"

#include <sys/ioctl.h>

#include "serial/ComPlatform.h"

namespace serial {

TModemLines TModemLines::FromTiocm(int bits) {
  return {(bits & TIOCM_CTS) != 0, (bits & TIOCM_DSR) != 0, (bits & TIOCM_CD) != 0,
          (bits & TIOCM_RI) != 0};
}

std::uint32_t ModemEvents(std::uint32_t mask, const TModemLines& before, const TModemLines& now) {
  std::uint32_t events = 0;
  if (before.Cts != now.Cts) events |= EvMaskCts;
  if (before.Dsr != now.Dsr) events |= EvMaskDsr;
  if (before.Cd != now.Cd) events |= EvMaskRlsd;
  if (before.Ring && !now.Ring) events |= EvMaskRing;
  return events & mask;
}

std::uint32_t CounterEvents(std::uint32_t mask, const TLineCounters& before,
                            const TLineCounters& now) {
  std::uint32_t events = 0;
  if (now.Break != before.Break) events |= EvMaskBreak;
  if (now.Frame != before.Frame || now.Overrun != before.Overrun || now.Parity != before.Parity ||
      now.BufferOverrun != before.BufferOverrun)
    events |= EvMaskErr;
  return events & mask;
}

}  // namespace serial
