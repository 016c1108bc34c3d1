// The component's logic against a platform that records its calls.

#include <gtest/gtest.h>

#include <algorithm>

#include "serial/TinyComms.h"
#include "tests/serial/FakeComPlatform.h"
#include "tests/serial/ComPortError.h"

namespace serial {
namespace {

using test::MessageOf;

using test::TFakeComPlatform;
using TState = TFakeComPlatform::TState;

struct TFakePort {
  std::shared_ptr<TState> State = std::make_shared<TState>();
  TFakeComPlatform* Platform = nullptr;
  std::unique_ptr<TTinyComPort> Port;

  TFakePort() {
    auto platform = std::make_unique<TFakeComPlatform>(State);
    Platform = platform.get();
    Port = std::make_unique<TTinyComPort>(std::move(platform));
    Port->SetEvents(0);
    Port->SetPort("/dev/ttyFAKE");
  }
  void OpenPresent() {
    Port->SetPortPresent(true);
    Port->Open();
    State->TakeCalls();
  }
};

bool Contains(const std::vector<std::string>& calls, const std::string& prefix) {
  return std::any_of(calls.begin(), calls.end(),
                     [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

TEST(TinyCommsDefaults, ConstructorAndMainComPortValues) {
  TTinyComPort port(std::make_unique<TFakeComPlatform>(std::make_shared<TState>()));
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.Events(), AllEvents);
  EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 100);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
  EXPECT_EQ(port.SyncMethod(), smSynchronize);
  EXPECT_FALSE(port.PortPresent());
  EXPECT_FALSE(port.Connected());

  ApplyMainComPortSettings(port);
  EXPECT_EQ(port.Events(), 0);
  EXPECT_EQ(port.Timeouts().ReadInterval(), 3000);
  EXPECT_EQ(port.Timeouts().ReadTotalMultiplier(), 10);
  EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 1000);
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 0);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 0);
  EXPECT_EQ(BaudRateValue(br14400), 14400);
  EXPECT_EQ(BaudRateValue(br115200), 115200);
}

TEST(TinyCommsOpenClose, OpenConfiguresInOrderAndMainSettingsReachTheLine) {
  TFakePort f;
  ApplyMainComPortSettings(*f.Port);
  f.Port->SetPort("/dev/ttyFAKE");
  f.Port->SetPortPresent(true);
  f.Port->Open();
  const auto calls = f.State->TakeCalls();
  const std::vector<std::string> expected = {"Open /dev/ttyFAKE", "SetupQueues 1024 1024",
                                             "SetLine", "SetTimeouts"};
  EXPECT_EQ(calls, expected);
  const TLineSettings& line = f.State->Line;
  EXPECT_EQ(line.BaudRate, 9600u);
  EXPECT_EQ(line.ByteSize, 8);
  EXPECT_EQ(line.Parity, 0);
  EXPECT_EQ(line.StopBits, 0);
  EXPECT_TRUE(line.Binary);
  EXPECT_FALSE(line.ParityCheck || line.OutxCtsFlow || line.OutxDsrFlow || line.OutX || line.InX ||
               line.ErrorCharEnabled || line.DiscardNull);
  EXPECT_EQ(line.DtrControl, 0);
  EXPECT_EQ(line.RtsControl, 0);
  EXPECT_EQ(line.XonLim, 256);
  EXPECT_EQ(line.XoffLim, 256);
  EXPECT_EQ(line.XonChar, 0x11);
  EXPECT_EQ(line.XoffChar, 0x13);
  const TTimeoutSettings expectedTimeouts{3000, 10, 1000, 0, 0};
  EXPECT_EQ(f.State->Timeouts, expectedTimeouts);
}

TEST(TinyCommsOpenClose, MinusOneReachesThePlatformAsAllOnes) {
  TFakePort f;
  f.OpenPresent();
  EXPECT_EQ(f.State->Timeouts.ReadInterval, 0xFFFFFFFFu);
  EXPECT_EQ(f.State->Timeouts.WriteTotalConstant, 1000u);
}

TEST(TinyCommsOpenClose, OpenFailureRaisesAndStaysClosed) {
  TFakePort f;
  bool opened = false;
  f.Port->OnOpen = [&](TTinyComPort&) { opened = true; };
  f.State->FailOpen = true;
  EXPECT_EQ(MessageOf([&] { f.Port->Open(); }),
            "Unable to open com port: No such file or directory");
  EXPECT_FALSE(f.Port->Connected());
  EXPECT_FALSE(opened);
}

TEST(TinyCommsOpenClose, ConfigureFailureUndoesTheOpen) {
  for (int which = 0; which < 3; ++which) {
    TFakePort f;
    f.Port->SetPortPresent(true);
    f.State->FailQueues = which == 0;
    f.State->FailLine = which == 1;
    f.State->FailTimeouts = which == 2;
    bool opened = false;
    f.Port->OnOpen = [&](TTinyComPort&) { opened = true; };
    const std::string message = MessageOf([&] { f.Port->Open(); });
    EXPECT_EQ(message.rfind("Unable to set com state: ", 0), 0u) << message;
    EXPECT_FALSE(f.Port->Connected());
    EXPECT_FALSE(f.State->Open) << "the handle must be closed again";
    EXPECT_FALSE(opened);
  }
}

TEST(TinyCommsOpenClose, OpenOnOpenClosesFirstAndCloseOnClosedDoesNothing) {
  TFakePort f;
  std::vector<std::string> fired;
  f.Port->OnOpen = [&](TTinyComPort&) { fired.push_back("open"); };
  f.Port->OnClose = [&](TTinyComPort&) { fired.push_back("close"); };
  f.Port->Close();
  EXPECT_TRUE(fired.empty());
  EXPECT_TRUE(f.State->TakeCalls().empty());
  f.Port->Open();
  f.Port->Open();
  EXPECT_EQ(fired, (std::vector<std::string>{"open", "close", "open"}));
  f.Port->Close();
  f.Port->Close();
  EXPECT_EQ(fired.back(), "close");
  EXPECT_EQ(fired.size(), 4u);
}

TEST(TinyCommsSetters, ClosedSettersOnlyStoreAndOpenAppliesEverything) {
  TFakePort f;
  f.Port->SetBaudRate(br115200);
  f.Port->Parity().SetBits(prEven);
  f.Port->FlowControl().SetControlRts(rtsHandshake);
  f.Port->Timeouts().SetReadTotalConstant(77);
  f.Port->SetReadBufSize(4096);
  EXPECT_TRUE(f.State->TakeCalls().empty());
  f.OpenPresent();
  EXPECT_EQ(f.State->Line.BaudRate, 115200u);
  EXPECT_EQ(f.State->Line.Parity, 2);
  EXPECT_EQ(f.State->Line.RtsControl, 2);
  EXPECT_EQ(f.State->Line.XonLim, 1024);
  EXPECT_EQ(f.State->Timeouts.ReadTotalConstant, 77u);
}

TEST(TinyCommsSetters, OpenSettersReapplyTheirGroupAndSameValueCallsNothing) {
  TFakePort f;
  f.OpenPresent();
  f.Port->SetBaudRate(br9600);
  f.Port->Parity().SetBits(prNone);
  f.Port->FlowControl().SetOutCtsFlow(false);
  f.Port->Timeouts().SetReadInterval(-1);
  f.Port->SetReadBufSize(1024);
  f.Port->SetStopBits(sbOneStopBit);
  f.Port->SetSyncMethod(smSynchronize);
  EXPECT_TRUE(f.State->TakeCalls().empty());

  f.Port->SetBaudRate(br19200);
  f.Port->SetDataBits(dbSeven);
  f.Port->Parity().SetReplaceChar(0x3F);
  f.Port->FlowControl().SetXonXoffIn(true);
  EXPECT_EQ(f.State->TakeCalls(), std::vector<std::string>(4, "SetLine"));
  f.Port->Timeouts().SetWriteTotalConstant(5);
  EXPECT_EQ(f.State->TakeCalls(), std::vector<std::string>{"SetTimeouts"});
  EXPECT_EQ(f.State->Line.ByteSize, 7);
  EXPECT_EQ(f.State->Line.ErrorChar, 0) << "the replace char counts only with Replace";
  f.Port->Parity().SetReplace(true);
  EXPECT_EQ(f.State->Line.ErrorChar, 0x3F);
}

TEST(TinyCommsSetters, ReadBufSizeReappliesQueuesNowAndLimitsAtTheNextLineChange) {
  TFakePort f;
  f.OpenPresent();
  EXPECT_EQ(f.State->Line.XonLim, 256);
  f.Port->SetReadBufSize(2048);
  EXPECT_EQ(f.State->TakeCalls(), std::vector<std::string>{"SetupQueues 2048 1024"});
  EXPECT_EQ(f.State->Line.XonLim, 256);
  f.Port->SetEventChar(7);
  EXPECT_EQ(f.State->Line.XonLim, 512);
  EXPECT_EQ(f.State->Line.XoffLim, 512);
  EXPECT_EQ(f.State->Line.EvtChar, 7);
}

TEST(TinyCommsSetters, FailedReapplyKeepsTheNewValue) {
  TFakePort f;
  f.OpenPresent();
  f.State->FailLine = true;
  EXPECT_EQ(MessageOf([&] { f.Port->SetBaudRate(br300); }),
            "Unable to set com state: Inappropriate ioctl for device");
  EXPECT_EQ(f.Port->BaudRate(), br300);
  EXPECT_TRUE(f.Port->Connected());
}

TEST(TinyCommsSetters, SyncMethodIsRefusedWhileConnected) {
  TFakePort f;
  f.Port->SetSyncMethod(smNone);
  EXPECT_EQ(f.Port->SyncMethod(), smNone);
  f.OpenPresent();
  EXPECT_NO_THROW(f.Port->SetSyncMethod(smNone));
  EXPECT_EQ(MessageOf([&] { f.Port->SetSyncMethod(smWindow); }),
            "Cannot set SyncMethod while connected");
  EXPECT_EQ(f.Port->SyncMethod(), smNone);
  f.Port->Close();
  f.Port->SetSyncMethod(smWindow);
  EXPECT_EQ(f.Port->SyncMethod(), smWindow);
}

TEST(TinyCommsSettings, AssignCopiesValuesAndKeepsOwners) {
  TFakePort a, b;
  a.Port->Timeouts().SetReadInterval(3000);
  a.Port->Timeouts().SetWriteTotalMultiplier(0);
  a.Port->FlowControl().SetControlDtr(dtrEnable);
  a.Port->FlowControl().SetXonXoffOut(true);
  a.Port->Parity().SetBits(prMark);
  a.Port->Parity().SetReplaceChar(9);
  b.OpenPresent();
  b.Port->Timeouts().Assign(a.Port->Timeouts());
  b.Port->FlowControl().Assign(a.Port->FlowControl());
  b.Port->Parity().Assign(a.Port->Parity());
  EXPECT_TRUE(b.State->TakeCalls().empty()) << "a copy re-applies nothing";
  EXPECT_EQ(b.Port->Timeouts().ReadInterval(), 3000);
  EXPECT_EQ(b.Port->Timeouts().WriteTotalMultiplier(), 0);
  EXPECT_EQ(b.Port->FlowControl().ControlDtr(), dtrEnable);
  EXPECT_TRUE(b.Port->FlowControl().XonXoffOut());
  EXPECT_EQ(b.Port->Parity().Bits(), prMark);
  EXPECT_EQ(b.Port->Parity().ReplaceChar(), 9);
  // Each keeps its own owner: changing b's copy re-applies b only.
  b.Port->Parity().SetBits(prOdd);
  EXPECT_EQ(b.State->TakeCalls(), std::vector<std::string>{"SetLine"});
  EXPECT_TRUE(a.State->TakeCalls().empty());
}

TEST(TinyCommsAbsentPort, NothingReachesTheDeviceWhilePortPresentIsFalse) {
  TFakePort f;
  f.Port->Open();  // PortPresent false
  auto calls = f.State->TakeCalls();
  EXPECT_TRUE(Contains(calls, "SetLine"));
  EXPECT_TRUE(Contains(calls, "SetTimeouts"));
  EXPECT_FALSE(Contains(calls, "SetupQueues"));
  EXPECT_EQ(f.Port->Write("ABCD", 4, false), 0);
  EXPECT_EQ(f.Port->WriteStr("Z", true), 0);
  std::string s = "previous";
  EXPECT_EQ(f.Port->ReadStr(s, 5, true), 0);
  EXPECT_EQ(s.size(), 5u);
  EXPECT_EQ(f.Port->InputCount(), 0);
  EXPECT_EQ(f.Port->WaitForPending(), -2);
  f.Port->SetReadBufSize(99);
  f.Port->Close();
  calls = f.State->TakeCalls();
  for (const char* forbidden :
       {"StartWrite", "StartRead", "OpResult", "InputCount", "Purge", "SetupQueues"})
    EXPECT_FALSE(Contains(calls, forbidden)) << forbidden;
  EXPECT_FALSE(f.Port->HasPending());
}

TEST(TinyCommsTransfers, WriteFinishedAtOnceLeavesNothingPendingAndIsByteExact) {
  TFakePort f;
  f.OpenPresent();
  const char bytes[] = {'L', '\0', '\x7f', '\xff'};
  EXPECT_EQ(f.Port->Write(bytes, 4, false), 4);
  EXPECT_EQ(f.Port->WriteStr(std::string("a\0b", 3), true), 3);
  EXPECT_FALSE(f.Port->HasPending());
  EXPECT_EQ(f.State->Written, std::string("L\0\x7f\xff"
                                          "a\0b",
                                          7));
  EXPECT_EQ(f.Platform->Released.size(), 2u);
}

TEST(TinyCommsTransfers, PendingWritesAreWaitedForNewestFirst) {
  TFakePort f;
  f.OpenPresent();
  f.State->LeavePending = true;
  EXPECT_EQ(f.Port->Write("AAAAAA", 6, false), -1);
  EXPECT_EQ(f.Port->WriteStr("BB", false), -1);
  EXPECT_TRUE(f.Port->HasPending());
  EXPECT_EQ(f.Port->WaitForPending(), 2);
  EXPECT_EQ(f.Port->WaitForPending(), 6);
  EXPECT_EQ(f.Port->WaitForPending(), -2);
  EXPECT_EQ(f.State->WaitedOps, (std::vector<int>{2, 1}));
}

TEST(TinyCommsTransfers, WaitingWriteAndReadTakeTheirOwnOperation) {
  TFakePort f;
  f.OpenPresent();
  f.State->LeavePending = true;
  EXPECT_EQ(f.Port->WriteStr("xyz", true), 3);
  std::string s;
  EXPECT_EQ(f.Port->ReadStr(s, 4, true), 4);
  EXPECT_EQ(s, "abcd");
  EXPECT_FALSE(f.Port->HasPending());
}

TEST(TinyCommsTransfers, PendingReadFillsItsStringWhenTaken) {
  TFakePort f;
  f.OpenPresent();
  f.State->LeavePending = true;
  std::string s;
  EXPECT_EQ(f.Port->ReadStr(s, 3, false), -1);
  EXPECT_EQ(s.size(), 3u);
  EXPECT_EQ(f.Port->WaitForPending(), 3);
  EXPECT_EQ(s, "abc");
}

TEST(TinyCommsTransfers, ReadCountZeroAndReadFinishedAtOnce) {
  TFakePort f;
  f.OpenPresent();
  std::string s = "old";
  EXPECT_EQ(f.Port->ReadStr(s, 0, true), 0);
  EXPECT_EQ(s, "");
  EXPECT_EQ(f.Port->ReadStr(s, 2, false), 2);
  EXPECT_EQ(s, "ab");
  EXPECT_EQ(f.Port->ReadStr(s, -5, true), 0) << "a negative count reads nothing";
}

TEST(TinyCommsFailures, TransferFailuresCarryTheirPrefixesAndReleaseTheOperation) {
  TFakePort f;
  f.OpenPresent();
  f.State->FailWrite = true;
  EXPECT_EQ(MessageOf([&] { f.Port->WriteStr("Z", false); }),
            "Operation failed: Input/output error");
  f.State->FailRead = true;
  std::string s;
  EXPECT_EQ(MessageOf([&] { f.Port->ReadStr(s, 1, true); }),
            "Operation aborted: Input/output error");
  EXPECT_FALSE(f.Port->HasPending());
  f.State->FailWrite = false;
  f.State->LeavePending = true;
  f.State->FailResult = true;
  EXPECT_EQ(f.Port->WriteStr("Z", false), -1);
  EXPECT_EQ(MessageOf([&] { f.Port->WaitForPending(); }), "Operation failed: Input/output error");
  EXPECT_FALSE(f.Port->HasPending());
  EXPECT_EQ(f.Platform->Released.size(), 3u);
}

TEST(TinyCommsFailures, AbortAllReleasesEverythingEvenWhenThePurgeFails) {
  TFakePort f;
  f.OpenPresent();
  f.State->LeavePending = true;
  f.Port->WriteStr("1", false);
  f.Port->WriteStr("2", false);
  f.State->TakeCalls();
  f.Port->AbortAll();
  EXPECT_EQ(f.State->TakeCalls(), std::vector<std::string>{"Purge 3"});
  EXPECT_FALSE(f.Port->HasPending());
  EXPECT_EQ(f.Platform->Released, (std::vector<int>{2, 1}));
  f.Port->AbortAll();
  EXPECT_TRUE(f.State->TakeCalls().empty()) << "nothing pending, nothing purged";

  f.Port->WriteStr("3", false);
  f.State->FailPurge = true;
  bool closed = false;
  f.Port->OnClose = [&](TTinyComPort&) { closed = true; };
  EXPECT_EQ(MessageOf([&] { f.Port->Close(); }), "Cannot abort operation: Bad file descriptor");
  EXPECT_FALSE(f.Port->HasPending());
  EXPECT_TRUE(f.Port->Connected()) << "a failed abort ends Close before anything closes";
  EXPECT_FALSE(closed);
  EXPECT_TRUE(f.State->Open);
  f.Port->Close();  // nothing pending now
  EXPECT_TRUE(closed);
  EXPECT_FALSE(f.State->Open);
}

TEST(TinyCommsFailures, InputCountFailureAndValue) {
  TFakePort f;
  f.OpenPresent();
  f.State->InputCount = 17;
  EXPECT_EQ(f.Port->InputCount(), 17);
}

TEST(TinyCommsEvents, FiringWithoutHandlersDoesNothingAndRxCharGetsTheCount) {
  TFakePort f;
  f.OpenPresent();
  f.Port->FireEventBit(0x0001);  // no handler: InputCount not even asked
  EXPECT_EQ(f.State->Count("InputCount"), 0);
  std::int32_t seen = -1;
  f.Port->OnRxChar = [&](TTinyComPort& sender, std::int32_t inQue) {
    EXPECT_EQ(&sender, f.Port.get());
    seen = inQue;
  };
  f.State->InputCount = 5;
  f.Port->FireEventBit(0x0001);
  EXPECT_EQ(seen, 5);
  f.Port->FireEventBit(0x0800);  // not an event bit: ignored
}

}  // namespace
}  // namespace serial
