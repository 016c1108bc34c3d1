#pragma once
// One remote client's conversation with the instrument: its input buffer,
// the position in the command tree, a wait it is held by, and the replies
// it has not collected yet. Any transport feeds it bytes (raw socket) or
// whole messages (VXI-11) and collects one reply message per input line.
//
// Owns its buffers; refers to the core, which must outlive it. Destroying a
// session drops its input and replies and turns its pending waits into
// no-ops. Thread contract: GUI thread only. Never destroy a session from
// inside its own Process (a connect there processes events).

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/ScpiCommands.h"

namespace remote {

class TScpiCore;

class TScpiSession {
 public:
  static constexpr std::size_t MaxLine = 4096;     // longer lines are discarded (-363)
  static constexpr std::size_t MaxInput = 16384;   // buffered input, complete lines included
  static constexpr std::size_t MaxOutput = 65536;  // uncollected replies that stop processing
  static constexpr std::size_t UnitsPerTurn =
      64;  // a turn of Process: whole lines up to these units

  explicit TScpiSession(TScpiCore& core);
  ~TScpiSession();
  TScpiSession(const TScpiSession&) = delete;
  TScpiSession& operator=(const TScpiSession&) = delete;

  // Takes at most Room() bytes of input and answers how many it took. A
  // line feed ends a message; a carriage return before it is dropped (and
  // not counted in MaxLine).
  std::size_t Receive(std::string_view bytes);
  // A whole message whose end terminates it (VXI-11 END), LF or not.
  std::size_t ReceiveMessage(std::string_view message);
  std::size_t Room() const;

  // Carries out the complete lines received, until a wait holds the
  // session, its replies fill MaxOutput, the lines run have UnitsPerTurn
  // units (so that one client's long input leaves the others and the
  // tick's answers their turn: call again soon), or they are all done.
  // Does nothing while the core cannot dispatch; call again when it can.
  void Process();

  // The client is gone: input, replies and the rest of the line running
  // are dropped, waits end in nothing, and the session takes no more.
  // Safe inside the session's own Process.
  void Abandon();

  bool HasReply() const { return !Output.empty(); }
  // The oldest reply message, its LF included.
  std::string TakeReply();

  // A wait has ended since the last call with the device gone: online when
  // it began, offline when it ended. Answers and forgets it.
  bool TakeDeviceLost();

  // The last Process ended its turn with lines left.
  bool TurnEnded() const { return TurnLeft == 0 && !Idle(); }

  // *OPC?, *WAI or the wait after settings holds the session.
  bool Waiting() const { return Wait != TWait::None; }
  // Everything received up to the last line feed is done, waits included.
  bool Idle() const { return !Current && Lines.empty() && !Waiting(); }

  // After a message that changed a setting, wait until the change is
  // written before the message counts as done (and its replies appear).
  bool WaitAfterSettings = false;
  // A wait ended: call Process soon, from the event loop (not from here).
  std::function<void()> OnWake;
  // Process has made the session Idle after it had work.
  std::function<void()> OnIdle;

 private:
  struct TLine {
    std::string Text;
    bool Overrun = false;  // the line was too long and is gone
  };
  struct TRunning {
    std::string Text;
    std::size_t Pos = 0;
    std::vector<std::string> Replies;
    bool Changed = false;
  };

  // Answers false when it stopped at a wait or was abandoned.
  bool RunLine();
  void RunUnit(const TUnit& unit);
  void StartWait(TWait wait);
  void WaitEnded();
  void FinishLine();

  TScpiCore& Core;
  std::deque<TLine> Lines;
  std::string Partial;  // the line being received
  bool Discarding = false;
  bool Abandoned = false;
  std::size_t Buffered = 0;  // bytes in Lines and Partial
  std::optional<TRunning> Current;
  std::vector<std::string> Path;  // parent node of the last header
  TWait Wait = TWait::None;
  bool OnlineAtWait = false;
  std::size_t TurnLeft = 0;  // units this Process may still run
  bool LostInWait = false;
  std::deque<std::string> Output;
  std::size_t OutputBytes = 0;
  // Shared with the instrument's callbacks of this session's waits.
  std::shared_ptr<TScpiSession*> Self;
};

}  // namespace remote
