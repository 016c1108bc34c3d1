#include "app/RemoteControl.h"

#include "control/RemoteInstrument.h"
#include "remote/ListenAddress.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiServer.h"
#include "remote/Vxi11Server.h"
#include "ui/WaitWithMessages.h"

namespace app {

TRemoteControl::TRemoteControl(control::TGeneratorControl& control)
    : Instrument(std::make_unique<control::TRemoteInstrument>(control, ui::WaitWithMessages)),
      Core(std::make_unique<remote::TScpiCore>(*Instrument)),
      Server(std::make_unique<remote::TScpiServer>(*Core)) {}

TRemoteControl::~TRemoteControl() = default;

bool TRemoteControl::Listen(const std::string& address, std::string& error) {
  const std::optional<remote::TListenAddress> where =
      address.empty() ? remote::TListenAddress{} : remote::ParseListenAddress(address);
  if (!where) {
    error = "--remote=" + address + " is not [ADDRESS:]PORT";
    return false;
  }
  if (!Server->Listen(*where)) {
    error = "cannot listen on " + where->Host + ":" + std::to_string(where->Port) + ": " +
            Server->ErrorString().toStdString();
    return false;
  }
  Host = where->Host;
  return true;
}

bool TRemoteControl::ListenVxi11(const std::string& address, std::string& error,
                                 std::string& note) {
  Vxi11 = std::make_unique<remote::TVxi11Server>(*Core);
  if (!Vxi11->Listen(address.empty() ? std::string("127.0.0.1") : address)) {
    error = "VXI-11: " + Vxi11->ErrorString().toStdString();
    return false;
  }
  note = Vxi11->PortmapperNote().toStdString();
  return true;
}

std::string TRemoteControl::Address() const {
  const bool ipv6 = Host.find(':') != std::string::npos;
  return (ipv6 ? "[" + Host + "]" : Host) + ":" + std::to_string(Server->Port());
}

}  // namespace app
