#include "remote/ScpiSession.h"

#include <algorithm>
#include <utility>

#include "remote/ScpiCore.h"
#include "remote/ScpiErrors.h"

namespace remote {

TScpiSession::TScpiSession(TScpiCore& core)
    : Core(core), Self(std::make_shared<TScpiSession*>(this)) {}

TScpiSession::~TScpiSession() = default;

std::size_t TScpiSession::Room() const {
  return Abandoned ? 0 : MaxInput - std::min(Buffered, MaxInput);
}

void TScpiSession::Abandon() {
  Abandoned = true;
  Self.reset();
  Lines.clear();
  Partial.clear();
  Buffered = 0;
  Output.clear();
  OutputBytes = 0;
  Wait = TWait::None;
}

std::size_t TScpiSession::Receive(std::string_view bytes) {
  const std::size_t taken = std::min(bytes.size(), Room());
  for (std::size_t i = 0; i < taken; ++i) {
    const char c = bytes[i];
    if (c == '\n') {
      if (!Partial.empty() && Partial.back() == '\r') {
        Partial.pop_back();
        --Buffered;
      }
      ++Buffered;  // an empty line takes room too
      Lines.push_back({std::move(Partial), Discarding});
      Partial.clear();
      Discarding = false;
    } else if (!Discarding) {
      Partial += c;
      ++Buffered;
      // A carriage return that may end the line is not part of it.
      if (Partial.size() > MaxLine + (c == '\r' ? 1 : 0)) {
        Buffered -= Partial.size();
        Partial.clear();
        Discarding = true;
      }
    }
  }
  return taken;
}

std::size_t TScpiSession::ReceiveMessage(std::string_view message) {
  const std::size_t taken = Receive(message);
  if (taken == message.size() && (message.empty() || message.back() != '\n')) Receive("\n");
  return taken;
}

void TScpiSession::Process() {
  if (Abandoned || !Core.CanDispatch()) return;
  bool worked = false;
  {
    TScpiCore::TDispatch dispatch(Core);
    TurnLeft = UnitsPerTurn;
    while (!Waiting() && !Abandoned && OutputBytes < MaxOutput && TurnLeft > 0) {
      if (!Current) {
        if (Lines.empty()) break;
        TLine line = std::move(Lines.front());
        Lines.pop_front();
        Buffered -= line.Text.size() + 1;
        if (line.Overrun)
          Core.Status().PushError(error::InputBufferOverrun,
                                  "line longer than " + std::to_string(MaxLine) + " bytes");
        Current = TRunning{std::move(line.Text), 0, {}, false};
        Path.clear();
      }
      worked = true;
      if (!RunLine()) break;
      if (WaitAfterSettings && Current->Changed) {
        Current->Changed = false;
        StartWait(TWait::Written);
        break;
      }
      FinishLine();
    }
  }
  if (Abandoned) {
    Current.reset();
    return;
  }
  if (worked && Idle() && OnIdle) OnIdle();
}

bool TScpiSession::RunLine() {
  // A line runs whole: its units count against the turn, which ends between lines.
  while (!Waiting() && !Abandoned && Current->Pos < Current->Text.size()) {
    RunUnit(ReadUnit(Current->Text, Current->Pos));
    if (TurnLeft > 0) --TurnLeft;
  }
  return !Waiting() && !Abandoned;
}

void TScpiSession::RunUnit(const TUnit& unit) {
  if (unit.Empty) return;
  if (unit.Error) {
    Core.Status().PushError(unit.Error);
    return;
  }
  std::vector<std::string> mnemonics;
  if (!unit.Header.Common) {
    // After ';' a header continues from the parent node of the one before;
    // a leading ':' starts again at the root.
    mnemonics = unit.Header.Rooted ? std::vector<std::string>{} : Path;
    mnemonics.insert(mnemonics.end(), unit.Header.Mnemonics.begin(), unit.Header.Mnemonics.end());
    Path.assign(mnemonics.begin(), mnemonics.end() - 1);
  } else {
    mnemonics = unit.Header.Mnemonics;
  }
  TCommandContext context{Core};
  context.MessageAvailable = !Output.empty() || !Current->Replies.empty();
  RunCommand(unit.Header, mnemonics, unit.Params, context);
  if (context.Reply) Current->Replies.push_back(std::move(*context.Reply));
  Current->Changed |= context.Changed;
  if (context.Wait != TWait::None) StartWait(context.Wait);
}

void TScpiSession::StartWait(TWait wait) {
  Wait = wait;
  OnlineAtWait = Core.Instrument().Online();
  Core.Instrument().WhenWritten([self = std::weak_ptr<TScpiSession*>(Self)] {
    if (const auto session = self.lock()) (*session)->WaitEnded();
  });
}

void TScpiSession::WaitEnded() {
  // Offline now after online then: what the wait was for never got there.
  if (OnlineAtWait && !Core.Instrument().Online()) LostInWait = true;
  if (Wait == TWait::WrittenThenOne && Current) Current->Replies.push_back("1");
  Wait = TWait::None;
  if (OnWake) OnWake();
}

void TScpiSession::FinishLine() {
  if (!Current->Replies.empty()) {
    std::string reply;
    for (const std::string& part : Current->Replies) reply += part + ";";
    reply.back() = '\n';
    OutputBytes += reply.size();
    Output.push_back(std::move(reply));
  }
  Current.reset();
}

bool TScpiSession::TakeDeviceLost() { return std::exchange(LostInWait, false); }

std::string TScpiSession::TakeReply() {
  if (Output.empty()) return {};
  std::string reply = std::move(Output.front());
  Output.pop_front();
  OutputBytes -= reply.size();
  return reply;
}

}  // namespace remote
