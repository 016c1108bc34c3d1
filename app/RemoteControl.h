#pragma once
// The remote control of a run: the program's instrument, the SCPI core, and
// the raw socket and VXI-11 servers on it (one parser, one error queue),
// alive for as long as the run. Both servers admit clients by the
// same rules (--allow, --idle-timeout) and tell on standard error whom
// they refused or closed. A generator lost while online is told to the
// remote clients through the core.
//
// Owns them all; refers to the command path, which must outlive it.
// GUI thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/ProgramOptions.h"

namespace control {
class TGeneratorControl;
class TRemoteInstrument;
}  // namespace control
namespace remote {
class TScpiCore;
class TScpiServer;
class TVxi11Server;
class TAdmission;
struct TAdmissionRules;
}  // namespace remote

namespace app {

// A line for standard error: whom the servers refused or closed.
using TNotice = std::function<void(const std::string&)>;
// "zolvek: " and the text, as the window's program tells it.
void TellOnStandardError(const std::string& text);

class TRemoteControl {
 public:
  // Takes --allow and --idle-timeout from the options; the servers' lines
  // go to notice.
  TRemoteControl(control::TGeneratorControl& control, const TProgramOptions& options,
                 TNotice notice = TellOnStandardError);
  ~TRemoteControl();
  TRemoteControl(const TRemoteControl&) = delete;
  TRemoteControl& operator=(const TRemoteControl&) = delete;

  // Listens on "[ADDRESS:]PORT" ("" for 127.0.0.1:5025); false with a
  // message for standard error when it cannot (or --allow is no list).
  bool Listen(const std::string& address, std::string& error);
  // "HOST:PORT" listened on (the chosen port for port 0).
  std::string Address() const;
  // VXI-11 on ADDRESS ("" for 127.0.0.1); false with a message when it
  // cannot. note tells when clients asking the portmapper cannot find it.
  bool ListenVxi11(const std::string& address, std::string& error, std::string& note);

  // The raw socket's port, 0 before it listens.
  std::uint16_t ScpiPort() const;
  // VXI-11 listens and clients find it through a portmapper on port 111.
  bool Vxi11Findable() const;
  // What *IDN? answers now.
  std::string Identity() const;
  // The admission of the raw socket, and of VXI-11's core channel (null
  // before it listens): whom they admit and refuse.
  remote::TAdmission* ScpiAdmission();
  remote::TAdmission* Vxi11Admission();

 private:
  bool Rules(remote::TAdmissionRules& rules, std::string& error) const;

  control::TGeneratorControl& Control;
  TNotice Notice;
  std::function<void()> FormerDeviceLost;
  std::unique_ptr<control::TRemoteInstrument> Instrument;
  std::unique_ptr<remote::TScpiCore> Core;
  std::unique_ptr<remote::TScpiServer> Server;
  std::unique_ptr<remote::TVxi11Server> Vxi11;
  std::string Host;
  std::string Allow;
  int IdleTimeout;  // milliseconds, 0: never
};

}  // namespace app
