// DNS-SD in a build without libavahi-client: said once, nothing published.
#include "bridge/DnsSd.h"

namespace bridge {

struct TDnsSd::TState {
  TSay Say;
};

TDnsSd::TDnsSd(TSay say) : State(std::make_unique<TState>(TState{std::move(say)})) {}

TDnsSd::~TDnsSd() = default;

void TDnsSd::Publish(std::vector<TDnsSdService>, const std::string&) {
  State->Say(TLevel::Notice, "built without libavahi-client: not on DNS-SD");
}

void TDnsSd::Update(const std::string&) {}

bool TDnsSd::Established() const { return false; }

}  // namespace bridge
