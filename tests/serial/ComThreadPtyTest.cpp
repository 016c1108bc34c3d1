// The event thread on a real line (a pseudo-terminal) and its priority.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <thread>

#include "serial/ComThreadPlatform.h"
#include "serial/TinyComms.h"
#include "tests/serial/EventRecorder.h"
#include "tests/serial/FakeComPlatform.h"
#include "tests/support/PtyPair.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
using test::TFakeEventPort;
using test::TRecorder;

// Lets the process go down to nice -2 where it may raise its limit (root).
class TNiceLimit {
 public:
  TNiceLimit() {
    ::getrlimit(RLIMIT_NICE, &Saved);
    rlimit wanted{22, std::max<rlim_t>(Saved.rlim_max, 22)};
    if (::setrlimit(RLIMIT_NICE, &wanted) != 0) {
      wanted = {Saved.rlim_max, Saved.rlim_max};
      ::setrlimit(RLIMIT_NICE, &wanted);
    }
  }
  ~TNiceLimit() { ::setrlimit(RLIMIT_NICE, &Saved); }
  // The nice value a thread without privileges may reach now.
  static int Lowest() {
    rlimit now{};
    ::getrlimit(RLIMIT_NICE, &now);
    return 20 - static_cast<int>(std::min<rlim_t>(now.rlim_cur, 40));
  }

 private:
  rlimit Saved{};
};

TEST(ComThreadLifecycle, ChoosesTheLowestNiceValueTheLimitAllowsAndNeverLowersItself) {
  struct TCase {
    int Current;
    std::uint64_t Limit;
    int Chosen;
  };
  for (const TCase& c : {TCase{0, 0, 0}, TCase{0, 20, 0}, TCase{0, 22, -2}, TCase{5, 25, -5},
                         TCase{-3, 21, -3}, TCase{0, RLIM_INFINITY, -20}, TCase{10, 12, 8}})
    EXPECT_EQ(EventThreadNice(c.Current, c.Limit), c.Chosen) << c.Current << " " << c.Limit;
}

// Needs the right to raise RLIMIT_NICE (CAP_SYS_RESOURCE) to see a change.
TEST(ComThreadLifecycle, RunsAtTheLowestNiceValueTheLimitAllows) {
  TNiceLimit limit;
  const int base = ::getpriority(PRIO_PROCESS, 0);
  if (TNiceLimit::Lowest() >= base)
    GTEST_SKIP() << "RLIMIT_NICE allows nothing above nice " << base;
  TFakeEventPort f({0x0004}, EventBit(evTxEmpty));
  std::atomic<int> nice{100};
  f.Port.OnTxEmpty = [&](TTinyComPort&) { nice = ::getpriority(PRIO_PROCESS, ::gettid()); };
  f.Port.Open();
  const auto end = std::chrono::steady_clock::now() + 2s;
  while (nice == 100 && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
  f.Port.Close();
  EXPECT_EQ(nice, TNiceLimit::Lowest());
  EXPECT_EQ(::getpriority(PRIO_PROCESS, 0), base) << "the owner's thread keeps its priority";
}

// ---- over a pseudo-terminal -------------------------------------------------

struct TPtyEventPort {
  test_support::TPtyPair Pty;
  TRecorder Recorder;  // outlives the port, whose handlers point to it
  TTinyComPort Port;

  explicit TPtyEventPort(TEvents events) {
    ApplyMainComPortSettings(Port);
    Port.SetEvents(events);
    Port.SetSyncMethod(smNone);
    Port.SetPort(Pty.SlavePath());
    Port.SetPortPresent(true);
    Recorder.Attach(Port);
  }
};

TEST(ComThreadPty, RxCharCarriesTheInputCountAndTxEmptyFollowsAWrite) {
  TPtyEventPort f(EventBit(evRxChar) | EventBit(evTxEmpty));
  f.Port.Open();
  f.Pty.Send("abc");
  ASSERT_TRUE(f.Recorder.WaitFor(1));
  EXPECT_EQ(f.Recorder.Snapshot().front(), "RxChar");
  EXPECT_EQ(f.Recorder.Counts.front(), 3);
  std::string s;
  EXPECT_EQ(f.Port.ReadStr(s, 3, true), 3);
  EXPECT_EQ(f.Port.WriteStr("Z", true), 1);
  ASSERT_TRUE(f.Recorder.WaitFor(2));
  EXPECT_EQ(f.Recorder.Snapshot()[1], "TxEmpty");
  EXPECT_EQ(f.Pty.Receive(1), "Z");
  f.Port.Close();
}

TEST(ComThreadPty, UnreadInputDoesNotMakeTheThreadSpin) {
  TPtyEventPort f(EventBit(evRxChar));
  f.Port.Open();
  f.Pty.Send("x");
  ASSERT_TRUE(f.Recorder.WaitFor(1));
  std::this_thread::sleep_for(300ms);  // the handler never reads
  EXPECT_EQ(f.Recorder.Snapshot().size(), 1u) << "no new byte, no new event";
  f.Pty.Send("y");
  ASSERT_TRUE(f.Recorder.WaitFor(2));
  EXPECT_EQ(f.Recorder.Counts.back(), 2);
  f.Port.Close();
}

TEST(ComThreadPty, RxCharFiresForEveryArrivalEvenWhenTheQueueCountStaysTheSame) {
  TPtyEventPort f(EventBit(evRxChar));
  f.Port.Open();
  f.Pty.Send("ab");
  ASSERT_TRUE(f.Recorder.WaitFor(1));
  std::string s;
  EXPECT_EQ(f.Port.ReadStr(s, 2, true), 2);
  f.Pty.Send("cd");  // at once: the queue holds 2 bytes again, as at the last event
  EXPECT_TRUE(f.Recorder.WaitFor(2)) << "the second arrival fired nothing";
  EXPECT_EQ(f.Port.ReadStr(s, 2, true), 2);
  EXPECT_EQ(s, "cd");
  f.Port.Close();
}

TEST(ComThreadPty, RxFlagFiresWhenTheEventCharacterArrives) {
  TPtyEventPort f(EventBit(evRxChar) | EventBit(evRxFlag));
  f.Port.SetEventChar('\n');
  f.Port.Open();
  f.Pty.Send("abc");
  ASSERT_TRUE(f.Recorder.WaitFor(1));
  std::this_thread::sleep_for(50ms);
  f.Pty.Send("\n");
  ASSERT_TRUE(f.Recorder.WaitFor(3));
  EXPECT_EQ(f.Recorder.Snapshot(), (std::vector<std::string>{"RxChar", "RxChar", "RxFlag"}));
  std::string s;
  EXPECT_EQ(f.Port.ReadStr(s, 4, true), 4) << "what the wait took off the line is still read";
  EXPECT_EQ(s, "abc\n");
  f.Port.Close();
}

TEST(ComThreadPty, CloseWhileTheThreadWaitsEndsItAtOnce) {
  TPtyEventPort f(AllEvents);
  f.Port.Open();
  std::this_thread::sleep_for(50ms);
  const auto start = std::chrono::steady_clock::now();
  f.Port.Close();
  EXPECT_LT(test_support::MillisSince(start), 300);
  EXPECT_FALSE(f.Port.Connected());
  EXPECT_TRUE(f.Recorder.Snapshot().empty());
}

TEST(ComThreadPty, HangUpEndsTheWaitAndCloseStillWorks) {
  TPtyEventPort f(EventBit(evRxChar));
  f.Port.Open();
  f.Pty.CloseMaster();
  std::this_thread::sleep_for(100ms);
  const auto start = std::chrono::steady_clock::now();
  f.Port.Close();
  EXPECT_LT(test_support::MillisSince(start), 300);
}

}  // namespace
}  // namespace serial
