// The SCPI line reader and sessions against the fake generator, which
// carries out every command a line names (both dialects, the common
// commands and the status). The first byte chooses the delivery:
//   bit 0  line by line, each line cut into pieces by the pacing; the same
//          input then runs again a whole line at a time, and both runs
//          must answer and end alike, as must its complete lines over the
//          other transport
//   bit 1  messages as VXI-11 writes carry them (each line one message,
//          settings waited for) instead of a raw socket's byte stream
//   bit 2  the generator is online
//   bit 3  a connect lets the other client's input arrive meanwhile
// Otherwise the bytes stream into two clients (alternate lines) in pieces,
// with ticks between them. The second byte seeds the pacing.
// What holds: every reply is one printable line; a client gets no more
// replies than it sent lines with a '?'; the error queue stays within its
// length; the generator never ends in a state the window cannot be in;
// and nothing runs while a connect holds the instrument.

#include <string>
#include <vector>

#include "remote/ScpiCore.h"
#include "remote/ScpiSession.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/remote/FakeInstrument.h"

namespace {

using remote::TScpiCore;
using remote::TScpiSession;
using remote::test::TFakeInstrument;

struct TOptions {
  bool LineByLine = false;
  bool Messages = false;
  bool Online = false;
  bool InputDuringConnect = false;
};

struct TOutcome {
  std::vector<std::string> Replies;
  remote::test::TFakeSettings Settings;
  std::size_t Errors = 0;
  bool operator==(const TOutcome&) const = default;
};

// One client: its session and what it was sent.
struct TClient {
  explicit TClient(TScpiCore& core) : Session(core) {}
  TScpiSession Session;
  std::size_t Queries = 0;  // lines sent with a '?' in them
  bool LineHasQuery = false;
  std::vector<std::string> Replies;

  void Count(std::string_view bytes) {
    for (const char c : bytes) {
      LineHasQuery |= c == '?';
      if (c == '\n') {
        Queries += LineHasQuery;
        LineHasQuery = false;
      }
    }
  }
  void Collect() {
    while (Session.HasReply()) {
      const std::string reply = Session.TakeReply();
      fuzz::Check(!reply.empty() && reply.back() == '\n', "a reply is a line");
      for (std::size_t i = 0; i + 1 < reply.size(); ++i)
        fuzz::Check(reply[i] >= 0x20 && reply[i] < 0x7F, "a reply is printable");
      Replies.push_back(reply);
    }
    fuzz::Check(Replies.size() <= Queries + LineHasQuery, "no reply without a query");
  }
};

class TRun {
 public:
  explicit TRun(const TOptions& options) : Options(options) {
    Device.IsOnline = Options.Online;
    Device.Port = Options.Online ? "sim0" : "";
    for (TClient* client : {&First, &Second}) client->Session.WaitAfterSettings = Options.Messages;
    if (Options.InputDuringConnect)
      Device.DuringConnect = [this] {
        const remote::test::TFakeSettings before = Device.S;
        Send(Second, "FREQ 2000;*RST;OUTP ON;SWE:STAT ON\n");
        Second.Session.Process();
        fuzz::Check(Device.S == before, "nothing runs while a connect holds the instrument");
      };
  }

  // Each line to the first client in pieces, then carried out to the end.
  void LineByLine(std::string_view text, fuzz::TPacing* pacing) {
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      const std::string_view line = text.substr(0, end == text.npos ? text.size() : end + 1);
      text.remove_prefix(line.size());
      if (Options.Messages) {
        SendMessage(First, line, pacing);
      } else {
        for (std::string_view rest = line; !rest.empty();) {
          const std::size_t piece = pacing ? 1 + pacing->Next(96) : rest.size();
          Send(First, rest.substr(0, piece));
          rest.remove_prefix(std::min(piece, rest.size()));
        }
      }
      Settle();
    }
  }

  // Alternate lines to the two clients, in pieces, ticking now and then.
  void Interleaved(std::string_view text, fuzz::TPacing& pacing) {
    std::size_t line = 0, stalled = 0;
    while (!text.empty()) {
      TClient& client = line % 2 ? Second : First;
      const std::size_t piece = std::min<std::size_t>(1 + pacing.Next(128), text.size());
      const std::string_view bytes = text.substr(0, piece);
      const std::size_t newline = bytes.find('\n');
      const std::size_t taken = newline == bytes.npos ? bytes.size() : newline + 1;
      const std::size_t accepted = Send(client, bytes.substr(0, taken));
      text.remove_prefix(accepted);
      if (accepted == taken && newline != bytes.npos) ++line;
      stalled = accepted ? 0 : stalled + 1;
      fuzz::Check(stalled < 256, "a client's input is taken once its lines before it ran");
      Step(pacing.Next(3) == 0);
    }
    Settle();
  }

  TOutcome Outcome() {
    TOutcome outcome{First.Replies, Device.S, Core.Status().ErrorCount()};
    outcome.Replies.insert(outcome.Replies.end(), Second.Replies.begin(), Second.Replies.end());
    return outcome;
  }

 private:
  std::size_t Send(TClient& client, std::string_view bytes) {
    const std::size_t taken = client.Session.Receive(bytes);
    client.Count(bytes.substr(0, taken));
    return taken;
  }

  // A VXI-11 write: the message whole, or continued over writes of pieces.
  void SendMessage(TClient& client, std::string_view line, fuzz::TPacing* pacing) {
    while (line.size() > 1 && pacing && pacing->Next(4) == 0) {
      const std::size_t piece = 1 + pacing->Next(static_cast<std::uint32_t>(line.size() - 1));
      Send(client, line.substr(0, piece));
      line.remove_prefix(piece);
    }
    const std::size_t taken = client.Session.ReceiveMessage(line);
    client.Count(line.substr(0, taken));
    if (taken == line.size() && (line.empty() || line.back() != '\n')) client.Count("\n");
  }

  void Step(bool tick) {
    for (TClient* client : {&First, &Second}) {
      client->Session.Process();
      client->Collect();
    }
    if (tick) Device.Tick();
    fuzz::Check(Device.Valid(), "the generator stays in a state the window can be in");
    fuzz::Check(Core.Status().ErrorCount() <= remote::TStatusRegisters::QueueLength,
                "the error queue stays within its length");
  }

  // Carries out what was received, ticking while the sessions wait.
  void Settle() {
    for (int round = 0; round < 400 && !(First.Session.Idle() && Second.Session.Idle()); ++round)
      Step(true);
    Step(false);
    fuzz::Check(First.Session.Idle() && Second.Session.Idle(),
                "what was received is carried out within the ticks it waits for");
  }

  TOptions Options;
  TFakeInstrument Device;
  TScpiCore Core{Device};
  TClient First{Core}, Second{Core};
};

void ScpiSession(std::string_view bytes) {
  fuzz::TFuzzInput input(bytes);
  const std::uint8_t choice = input.Byte();
  const TOptions options{(choice & 1) != 0, (choice & 2) != 0, (choice & 4) != 0,
                         (choice & 8) != 0};
  fuzz::TPacing pacing(input.Byte());
  const std::string_view text = input.Rest();
  if (!options.LineByLine) {
    TRun(options).Interleaved(text, pacing);
    return;
  }
  TRun pieces(options), whole(options);
  pieces.LineByLine(text, &pacing);
  whole.LineByLine(text, nullptr);
  fuzz::Check(pieces.Outcome() == whole.Outcome(),
              "a line answers and acts alike however it is cut");
  // The complete lines, as the other transport carries them.
  TOptions other = options;
  other.Messages = !options.Messages;
  const std::string_view complete = text.substr(0, text.rfind('\n') + 1);
  TRun mine(options), theirs(other);
  mine.LineByLine(complete, nullptr);
  theirs.LineByLine(complete, nullptr);
  fuzz::Check(mine.Outcome() == theirs.Outcome(),
              "a raw socket's line and a VXI-11 message answer and act alike");
}

}  // namespace

ZOLVEK_FUZZ_TARGET("scpi_session", ScpiSession)
