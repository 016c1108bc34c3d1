// The VXI-11 core channel's procedures over the fake generator, without
// sockets: the facts a client relies on, the timing of writes and reads,
// links of several connections, locks, and clients that vanish.

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/Vxi11Service.h"
#include "tests/remote/FakeInstrument.h"
#include "tests/remote/Vxi11Calls.h"

namespace remote::test {
namespace {

using TConnection = TVxi11Service::TConnection;
namespace proc = vxi11::proc;
namespace verr = vxi11::error;

class Vxi11ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Service.Reply = [this](TConnection c, std::string reply) {
      Replies[c].push_back(std::move(reply));
    };
    Service.OnLinkDestroyed = [this] { ++Destroyed; };
  }

  // The reply if it came at once.
  std::optional<std::string> Call(TConnection c, const std::string& message) {
    TRpcCall call;
    EXPECT_EQ(ParseCall(message, call), TCallHeader::Call);
    Service.Call(c, call);
    return Take(c);
  }

  std::optional<std::string> Take(TConnection c) {
    auto& queue = Replies[c];
    if (queue.empty()) return std::nullopt;
    std::string reply = std::move(queue.front());
    queue.erase(queue.begin());
    return reply;
  }

  // Ticks and polls until the connection has its reply (at most ten ticks).
  std::string Answer(TConnection c, std::optional<std::string> now) {
    for (int tick = 0; !now && tick < 10; ++tick) {
      Device.Tick();
      Service.Poll();
      now = Take(c);
    }
    EXPECT_TRUE(now.has_value());
    return now.value_or("");
  }

  std::int32_t Link(TConnection c = 1, std::string_view device = "inst0") {
    const TReply reply =
        ParseReply(*Call(c, CoreCall(proc::CreateLink, CreateLinkArgs(device))), 4);
    EXPECT_EQ(reply.Word.at(0), verr::None);
    EXPECT_GE(reply.Word.at(3), 1024);
    return reply.Word.at(1);
  }

  TReply Write(std::int32_t link, std::string_view text, TConnection c = 1,
               std::int32_t flags = vxi11::flag::End) {
    return ParseReply(Answer(c, Call(c, CoreCall(proc::DeviceWrite, WriteArgs(link, text, flags)))),
                      2);
  }

  TReply Read(std::int32_t link, TConnection c = 1, std::uint32_t size = 4096,
              std::int32_t flags = 0, char termChar = 0) {
    return ParseReply(
        Answer(c, Call(c, CoreCall(proc::DeviceRead, ReadArgs(link, size, 2000, flags, termChar)))),
        2, true);
  }

  std::int32_t Simple(std::uint32_t procedure, const std::string& args, TConnection c = 1) {
    return ParseReply(*Call(c, CoreCall(procedure, args)), 1).Word.at(0);
  }

  TFakeInstrument Device;
  TScpiCore Core{Device};
  std::int64_t Clock = 0;
  TVxi11Service Service{Core, [this] { return Clock; }};
  std::map<TConnection, std::vector<std::string>> Replies;
  int Destroyed = 0;
};

TEST_F(Vxi11ServiceTest, WriteThenReadAnswersTheIdentityWithEnd) {
  const std::int32_t link = Link();
  const TReply written = Write(link, "*IDN?");
  EXPECT_EQ(written.Word, (std::vector<std::int32_t>{verr::None, 5}));
  const TReply read = Read(link);
  EXPECT_EQ(read.Word.at(0), verr::None);
  EXPECT_TRUE(read.Word.at(1) & vxi11::reason::End);
  EXPECT_EQ(read.Data, Core.Identity() + "\n");
}

TEST_F(Vxi11ServiceTest, ReadWithNothingPendingTimesOutAfterIoTimeout) {
  const std::int32_t link = Link();
  EXPECT_FALSE(Call(1, CoreCall(proc::DeviceRead, ReadArgs(link, 4096, 500))));
  Clock = 499;
  Service.Poll();
  EXPECT_FALSE(Take(1));
  EXPECT_EQ(Service.NextDeadline(), 500);
  Clock = 500;
  Service.Poll();
  const TReply reply = ParseReply(Take(1).value_or(""), 2, true);
  EXPECT_EQ(reply.Word, (std::vector<std::int32_t>{verr::IoTimeout, 0}));
  EXPECT_EQ(reply.Data, "");
}

TEST_F(Vxi11ServiceTest, AWriteThatChangesASettingIsAnsweredOnceTheTickWroteIt) {
  const std::int32_t link = Link();
  EXPECT_FALSE(Call(1, CoreCall(proc::DeviceWrite, WriteArgs(link, "FREQ 2000"))));
  EXPECT_EQ(Device.S.Frequency, FakeSnap(2000));
  Service.Poll();
  EXPECT_FALSE(Take(1)) << "not before the tick";
  Device.Tick();
  Service.Poll();
  EXPECT_EQ(ParseReply(Take(1).value_or(""), 2).Word, (std::vector<std::int32_t>{verr::None, 9}));
}

TEST_F(Vxi11ServiceTest, AWriteWhoseTickNeverComesTimesOutAfterOneSecondAtLeast) {
  const std::int32_t link = Link();
  EXPECT_FALSE(
      Call(1, CoreCall(proc::DeviceWrite, WriteArgs(link, "FREQ 2000", vxi11::flag::End, 0))));
  Clock = TVxi11Service::MinWriteWait - 1;
  Service.Poll();
  EXPECT_FALSE(Take(1));
  Clock = TVxi11Service::MinWriteWait;
  Service.Poll();
  EXPECT_EQ(ParseReply(Take(1).value_or(""), 2).Word,
            (std::vector<std::int32_t>{verr::IoTimeout, 9}));
}

TEST_F(Vxi11ServiceTest, AMessageWithoutEndIsContinuedByTheNextWrite) {
  const std::int32_t link = Link();
  EXPECT_EQ(Write(link, "FREQ 20", 1, 0).Word.at(0), verr::None);
  EXPECT_EQ(Device.S.Frequency, FakeSnap(1000));
  EXPECT_EQ(Write(link, "00;FREQ?").Word.at(0), verr::None);
  EXPECT_EQ(Read(link).Data, FormatReal(FakeSnap(2000)) + "\n");
}

struct TReadCase {
  const char* Name;
  std::uint32_t Size;
  std::int32_t Flags;
  char TermChar;
  std::string First;  // what the first read answers of "Zolvek,..."
  std::int32_t Reason;
};

class Vxi11ReadTest : public Vxi11ServiceTest, public ::testing::WithParamInterface<TReadCase> {};

TEST_P(Vxi11ReadTest, ReadEndsAtItsCountTermCharOrTheMessageEnd) {
  const TReadCase& c = GetParam();
  const std::int32_t link = Link();
  Write(link, "*IDN?");
  const TReply first = Read(link, 1, c.Size, c.Flags, c.TermChar);
  EXPECT_EQ(first.Data, c.First);
  EXPECT_EQ(first.Word.at(1), c.Reason);
  const TReply rest = Read(link);
  EXPECT_EQ(c.First + rest.Data, Core.Identity() + "\n");
  EXPECT_EQ(rest.Word.at(1), vxi11::reason::End);
}

INSTANTIATE_TEST_SUITE_P(Reasons, Vxi11ReadTest,
                         ::testing::Values(TReadCase{"RequestCount", 3, 0, 0, "Zol",
                                                     vxi11::reason::RequestCount},
                                           TReadCase{"TermChar", 4096, vxi11::flag::TermCharSet,
                                                     ',', "Zolvek,", vxi11::reason::Character},
                                           TReadCase{"TermCharNotSet", 6, 0, 'v', "Zolvek",
                                                     vxi11::reason::RequestCount}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Vxi11ServiceTest, UnknownLinkIsErrorFourEverywhere) {
  const std::int32_t link = Link();
  EXPECT_EQ(
      ParseReply(*Call(1, CoreCall(proc::DeviceWrite, WriteArgs(link + 1, "*RST"))), 2).Word.at(0),
      verr::InvalidLink);
  EXPECT_EQ(
      ParseReply(*Call(1, CoreCall(proc::DeviceRead, ReadArgs(link + 1))), 2, true).Word.at(0),
      verr::InvalidLink);
  EXPECT_EQ(Simple(proc::DestroyLink, LinkArgs(link + 1)), verr::InvalidLink);
  EXPECT_EQ(Simple(proc::DeviceReadStb, GenericArgs(link + 1)), verr::InvalidLink);
  EXPECT_EQ(Simple(proc::DestroyLink, LinkArgs(link), 2), verr::InvalidLink)
      << "another connection's link";
  EXPECT_EQ(Device.Resets, 0);
}

TEST_F(Vxi11ServiceTest, DataLongerThanMaxRecvSizeIsErrorFiveAndNothingIsWritten) {
  const std::int32_t link = Link();
  const std::string data = "FREQ 2000;" + std::string(TVxi11Service::MaxRecvSize - 9, ' ');
  EXPECT_EQ(ParseReply(*Call(1, CoreCall(proc::DeviceWrite, WriteArgs(link, data))), 2).Word,
            (std::vector<std::int32_t>{verr::Parameter, 0}));
  EXPECT_EQ(Device.S.Frequency, FakeSnap(1000));
}

struct TAcceptCase {
  const char* Name;
  std::string Message;
  TAcceptStat Stat;
};

class Vxi11AcceptTest : public Vxi11ServiceTest,
                        public ::testing::WithParamInterface<TAcceptCase> {};

TEST_P(Vxi11AcceptTest, CallsTheCoreDoesNotServeGetTheirAcceptStatus) {
  EXPECT_EQ(ParseReply(*Call(1, GetParam().Message)).Stat,
            static_cast<std::uint32_t>(GetParam().Stat));
}

INSTANTIATE_TEST_SUITE_P(
    Stats, Vxi11AcceptTest,
    ::testing::Values(TAcceptCase{"Procedure99", CoreCall(99, ""),
                                  TAcceptStat::ProcedureUnavailable},
                      TAcceptCase{"Program607B2", CallMessage(1, 0x0607B2, 1, 10),
                                  TAcceptStat::ProgramUnavailable},
                      TAcceptCase{"Version2", CallMessage(1, vxi11::CoreProgram, 2, 10),
                                  TAcceptStat::ProgramMismatch},
                      TAcceptCase{"ShortArguments", CoreCall(proc::CreateLink, Words({1, 0})),
                                  TAcceptStat::GarbageArguments},
                      TAcceptCase{"Null", CoreCall(proc::Null, ""), TAcceptStat::Success}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Vxi11ServiceTest, ProgramMismatchNamesVersionOne) {
  const TReply reply = ParseReply(*Call(1, CallMessage(1, vxi11::CoreProgram, 3, 10)), 2);
  EXPECT_EQ(reply.Word, (std::vector<std::int32_t>{1, 1}));
}

TEST_F(Vxi11ServiceTest, LinksOfSeveralConnectionsShareTheErrorQueueNotTheirReplies) {
  const std::int32_t first = Link(1), second = Link(2);
  EXPECT_NE(first, second);
  Write(first, "*IDN?", 1);
  Write(second, "FREQ?;BOGUS", 2);
  EXPECT_EQ(Read(second, 2).Data, FormatReal(FakeSnap(1000)) + "\n");
  Write(first, "SYST:ERR?", 1);
  EXPECT_EQ(Read(first, 1).Data, Core.Identity() + "\n");
  EXPECT_EQ(Read(first, 1).Data, "-113,\"Undefined header\"\n");
}

TEST_F(Vxi11ServiceTest, LinkFloodGetsErrorNineUntilOneGoes) {
  std::vector<std::int32_t> links;
  for (std::size_t i = 0; i < TVxi11Service::MaxLinks; ++i) links.push_back(Link(i + 1));
  const TReply refused = ParseReply(*Call(99, CoreCall(proc::CreateLink, CreateLinkArgs())), 4);
  EXPECT_EQ(refused.Word.at(0), verr::OutOfResources);
  EXPECT_EQ(Simple(proc::DestroyLink, LinkArgs(links.front()), 1), verr::None);
  EXPECT_EQ(Destroyed, 1);
  Link(99);
}

TEST_F(Vxi11ServiceTest, AWriteWhoseChangeTheLostGeneratorNeverGotIsAnIoError) {
  Device.IsOnline = true;
  const std::int32_t link = Link();
  EXPECT_FALSE(Call(1, CoreCall(proc::DeviceWrite, WriteArgs(link, "FREQ 2000"))));
  Device.IsOnline = false;  // lost before the tick wrote it
  EXPECT_EQ(ParseReply(Answer(1, std::nullopt), 1).Word.at(0), verr::IoError);
  EXPECT_EQ(Write(link, "FREQ 3000").Word.at(0), verr::None) << "offline: the demonstration";
}

TEST_F(Vxi11ServiceTest, OnlyTheInstrumentItselfCanBeLinked) {
  const TReply reply =
      ParseReply(*Call(1, CoreCall(proc::CreateLink, CreateLinkArgs("gpib0,5"))), 4);
  EXPECT_EQ(reply.Word.at(0), verr::DeviceNotAccessible);
  Link(1, "INST1");
}

TEST_F(Vxi11ServiceTest, AClientGoneBetweenWriteAndReadLeavesNothing) {
  const std::int32_t link = Link();
  Write(link, "*IDN?");
  Service.Drop(1);
  Service.Poll();
  EXPECT_EQ(Service.LinkCount(), 0u);
  EXPECT_EQ(Simple(proc::DestroyLink, LinkArgs(link)), verr::InvalidLink);
}

TEST_F(Vxi11ServiceTest, AClientGoneWhileItsWriteWaitsHasTheMessageFinishedUnanswered) {
  const std::int32_t link = Link();
  EXPECT_FALSE(Call(1, CoreCall(proc::DeviceWrite, WriteArgs(link, "FREQ 2000;*WAI;FREQ 3000"))));
  Service.Drop(1);
  Device.Tick();
  Service.Poll();
  EXPECT_EQ(Device.S.Frequency, FakeSnap(3000));
  Device.Tick();
  Service.Poll();
  EXPECT_EQ(Service.LinkCount(), 0u);
  EXPECT_FALSE(Take(1));
  EXPECT_FALSE(Service.Pending(1));
}

TEST_F(Vxi11ServiceTest, ALockKeepsOtherLinksOutUntilUnlockedOrItsConnectionGoes) {
  const std::int32_t mine = Link(1), other = Link(2);
  const auto lock = [](std::int32_t link) {
    return Words({static_cast<std::uint32_t>(link), 0, 0});
  };
  EXPECT_EQ(Simple(proc::DeviceLock, lock(mine), 1), verr::None);
  EXPECT_EQ(Simple(proc::DeviceLock, lock(other), 2), verr::Locked);
  EXPECT_EQ(
      ParseReply(*Call(2, CoreCall(proc::DeviceWrite, WriteArgs(other, "*RST"))), 2).Word.at(0),
      verr::Locked);
  EXPECT_EQ(Simple(proc::DeviceUnlock, LinkArgs(other), 2), verr::NoLockHeld);
  EXPECT_EQ(Simple(proc::DeviceUnlock, LinkArgs(mine), 1), verr::None);
  EXPECT_EQ(Simple(proc::DeviceLock, lock(other), 2), verr::None);
  Service.Drop(2);
  EXPECT_EQ(Simple(proc::DeviceLock, lock(mine), 1), verr::None);
  EXPECT_EQ(Device.Resets, 0);
}

TEST_F(Vxi11ServiceTest, StatusByteTriggerClearRemoteAndLocal) {
  const std::int32_t link = Link();
  Write(link, "*IDN?");
  EXPECT_EQ(ParseReply(*Call(1, CoreCall(proc::DeviceReadStb, GenericArgs(link))), 2).Word,
            (std::vector<std::int32_t>{verr::None, 16}));
  EXPECT_EQ(Simple(proc::DeviceTrigger, GenericArgs(link)), verr::NotSupported);
  EXPECT_EQ(Simple(proc::DeviceRemote, GenericArgs(link)), verr::None);
  EXPECT_EQ(Simple(proc::DeviceLocal, GenericArgs(link)), verr::None);
  EXPECT_EQ(Simple(proc::DeviceClear, GenericArgs(link)), verr::None);
  EXPECT_FALSE(Call(1, CoreCall(proc::DeviceRead, ReadArgs(link, 4096, 100))))
      << "the reply went with the clear";
  Clock = 100;
  Service.Poll();
  EXPECT_EQ(ParseReply(Take(1).value_or(""), 1).Word.at(0), verr::IoTimeout);
  Write(link, "*IDN?");
  EXPECT_EQ(Read(link).Data, Core.Identity() + "\n");
}

TEST_F(Vxi11ServiceTest, AWriteWhileTheWindowConnectsWaitsForIt) {
  const std::int32_t link = Link();
  Device.BusyNow = true;
  EXPECT_FALSE(Call(1, CoreCall(proc::DeviceWrite, WriteArgs(link, "FREQ 2000"))));
  EXPECT_TRUE(Service.Stalled());
  Service.Poll();
  EXPECT_EQ(Device.S.Frequency, FakeSnap(1000));
  Device.BusyNow = false;
  Service.Poll();
  EXPECT_FALSE(Service.Stalled());
  EXPECT_EQ(ParseReply(Answer(1, std::nullopt), 2).Word.at(0), verr::None);
  EXPECT_EQ(Device.S.Frequency, FakeSnap(2000));
}

}  // namespace
}  // namespace remote::test
