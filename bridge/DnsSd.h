#pragma once
// The bridge on DNS-SD (mDNS): its services, each with the LXI TXT entries,
// published through avahi-daemon and withdrawn when the object goes (at the
// bridge's exit). Without a running avahi-daemon it says so once and does
// nothing more; a daemon that starts later is used then, and one that
// restarts is followed. DnsSdAvahi.cpp holds the Avahi half, DnsSdNone.cpp
// the one for builds without libavahi-client.
//
// Owns the Avahi client and its entry group. GUI thread only: Avahi's
// callbacks run on the event loop (AvahiQtPoll).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bridge/Journal.h"

namespace bridge {

struct TDnsSdService {
  std::string Type;  // "_scpi-raw._tcp"
  std::uint16_t Port = 0;
};

// The LXI entries for what *IDN? answers ("MAKER,MODEL,SERIAL,FIRMWARE"):
// txtvers=1, Manufacturer, Model, SerialNumber, FirmwareVersion.
std::vector<std::string> LxiTxtRecords(const std::string& identity);
// "MAKER MODEL on HOST", within DNS-SD's 63 bytes of a name.
std::string ServiceName(const std::string& identity, const std::string& host);

class TDnsSd {
 public:
  explicit TDnsSd(TSay say);
  ~TDnsSd();
  TDnsSd(const TDnsSd&) = delete;
  TDnsSd& operator=(const TDnsSd&) = delete;

  // Publishes the services under one name for this identity.
  void Publish(std::vector<TDnsSdService> services, const std::string& identity);
  // The identity changed (the device came online on a port): new TXT.
  void Update(const std::string& identity);
  // The services are on the network (the daemon said so).
  bool Established() const;

 private:
  struct TState;
  std::unique_ptr<TState> State;
};

}  // namespace bridge
