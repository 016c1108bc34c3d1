// Line events found between two samples of the modem lines and counters.

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include "serial/ComPlatform.h"
#include "serial/LineEvents.h"

namespace serial {
namespace {

constexpr std::uint32_t AllLineEvents =
    EvMaskCts | EvMaskDsr | EvMaskRlsd | EvMaskRing | EvMaskBreak | EvMaskErr;

TEST(ModemEvents, EachLineChangeInEitherDirectionIsItsOwnEvent) {
  const TModemLines none;
  EXPECT_EQ(ModemEvents(AllLineEvents, none, none), 0u);
  EXPECT_EQ(ModemEvents(AllLineEvents, none, {.Cts = true}), EvMaskCts);
  EXPECT_EQ(ModemEvents(AllLineEvents, {.Cts = true}, none), EvMaskCts);
  EXPECT_EQ(ModemEvents(AllLineEvents, none, {.Dsr = true}), EvMaskDsr);
  EXPECT_EQ(ModemEvents(AllLineEvents, {.Cd = true}, none), EvMaskRlsd);
  EXPECT_EQ(ModemEvents(AllLineEvents, {.Cts = true, .Dsr = true}, {.Cd = true}),
            EvMaskCts | EvMaskDsr | EvMaskRlsd);
}

TEST(ModemEvents, RingIsTheEndOfARing) {
  EXPECT_EQ(ModemEvents(AllLineEvents, {}, {.Ring = true}), 0u) << "ringing starts";
  EXPECT_EQ(ModemEvents(AllLineEvents, {.Ring = true}, {.Ring = true}), 0u) << "still ringing";
  EXPECT_EQ(ModemEvents(AllLineEvents, {.Ring = true}, {}), EvMaskRing);
}

TEST(ModemEvents, OnlyMaskedEventsAreReported) {
  const TModemLines all{true, true, true, false};
  const TModemLines ringing{false, false, false, true};
  EXPECT_EQ(ModemEvents(EvMaskDsr, all, {}), EvMaskDsr);
  EXPECT_EQ(ModemEvents(EvMaskRxChar | EvMaskTxEmpty, all, {}), 0u);
  EXPECT_EQ(ModemEvents(EvMaskCts, ringing, {}), 0u);
}

TEST(ModemEvents, TiocmBitsMapToTheirLines) {
  const TModemLines lines = TModemLines::FromTiocm(TIOCM_CTS | TIOCM_RI | TIOCM_DTR | TIOCM_RTS);
  EXPECT_TRUE(lines.Cts);
  EXPECT_FALSE(lines.Dsr);
  EXPECT_FALSE(lines.Cd);
  EXPECT_TRUE(lines.Ring);
  const TModemLines other = TModemLines::FromTiocm(TIOCM_DSR | TIOCM_CD);
  EXPECT_FALSE(other.Cts);
  EXPECT_TRUE(other.Dsr);
  EXPECT_TRUE(other.Cd);
  EXPECT_FALSE(other.Ring);
  EXPECT_EQ(ModemEvents(AllLineEvents, TModemLines::FromTiocm(TIOCM_DTR),
                        TModemLines::FromTiocm(TIOCM_RTS)),
            0u)
      << "our own output lines are no events";
}

TEST(CounterEvents, NewBreaksAndEachKindOfErrorAreReported) {
  const TLineCounters start{3, 1, 0, 2, 0};
  EXPECT_EQ(CounterEvents(AllLineEvents, start, start), 0u);
  TLineCounters now = start;
  now.Break = 4;
  EXPECT_EQ(CounterEvents(AllLineEvents, start, now), EvMaskBreak);
  for (int TLineCounters::*error : {&TLineCounters::Frame, &TLineCounters::Overrun,
                                    &TLineCounters::Parity, &TLineCounters::BufferOverrun}) {
    now = start;
    ++(now.*error);
    EXPECT_EQ(CounterEvents(AllLineEvents, start, now), EvMaskErr);
  }
  now = start;
  now.Break = 5;
  now.Parity = 9;
  EXPECT_EQ(CounterEvents(EvMaskBreak, start, now), EvMaskBreak) << "ERR not asked for";
  EXPECT_EQ(CounterEvents(EvMaskErr, start, now), EvMaskErr) << "BREAK not asked for";
}

TEST(CounterEvents, ACounterThatWrapsStillCounts) {
  TLineCounters before;
  before.Frame = 0x7FFFFFFF;
  TLineCounters after;
  after.Frame = static_cast<int>(0x80000000u);
  EXPECT_EQ(CounterEvents(EvMaskErr, before, after), EvMaskErr);
}

}  // namespace
}  // namespace serial
