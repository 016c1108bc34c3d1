#pragma once
// The VXI-11 core channel over the shared SCPI core: the links, each with
// its own session (the same parser, command set and error queue as the raw
// socket), and the procedures on them. Knows nothing of sockets: a
// transport hands it each call with the connection it came on and sends
// the replies it gives back, now or later.
//
// Timing: a device_write is answered once its session is idle, that is
// once the tick has written every change it made (the sessions wait after
// settings), or with I/O timeout after max(io_timeout, MinWriteWait); with
// I/O error when the generator was lost before the tick could write it. A
// device_read is answered with the link's pending reply, or once one comes,
// or with I/O timeout and no data after io_timeout. Nothing here waits:
// the transport calls Poll when woken and by NextDeadline.
//
// Owns the links and their sessions; refers to the core, which must
// outlive it. Thread contract: GUI thread only. A session's connect may
// process events and with them the transport's input, so every entry point
// may be called from inside another; sessions are only destroyed at the
// outermost level.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "remote/RpcMessage.h"
#include "remote/Vxi11Messages.h"

namespace remote {

class TScpiCore;
class TScpiSession;

class TVxi11Service {
 public:
  using TConnection = std::uint64_t;
  using TClock = std::function<std::int64_t()>;  // milliseconds, steady

  // What one device_write may carry: a SCPI line's length.
  static constexpr std::uint32_t MaxRecvSize = 4096;
  // Links of all connections together, and of one connection; the next
  // create_link gets error 9, unless another connection idle for Grace
  // holds links: that connection is closed for it.
  static constexpr std::size_t MaxLinks = 8;
  static constexpr std::size_t MaxLinksPerConnection = 4;
  // A device_write waits this long at least for its change to be written,
  // whatever io_timeout says: some clients send 0.
  static constexpr std::uint32_t MinWriteWait = 1000;

  TVxi11Service(TScpiCore& core, TClock clock);
  ~TVxi11Service();
  TVxi11Service(const TVxi11Service&) = delete;
  TVxi11Service& operator=(const TVxi11Service&) = delete;

  // The reply message (without record mark) to a call of the connection.
  std::function<void(TConnection, std::string)> Reply;
  // A link was destroyed by destroy_link (the rotating port advances).
  std::function<void()> OnLinkDestroyed;
  // Something can go on: call Poll soon, from the event loop.
  std::function<void()> OnWake;
  // Milliseconds a connection has been idle, and the closing of one (its
  // Drop follows): for a create_link when all links are taken. Without
  // them no connection is closed for another.
  std::function<std::int64_t(TConnection)> IdleFor;
  std::function<void(TConnection)> Evict;
  std::int64_t Grace = 2000;

  // A call that came on the core channel. Its reply comes through Reply,
  // at once or later; pass no further call of the connection meanwhile.
  void Call(TConnection connection, const TRpcCall& call);
  bool Pending(TConnection connection) const;
  // The connection's call is under way: inside Call, a write waiting for
  // the tick, or a read whose reply is still to come (a read that can only
  // time out is not).
  bool Working(TConnection connection) const;
  // The connection is gone: its call is dropped, its locks released and its
  // links destroyed; their sessions finish the lines they have, unanswered.
  void Drop(TConnection connection);

  // Carries on the sessions, answers the calls that can be answered and
  // times out those past their deadline.
  void Poll();
  // The earliest deadline of a waiting call, for the transport's timer.
  std::optional<std::int64_t> NextDeadline() const;
  // A session has input the core could not take yet (a connect runs):
  // Poll again shortly.
  bool Stalled() const;
  std::size_t LinkCount() const { return Links.size(); }

 private:
  struct TLink {
    std::int32_t Id = 0;
    TConnection Owner = 0;
    bool Orphan = false;  // destroyed for its client; goes once idle
    std::unique_ptr<TScpiSession> Session;
    std::string Reply;  // what the client has not read of the current reply
  };
  // A call answered later.
  struct TWaiting {
    std::uint32_t Xid = 0;
    std::uint32_t Procedure = 0;
    std::int32_t Link = 0;
    std::int64_t Deadline = 0;
    std::uint32_t Size = 0;    // device_write: the bytes taken
    vxi11::TReadParms Read{};  // device_read
  };
  class TNesting;

  std::optional<std::string> Dispatch(TConnection connection, const TRpcCall& call);
  std::string CreateLink(TConnection connection, std::string_view args);
  std::optional<std::string> Write(TConnection connection, std::uint32_t xid,
                                   std::string_view args);
  std::optional<std::string> Read(TConnection connection, std::uint32_t xid, std::string_view args);
  std::string DestroyLink(TConnection connection, std::string_view args);
  std::string Generic(TConnection connection, std::uint32_t procedure, std::string_view args);
  std::string Lock(TConnection connection, std::string_view args);
  std::string Unlock(TConnection connection, std::string_view args);
  std::string LinkOnly(TConnection connection, std::string_view args, std::int32_t error);

  // The connection's own live link, or null (error 4).
  TLink* Owned(TConnection connection, std::int32_t id);
  // Locked by another link (error 11).
  bool LockedAgainst(const TLink& link) const;
  // Links that hold a place: live ones, and orphans still at work.
  std::size_t PlacesTaken(std::optional<TConnection> owner = std::nullopt) const;
  // Closes the connection idle longest past the grace that holds links,
  // other than this one; false if there is none.
  bool FreePlaces(TConnection connection);
  std::unique_ptr<TScpiSession> NewSession();
  void Process(TLink& link);
  // The link's reply, or the next message of its session, cut as asked.
  std::optional<std::string> TakeRead(TLink& link, const vxi11::TReadParms& parms);
  void Orphan(TLink& link);
  void Finish(TConnection connection, std::string reply);
  void TryAnswer(TConnection connection);
  void Reap();

  TScpiCore& Core;
  TClock Now;
  std::vector<std::unique_ptr<TLink>> Links;
  std::map<TConnection, TWaiting> Waiting;
  std::set<TConnection> Calling;  // inside Call
  std::int32_t NextLink = 1;
  std::int32_t LockHolder = 0;
  int Depth = 0;
};

}  // namespace remote
