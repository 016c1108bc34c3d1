// XDR, record marking and the RPC call header, and a fixed-seed fuzz of
// records through the whole core channel: whatever arrives, nothing
// crashes, nothing grows past its limits and the generator stays valid.

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "remote/Portmapper.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiSession.h"
#include "remote/Vxi11Service.h"
#include "tests/remote/FakeInstrument.h"
#include "tests/remote/Vxi11Calls.h"

namespace remote::test {
namespace {

std::string Marked(std::string_view fragment, bool last) {
  return Words({(last ? 0x80000000u : 0u) | static_cast<std::uint32_t>(fragment.size())}) +
         std::string(fragment);
}

TEST(XdrReaderTest, OpaqueIsBoundedPaddedAndNeverReadPastTheEnd) {
  std::string_view value;
  const std::string padded = Words({3}) + "abc" + '\0' + Words({9});
  TXdrReader reader(padded);
  ASSERT_TRUE(reader.Opaque(value, 3));
  EXPECT_EQ(value, "abc");
  std::uint32_t after = 0;
  EXPECT_TRUE(reader.Word(after));
  EXPECT_EQ(after, 9u);
  const std::string tooLong = Words({5}) + "abcde" + std::string(3, '\0');
  EXPECT_FALSE(TXdrReader(tooLong).Opaque(value, 4));
  const std::string pastEnd = Words({0x7FFFFFFF}) + "ab";
  EXPECT_FALSE(TXdrReader(pastEnd).Opaque(value, 0xFFFFFFFF));
  const std::string unpadded = Words({3}) + "abc";
  EXPECT_FALSE(TXdrReader(unpadded).Opaque(value, 3)) << "the padding belongs to the item";
  bool flag = false;
  const std::string two = Words({2, 0});
  TXdrReader notBoolean(two);
  EXPECT_FALSE(notBoolean.Boolean(flag));
  EXPECT_FALSE(notBoolean.Word(after)) << "a failed reader stays failed";
}

TEST(RecordReaderTest, FragmentsAreJoinedAndTheNextRecordWaits) {
  TRecordReader reader(64);
  const std::string stream =
      Marked("ab", false) + Marked("", false) + Marked("cd", true) + Marked("ef", true);
  std::size_t taken = 0;
  for (std::size_t i = 0; i < stream.size() && !reader.HasRecord(); ++i)  // a byte at a time
    taken += reader.Feed(std::string_view(stream).substr(i, 1));
  ASSERT_TRUE(reader.HasRecord());
  EXPECT_EQ(reader.Feed(std::string_view(stream).substr(taken)), 0u)
      << "nothing taken while a record waits";
  EXPECT_EQ(reader.TakeRecord(), "abcd");
  EXPECT_FALSE(reader.Partial());
  reader.Feed(std::string_view(stream).substr(taken, 3));
  EXPECT_TRUE(reader.Partial());
  reader.Feed(std::string_view(stream).substr(taken + 3));
  EXPECT_EQ(reader.TakeRecord(), "ef");
}

TEST(RecordReaderTest, ARecordPastTheLimitBreaksTheStreamBeforeItsBytesArrive) {
  TRecordReader reader(64);
  reader.Feed(Marked(std::string(40, 'a'), false));
  EXPECT_FALSE(reader.Broken());
  reader.Feed(Words({0x80000000u | 25}));
  EXPECT_TRUE(reader.Broken()) << "40 + 25 bytes";
  TRecordReader huge(64);
  EXPECT_EQ(huge.Feed(Words({0xFFFFFFFF}) + "x"), 4u);
  EXPECT_TRUE(huge.Broken());
}

TEST(RpcCallTest, TheCredentialAndVerifierLengthsAreRead) {
  // An AUTH_UNIX credential of 20 bytes, then a null verifier.
  TXdrWriter w;
  for (const std::uint32_t word : {42u, 0u, 2u, vxi11::CoreProgram, 1u, 10u, 1u, 20u}) w.Word(word);
  w.Raw(std::string(20, 'c'));
  for (const std::uint32_t word : {0u, 0u, 0xABCDu}) w.Word(word);
  TRpcCall call;
  ASSERT_EQ(ParseCall(w.Data(), call), TCallHeader::Call);
  EXPECT_EQ(call.Xid, 42u);
  EXPECT_EQ(call.Procedure, 10u);
  EXPECT_EQ(call.Arguments, Words({0xABCD}));
  EXPECT_EQ(ParseCall(Words({1, 0, 3}), call), TCallHeader::WrongRpcVersion);
  EXPECT_EQ(ParseCall(Words({1, 1, 2}), call), TCallHeader::NotACall);
  EXPECT_EQ(ParseCall(Words({1, 0, 2, 1, 1, 1, 0, 401}) + std::string(404, 'c'), call),
            TCallHeader::NotACall);
}

// Fixed-seed fuzz: valid calls, mutated calls and noise, in records split
// at random, through the record reader, the call header and the service
// of several connections that come and go.
TEST(Vxi11FuzzTest, RandomRecordsLeaveEverythingWithinItsLimits) {
  TFakeInstrument device;
  TScpiCore core(device);
  std::int64_t clock = 0;
  TVxi11Service service(core, [&] { return clock; });
  std::size_t replyBytes = 0, taken = 0;
  std::map<TVxi11Service::TConnection, std::vector<std::uint32_t>> links;  // from create_link
  std::uint32_t calling = 0;  // the procedure whose reply may come at once
  service.Reply = [&](TVxi11Service::TConnection connection, std::string reply) {
    replyBytes = std::max(replyBytes, reply.size());
    const TReply answer = ParseReply(reply, 1);
    if (!answer.Accepted || answer.Word[0] != 0) return;
    ++taken;
    if (calling == vxi11::proc::CreateLink)
      links[connection].push_back(ParseReply(reply, 2).Word.at(1));
  };
  std::mt19937 random(20261209);
  const std::vector<std::string> seeds = {
      CoreCall(vxi11::proc::CreateLink, CreateLinkArgs()),
      CoreCall(vxi11::proc::DeviceWrite, WriteArgs(1, "C1:BSWV WVTP,SINE,FRQ,1000,AMP,2;OUTP ON")),
      CoreCall(vxi11::proc::DeviceWrite, WriteArgs(2, "*IDN?;FREQ?", 0)),
      CoreCall(vxi11::proc::DeviceRead, ReadArgs(1, 3, 10, vxi11::flag::TermCharSet, ',')),
      CoreCall(vxi11::proc::DestroyLink, LinkArgs(1)),
      CoreCall(vxi11::proc::DeviceLock, Words({2, 1, 5})),
      CoreCall(vxi11::proc::DeviceClear, GenericArgs(3)),
      CallMessage(5, portmap::Program, 4, 3, Words({vxi11::CoreProgram, 1, 3}) + "tcp\0"),
  };
  std::vector<TRecordReader> readers(4, TRecordReader(rpc::MaxRecord));
  for (int round = 0; round < 20000; ++round) {
    const std::size_t connection = random() % readers.size();
    const std::size_t seed = random() % seeds.size();
    std::string message = seeds[seed];
    // The calls that name a link: mostly one of the connection's own.
    const auto& own = links[connection];
    const auto link = own.empty() || random() % 4 == 0 ? random() % 24 : own[random() % own.size()];
    if (seed > 0 && seed < seeds.size() - 1)
      message.replace(40, 4, Words({static_cast<std::uint32_t>(link)}));
    for (int edits = static_cast<int>(random() % 4); edits > 0 && !message.empty(); --edits)
      message[random() % message.size()] = static_cast<char>(random());
    if (round % 7 == 0) message.resize(random() % (message.size() + 1));
    TRecordReader& reader = readers[connection];
    std::string stream =
        round % 11 ? Marked(message, true) : message;  // now and then no marker at all
    while (!stream.empty() && !reader.Broken()) {
      stream.erase(0, reader.Feed(std::string_view(stream).substr(0, 1 + random() % 64)));
      if (!reader.HasRecord()) continue;
      const std::string record = reader.TakeRecord();
      TRpcCall call;
      if (service.Pending(connection) || ParseCall(record, call) != TCallHeader::Call) continue;
      if (call.Program == portmap::Program)
        ASSERT_LE(portmap::Reply(record, {9010, 111, "127.0.0.1"}).value_or("").size(), 256u);
      else {
        calling = call.Procedure;
        service.Call(connection, call);
        calling = 0;
      }
    }
    if (reader.Broken() || random() % 50 == 0) {
      service.Drop(connection);
      links.erase(connection);
      reader = TRecordReader(rpc::MaxRecord);
    }
    clock += random() % 200;
    device.Tick();
    service.Poll();
    ASSERT_LE(service.LinkCount(), TVxi11Service::MaxLinks);
    ASSERT_LE(replyBytes, 2 * TScpiSession::MaxOutput);
    ASSERT_TRUE(device.Valid());
    ASSERT_LE(core.Status().ErrorCount(), TStatusRegisters::QueueLength);
  }
  EXPECT_GT(taken, 800u) << "many calls were carried out";
  EXPECT_NE(device.S, TFakeSettings{}) << "some writes changed the generator";
}

}  // namespace
}  // namespace remote::test
