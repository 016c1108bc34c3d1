// The Avahi half of DNS-SD: an Avahi client that waits for the daemon
// (AVAHI_CLIENT_NO_FAIL) and one entry group with every service, renamed
// on a collision and withdrawn when it is freed.
#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "bridge/AvahiQtPoll.h"
#include "bridge/DnsSd.h"

namespace bridge {

namespace {

// The TXT entries as Avahi's list; the caller frees it.
AvahiStringList* TxtList(const std::string& identity) {
  AvahiStringList* list = nullptr;
  const std::vector<std::string> records = LxiTxtRecords(identity);
  // Avahi adds at the front: the last entry first keeps the order on the wire.
  for (auto r = records.rbegin(); r != records.rend(); ++r)
    list = avahi_string_list_add(list, r->c_str());
  return list;
}

}  // namespace

struct TDnsSd::TState {
  explicit TState(TSay say) : Say(std::move(say)) {
    Restart.setSingleShot(true);
    QObject::connect(&Restart, &QTimer::timeout, [this] {
      Stop();
      Start();
    });
    Start();
  }

  ~TState() {
    // Freeing the group withdraws the services from the network.
    Stop();
    // Avahi's watches and timeouts go with deleteLater: now, not never.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void Start() {
    int error = 0;
    // The callback may run before this returns; it is given the client.
    Client = avahi_client_new(Poll.Api(), AVAHI_CLIENT_NO_FAIL, &TState::OnClient, this, &error);
    // No system bus at all: nothing to wait for.
    if (Client == nullptr) TellMissing(avahi_strerror(error));
  }

  void Stop() {
    if (Group != nullptr) avahi_entry_group_free(Group);
    if (Client != nullptr) avahi_client_free(Client);
    Group = nullptr;
    Client = nullptr;
    Established = false;
  }

  void TellMissing(const std::string& why) {
    if (ToldMissing) return;
    ToldMissing = true;
    Say(TLevel::Notice, "no avahi-daemon (" + why +
                            "): not on DNS-SD; lxi discover and the portmapper still find the "
                            "bridge");
  }

  static void OnClient(AvahiClient* client, AvahiClientState state, void* self) {
    static_cast<TState*>(self)->ClientState(client, state);
  }

  void ClientState(AvahiClient* client, AvahiClientState state) {
    Client = client;
    switch (state) {
      case AVAHI_CLIENT_S_RUNNING:
        Register();
        break;
      case AVAHI_CLIENT_S_COLLISION:
      case AVAHI_CLIENT_S_REGISTERING:
        // The host's own name is being settled: publish again once it is.
        if (Group != nullptr) avahi_entry_group_reset(Group);
        Established = false;
        break;
      case AVAHI_CLIENT_CONNECTING:
        TellMissing("it is not running");
        break;
      case AVAHI_CLIENT_FAILURE:
        // The daemon went away: a new client waits for its return.
        Established = false;
        Restart.start(RestartMs);
        break;
    }
  }

  void Register() {
    if (Services.empty() || Client == nullptr ||
        avahi_client_get_state(Client) != AVAHI_CLIENT_S_RUNNING)
      return;
    if (Group == nullptr) Group = avahi_entry_group_new(Client, &TState::OnGroup, this);
    if (Group == nullptr) {
      Say(TLevel::Warning, std::string("DNS-SD: ") + avahi_strerror(avahi_client_errno(Client)));
      return;
    }
    // Published already: the daemon tells the running state more than once.
    if (!avahi_entry_group_is_empty(Group)) return;
    if (Name.empty()) Name = ServiceName(Identity, avahi_client_get_host_name(Client));
    AddAll();
  }

  void AddAll() {
    for (const TDnsSdService& service : Services) {
      AvahiStringList* txt = TxtList(Identity);
      const int result = avahi_entry_group_add_service_strlst(
          Group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, static_cast<AvahiPublishFlags>(0),
          Name.c_str(), service.Type.c_str(), nullptr, nullptr, service.Port, txt);
      avahi_string_list_free(txt);
      if (result == AVAHI_ERR_COLLISION) return Rename();
      if (result < 0) {
        Say(TLevel::Warning, "DNS-SD: cannot add " + service.Type + ": " + avahi_strerror(result));
        return;
      }
    }
    avahi_entry_group_commit(Group);
  }

  void Rename() {
    char* other = avahi_alternative_service_name(Name.c_str());
    Say(TLevel::Notice, "DNS-SD: the name \"" + Name + "\" is taken; now \"" + other + "\"");
    Name = other;
    avahi_free(other);
    avahi_entry_group_reset(Group);
    AddAll();
  }

  static void OnGroup(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self) {
    static_cast<TState*>(self)->GroupState(group, state);
  }

  void GroupState(AvahiEntryGroup* group, AvahiEntryGroupState state) {
    Group = group;
    switch (state) {
      case AVAHI_ENTRY_GROUP_ESTABLISHED: {
        Established = true;
        std::string types;
        for (const TDnsSdService& s : Services)
          types += (types.empty() ? "" : ", ") + s.Type + " " + std::to_string(s.Port);
        Say(TLevel::Info, "on DNS-SD as \"" + Name + "\": " + types);
        break;
      }
      case AVAHI_ENTRY_GROUP_COLLISION:
        Rename();
        break;
      case AVAHI_ENTRY_GROUP_FAILURE:
        Established = false;
        Say(TLevel::Warning, std::string("DNS-SD: ") + avahi_strerror(avahi_client_errno(
                                                           avahi_entry_group_get_client(group))));
        break;
      case AVAHI_ENTRY_GROUP_UNCOMMITED:
      case AVAHI_ENTRY_GROUP_REGISTERING:
        break;
    }
  }

  void UpdateTxt() {
    if (Group == nullptr || avahi_entry_group_is_empty(Group)) return;
    for (const TDnsSdService& service : Services) {
      AvahiStringList* txt = TxtList(Identity);
      avahi_entry_group_update_service_txt_strlst(Group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                  static_cast<AvahiPublishFlags>(0), Name.c_str(),
                                                  service.Type.c_str(), nullptr, txt);
      avahi_string_list_free(txt);
    }
  }

  static constexpr int RestartMs = 1000;

  TSay Say;
  TAvahiQtPoll Poll;
  QTimer Restart;
  AvahiClient* Client = nullptr;
  AvahiEntryGroup* Group = nullptr;
  std::vector<TDnsSdService> Services;
  std::string Identity;
  std::string Name;
  bool ToldMissing = false;
  bool Established = false;
};

TDnsSd::TDnsSd(TSay say) : State(std::make_unique<TState>(std::move(say))) {}

TDnsSd::~TDnsSd() = default;

void TDnsSd::Publish(std::vector<TDnsSdService> services, const std::string& identity) {
  State->Services = std::move(services);
  State->Identity = identity;
  State->Register();
}

void TDnsSd::Update(const std::string& identity) {
  if (identity == State->Identity) return;
  State->Identity = identity;
  State->UpdateTxt();
}

bool TDnsSd::Established() const { return State->Established; }

}  // namespace bridge
