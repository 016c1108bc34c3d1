#include "remote/Vxi11Service.h"

#include <algorithm>
#include <utility>
#include <cctype>
#include <limits>

#include "remote/ScpiCore.h"
#include "remote/ScpiSession.h"

namespace remote {

namespace {

// "inst0", "INST1": the names clients give the instrument itself.
bool IsInstrumentName(std::string_view name) {
  if (name.size() < 5 || name.size() > 8) return false;
  for (std::size_t i = 0; i < 4; ++i)
    if (std::tolower(static_cast<unsigned char>(name[i])) != "inst"[i]) return false;
  return std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A write whose change the lost generator never got fails: the
// commands took effect in the program only.
std::int32_t WriteError(TScpiSession& session) {
  return session.TakeDeviceLost() ? vxi11::error::IoError : vxi11::error::None;
}

}  // namespace

// Counts the entry points on the stack: sessions are destroyed only at the
// outermost one, never under a session's own Process.
class TVxi11Service::TNesting {
 public:
  explicit TNesting(TVxi11Service& service) : Service(service) { ++Service.Depth; }
  ~TNesting() {
    if (--Service.Depth == 0) Service.Reap();
  }
  TNesting(const TNesting&) = delete;
  TNesting& operator=(const TNesting&) = delete;

 private:
  TVxi11Service& Service;
};

TVxi11Service::TVxi11Service(TScpiCore& core, TClock clock) : Core(core), Now(std::move(clock)) {}

TVxi11Service::~TVxi11Service() = default;

bool TVxi11Service::Pending(TConnection connection) const {
  return Calling.count(connection) || Waiting.count(connection);
}

bool TVxi11Service::Working(TConnection connection) const {
  if (Calling.count(connection)) return true;
  const auto found = Waiting.find(connection);
  if (found == Waiting.end()) return false;
  if (found->second.Procedure == vxi11::proc::DeviceWrite) return true;
  for (const auto& link : Links)
    if (!link->Orphan && link->Id == found->second.Link && link->Owner == connection)
      return !link->Reply.empty() || link->Session->HasReply() || !link->Session->Idle();
  return false;
}

bool TVxi11Service::LockedAgainst(const TLink& link) const {
  return LockHolder != 0 && LockHolder != link.Id;
}

std::size_t TVxi11Service::PlacesTaken(std::optional<TConnection> owner) const {
  return static_cast<std::size_t>(std::count_if(Links.begin(), Links.end(), [&](const auto& link) {
    if (owner) return !link->Orphan && link->Owner == *owner;
    return !link->Orphan || !link->Session->Idle();
  }));
}

bool TVxi11Service::FreePlaces(TConnection connection) {
  if (!IdleFor || !Evict) return false;
  std::optional<TConnection> victim;
  std::int64_t longest = 0;
  for (const auto& link : Links) {
    if (link->Orphan || link->Owner == connection) continue;
    const std::int64_t idle = IdleFor(link->Owner);
    if (idle >= Grace && (!victim || idle > longest)) {
      victim = link->Owner;
      longest = idle;
    }
  }
  if (!victim) return false;
  Evict(*victim);  // its Drop orphans the links, which are idle
  return PlacesTaken() < MaxLinks;
}

void TVxi11Service::Call(TConnection connection, const TRpcCall& call) {
  TNesting nesting(*this);
  Calling.insert(connection);
  std::optional<std::string> reply = Dispatch(connection, call);
  Calling.erase(connection);
  if (reply) Finish(connection, std::move(*reply));
}

std::optional<std::string> TVxi11Service::Dispatch(TConnection connection, const TRpcCall& call) {
  if (call.Program != vxi11::CoreProgram)
    return AcceptedReply(call.Xid, TAcceptStat::ProgramUnavailable);
  if (call.Version != vxi11::CoreVersion)
    return ProgramMismatchReply(call.Xid, vxi11::CoreVersion, vxi11::CoreVersion);
  std::string results;
  switch (call.Procedure) {
    case vxi11::proc::Null:
      break;
    case vxi11::proc::CreateLink:
      results = CreateLink(connection, call.Arguments);
      break;
    case vxi11::proc::DeviceWrite:
      return Write(connection, call.Xid, call.Arguments);
    case vxi11::proc::DeviceRead:
      return Read(connection, call.Xid, call.Arguments);
    case vxi11::proc::DestroyLink:
      results = DestroyLink(connection, call.Arguments);
      break;
    case vxi11::proc::DeviceReadStb:
    case vxi11::proc::DeviceTrigger:
    case vxi11::proc::DeviceClear:
    case vxi11::proc::DeviceRemote:
    case vxi11::proc::DeviceLocal:
      results = Generic(connection, call.Procedure, call.Arguments);
      break;
    case vxi11::proc::DeviceLock:
      results = Lock(connection, call.Arguments);
      break;
    case vxi11::proc::DeviceUnlock:
      results = Unlock(connection, call.Arguments);
      break;
    // Service requests, docmd and the interrupt channel: not supported.
    case vxi11::proc::DeviceEnableSrq:
    case vxi11::proc::DeviceDoCmd:
      results = LinkOnly(connection, call.Arguments, vxi11::error::NotSupported);
      break;
    case vxi11::proc::CreateIntrChan:
      results = vxi11::ErrorResp(vxi11::error::NotSupported);
      break;
    case vxi11::proc::DestroyIntrChan:
      results = vxi11::ErrorResp(vxi11::error::ChannelNotEstablished);
      break;
    default:
      return AcceptedReply(call.Xid, TAcceptStat::ProcedureUnavailable);
  }
  if (call.Procedure != vxi11::proc::Null && results.empty())
    return AcceptedReply(call.Xid, TAcceptStat::GarbageArguments);
  return AcceptedReply(call.Xid, TAcceptStat::Success, results);
}

TVxi11Service::TLink* TVxi11Service::Owned(TConnection connection, std::int32_t id) {
  for (const auto& link : Links)
    if (!link->Orphan && link->Id == id && link->Owner == connection) return link.get();
  return nullptr;
}

std::unique_ptr<TScpiSession> TVxi11Service::NewSession() {
  auto session = std::make_unique<TScpiSession>(Core);
  // A write answers once the tick has written what it changed.
  session->WaitAfterSettings = true;
  session->OnWake = [this] {
    if (OnWake) OnWake();
  };
  return session;
}

std::string TVxi11Service::CreateLink(TConnection connection, std::string_view args) {
  vxi11::TCreateLinkParms parms;
  if (!vxi11::Decode(args, parms)) return {};
  const auto refuse = [](std::int32_t e) { return vxi11::CreateLinkResp(e, 0, 0, MaxRecvSize); };
  if (!IsInstrumentName(parms.Device)) return refuse(vxi11::error::DeviceNotAccessible);
  if (PlacesTaken(connection) >= MaxLinksPerConnection) return refuse(vxi11::error::OutOfResources);
  if (PlacesTaken() >= MaxLinks && !FreePlaces(connection))
    return refuse(vxi11::error::OutOfResources);
  // The lock is granted at once or not at all: no waiting for it.
  if (parms.LockDevice && LockHolder != 0) return refuse(vxi11::error::Locked);
  // Ids are positive and unique among the links, wrapping after the last.
  const auto advance = [this] {
    NextLink = NextLink == std::numeric_limits<std::int32_t>::max() ? 1 : NextLink + 1;
  };
  while (std::any_of(Links.begin(), Links.end(), [&](const auto& l) { return l->Id == NextLink; }))
    advance();
  auto link = std::make_unique<TLink>();
  link->Id = NextLink;
  advance();
  link->Owner = connection;
  link->Session = NewSession();
  if (parms.LockDevice) LockHolder = link->Id;
  const std::int32_t id = link->Id;
  Links.push_back(std::move(link));
  return vxi11::CreateLinkResp(vxi11::error::None, id, 0, MaxRecvSize);
}

std::optional<std::string> TVxi11Service::Write(TConnection connection, std::uint32_t xid,
                                                std::string_view args) {
  vxi11::TWriteParms parms;
  // Data up to the record's size decodes, so that too much of it is error 5.
  if (!vxi11::Decode(args, parms, static_cast<std::uint32_t>(args.size())))
    return AcceptedReply(xid, TAcceptStat::GarbageArguments);
  const auto answer = [&](std::int32_t e, std::uint32_t size) {
    return AcceptedReply(xid, TAcceptStat::Success, vxi11::WriteResp(e, size));
  };
  TLink* link = Owned(connection, parms.Link);
  if (!link) return answer(vxi11::error::InvalidLink, 0);
  if (LockedAgainst(*link)) return answer(vxi11::error::Locked, 0);
  if (parms.Data.size() > MaxRecvSize) return answer(vxi11::error::Parameter, 0);
  TScpiSession& session = *link->Session;
  // Room lacks only while earlier input is held (a connect runs): nothing
  // of this message is taken then.
  if (session.Room() < parms.Data.size() + 1) return answer(vxi11::error::OutOfResources, 0);
  session.TakeDeviceLost();  // what an earlier write saw is told already
  // The end flag ends the message; without it the next write continues it.
  if (parms.Flags & vxi11::flag::End)
    session.ReceiveMessage(parms.Data);
  else
    session.Receive(parms.Data);
  const auto size = static_cast<std::uint32_t>(parms.Data.size());
  Process(*link);
  if (session.Idle()) return answer(WriteError(session), size);
  TWaiting waiting;
  waiting.Xid = xid;
  waiting.Procedure = vxi11::proc::DeviceWrite;
  waiting.Link = link->Id;
  waiting.Deadline = Now() + std::max(parms.IoTimeout, MinWriteWait);
  waiting.Size = size;
  Waiting[connection] = waiting;
  return std::nullopt;
}

std::optional<std::string> TVxi11Service::Read(TConnection connection, std::uint32_t xid,
                                               std::string_view args) {
  vxi11::TReadParms parms;
  if (!vxi11::Decode(args, parms)) return AcceptedReply(xid, TAcceptStat::GarbageArguments);
  TLink* link = Owned(connection, parms.Link);
  const auto refuse = [&](std::int32_t e) {
    return AcceptedReply(xid, TAcceptStat::Success, vxi11::ReadResp(e, 0, {}));
  };
  if (!link) return refuse(vxi11::error::InvalidLink);
  if (LockedAgainst(*link)) return refuse(vxi11::error::Locked);
  if (auto data = TakeRead(*link, parms)) return AcceptedReply(xid, TAcceptStat::Success, *data);
  TWaiting waiting;
  waiting.Xid = xid;
  waiting.Procedure = vxi11::proc::DeviceRead;
  waiting.Link = link->Id;
  waiting.Deadline = Now() + parms.IoTimeout;
  waiting.Read = parms;
  Waiting[connection] = waiting;
  return std::nullopt;
}

std::optional<std::string> TVxi11Service::TakeRead(TLink& link, const vxi11::TReadParms& parms) {
  if (link.Reply.empty() && link.Session->HasReply()) link.Reply = link.Session->TakeReply();
  if (link.Reply.empty()) return std::nullopt;
  std::size_t count = std::min<std::size_t>(link.Reply.size(), parms.RequestSize);
  std::int32_t why = 0;
  if (parms.Flags & vxi11::flag::TermCharSet) {
    const std::size_t at = link.Reply.find(parms.TermChar);
    if (at < count) {
      count = at + 1;
      why |= vxi11::reason::Character;
    }
  }
  if (count == link.Reply.size()) why |= vxi11::reason::End;
  if (count == parms.RequestSize) why |= vxi11::reason::RequestCount;
  std::string results =
      vxi11::ReadResp(vxi11::error::None, why, std::string_view(link.Reply).substr(0, count));
  link.Reply.erase(0, count);
  return results;
}

std::string TVxi11Service::DestroyLink(TConnection connection, std::string_view args) {
  std::int32_t id = 0;
  if (!vxi11::DecodeLink(args, id)) return {};
  TLink* link = Owned(connection, id);
  if (!link) return vxi11::ErrorResp(vxi11::error::InvalidLink);
  Orphan(*link);
  if (OnLinkDestroyed) OnLinkDestroyed();
  return vxi11::ErrorResp(vxi11::error::None);
}

std::string TVxi11Service::Generic(TConnection connection, std::uint32_t procedure,
                                   std::string_view args) {
  vxi11::TGenericParms parms;
  if (!vxi11::Decode(args, parms)) return {};
  TLink* link = Owned(connection, parms.Link);
  if (!link)
    return procedure == vxi11::proc::DeviceReadStb
               ? vxi11::ReadStbResp(vxi11::error::InvalidLink, 0)
               : vxi11::ErrorResp(vxi11::error::InvalidLink);
  if (procedure == vxi11::proc::DeviceReadStb) {
    const bool available = !link->Reply.empty() || link->Session->HasReply();
    return vxi11::ReadStbResp(vxi11::error::None, Core.Status().StatusByte(available));
  }
  if (LockedAgainst(*link)) return vxi11::ErrorResp(vxi11::error::Locked);
  switch (procedure) {
    case vxi11::proc::DeviceTrigger:
      return vxi11::ErrorResp(vxi11::error::NotSupported);  // the generator has no trigger
    case vxi11::proc::DeviceClear: {
      // Input and replies go; what the old session still carries out
      // finishes unanswered, and the link goes on with a fresh one.
      auto fresh = std::make_unique<TLink>();
      fresh->Orphan = true;
      fresh->Session = std::exchange(link->Session, NewSession());
      link->Reply.clear();
      Links.push_back(std::move(fresh));
      return vxi11::ErrorResp(vxi11::error::None);
    }
    default:
      return vxi11::ErrorResp(vxi11::error::None);  // remote and local: nothing to switch
  }
}

std::string TVxi11Service::Lock(TConnection connection, std::string_view args) {
  vxi11::TLockParms parms;
  if (!vxi11::Decode(args, parms)) return {};
  TLink* link = Owned(connection, parms.Link);
  if (!link) return vxi11::ErrorResp(vxi11::error::InvalidLink);
  // Granted at once or refused: no waiting for another link's lock.
  if (LockedAgainst(*link)) return vxi11::ErrorResp(vxi11::error::Locked);
  LockHolder = link->Id;
  return vxi11::ErrorResp(vxi11::error::None);
}

std::string TVxi11Service::Unlock(TConnection connection, std::string_view args) {
  std::int32_t id = 0;
  if (!vxi11::DecodeLink(args, id)) return {};
  TLink* link = Owned(connection, id);
  if (!link) return vxi11::ErrorResp(vxi11::error::InvalidLink);
  if (LockHolder != link->Id) return vxi11::ErrorResp(vxi11::error::NoLockHeld);
  LockHolder = 0;
  return vxi11::ErrorResp(vxi11::error::None);
}

std::string TVxi11Service::LinkOnly(TConnection connection, std::string_view args, std::int32_t e) {
  std::int32_t id = 0;
  if (!vxi11::DecodeLink(args, id)) return {};
  return vxi11::ErrorResp(Owned(connection, id) ? e : vxi11::error::InvalidLink);
}

void TVxi11Service::Orphan(TLink& link) {
  if (LockHolder == link.Id) LockHolder = 0;
  link.Orphan = true;
  link.Reply.clear();
}

void TVxi11Service::Process(TLink& link) {
  TNesting nesting(*this);
  link.Session->Process();
  // A long message goes on in turns, the others' calls between them.
  if (link.Session->TurnEnded() && Core.CanDispatch() && OnWake) OnWake();
  // Nobody reads an orphan's replies.
  if (link.Orphan)
    while (link.Session->HasReply()) link.Session->TakeReply();
}

void TVxi11Service::Drop(TConnection connection) {
  Waiting.erase(connection);
  for (const auto& link : Links)
    if (!link->Orphan && link->Owner == connection) Orphan(*link);
  if (OnWake) OnWake();
}

void TVxi11Service::Finish(TConnection connection, std::string reply) {
  Waiting.erase(connection);
  if (Reply) Reply(connection, std::move(reply));
}

void TVxi11Service::TryAnswer(TConnection connection) {
  const auto found = Waiting.find(connection);
  if (found == Waiting.end()) return;
  const TWaiting waiting = found->second;
  TLink* link = Owned(connection, waiting.Link);
  const bool late = Now() >= waiting.Deadline;
  const auto reply = [&](const std::string& results) {
    Finish(connection, AcceptedReply(waiting.Xid, TAcceptStat::Success, results));
  };
  if (waiting.Procedure == vxi11::proc::DeviceWrite) {
    if (link && link->Session->Idle())
      reply(vxi11::WriteResp(WriteError(*link->Session), waiting.Size));
    else if (late || !link)
      reply(vxi11::WriteResp(link ? vxi11::error::IoTimeout : vxi11::error::InvalidLink,
                             waiting.Size));
    return;
  }
  if (!link) return reply(vxi11::ReadResp(vxi11::error::InvalidLink, 0, {}));
  if (auto data = TakeRead(*link, waiting.Read))
    reply(*data);
  else if (late)
    reply(vxi11::ReadResp(vxi11::error::IoTimeout, 0, {}));
}

void TVxi11Service::Poll() {
  if (Depth > 0) return;  // the outer level goes on with it
  TNesting nesting(*this);
  // By index: a connect inside a command may add links meanwhile.
  for (std::size_t i = 0; i < Links.size(); ++i)
    if (!Links[i]->Session->Idle() || Links[i]->Orphan) Process(*Links[i]);
  std::vector<TConnection> waiting;
  for (const auto& [connection, call] : Waiting) waiting.push_back(connection);
  for (const TConnection connection : waiting) TryAnswer(connection);
}

std::optional<std::int64_t> TVxi11Service::NextDeadline() const {
  std::optional<std::int64_t> earliest;
  for (const auto& [connection, call] : Waiting)
    if (!earliest || call.Deadline < *earliest) earliest = call.Deadline;
  return earliest;
}

bool TVxi11Service::Stalled() const {
  return std::any_of(Links.begin(), Links.end(), [](const auto& link) {
    return !link->Session->Idle() && !link->Session->Waiting();
  });
}

void TVxi11Service::Reap() {
  std::erase_if(Links, [](const auto& link) { return link->Orphan && link->Session->Idle(); });
}

}  // namespace remote
