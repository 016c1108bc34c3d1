#pragma once
// Which of the masked line events happened between two samples of the modem
// lines and of the driver's line counters. The event wait samples both while
// it waits, since POSIX offers no wait for them beside the descriptor.
//
// Thread contract: plain functions without state.

#include <cstdint>

namespace serial {

// The modem status lines, as TIOCMGET reports them.
struct TModemLines {
  bool Cts = false;
  bool Dsr = false;
  bool Cd = false;  // receive-line signal detect
  bool Ring = false;

  static TModemLines FromTiocm(int bits);
};

// The driver's counters of breaks and receive errors (TIOCGICOUNT).
struct TLineCounters {
  int Break = 0;
  int Frame = 0;
  int Overrun = 0;
  int Parity = 0;
  int BufferOverrun = 0;
};

// CTS, DSR and RLSD on any change of their line; RING when the ring
// indicator goes off (the end of a ring, as Linux counts rings).
std::uint32_t ModemEvents(std::uint32_t mask, const TModemLines& before, const TModemLines& now);
// BREAK on a new break; ERR on a new framing, overrun, parity or buffer error.
std::uint32_t CounterEvents(std::uint32_t mask, const TLineCounters& before,
                            const TLineCounters& now);

}  // namespace serial
