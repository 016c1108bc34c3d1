#include "app/RemoteControl.h"

#include <cstdio>

#include "app/EventWait.h"

#include "command/GeneratorControl.h"
#include "command/RemoteInstrument.h"
#include "remote/Admission.h"
#include "remote/ListenAddress.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiServer.h"
#include "remote/Vxi11Server.h"

namespace app {

void TellOnStandardError(const std::string& text) {
  std::fprintf(stderr, "zolvek: %s\n", text.c_str());
}

TRemoteControl::TRemoteControl(control::TGeneratorControl& control, const TProgramOptions& options,
                               TNotice notice)
    : Control(control),
      Notice(std::move(notice)),
      FormerDeviceLost(control.Connection().DeviceLost),
      Instrument(std::make_unique<control::TRemoteInstrument>(control, WaitProcessingEvents)),
      Core(std::make_unique<remote::TScpiCore>(*Instrument)),
      Server(std::make_unique<remote::TScpiServer>(*Core)),
      Allow(options.Allow.value_or("")),
      IdleTimeout(options.IdleTimeout ? *options.IdleTimeout * 1000
                                      : remote::TAdmissionRules::DefaultIdleTimeout) {
  // Whoever else listens to the loss still hears it.
  control.Connection().DeviceLost = [this] {
    if (FormerDeviceLost) FormerDeviceLost();
    Core->DeviceLost();
  };
}

TRemoteControl::~TRemoteControl() { Control.Connection().DeviceLost = FormerDeviceLost; }

bool TRemoteControl::Rules(remote::TAdmissionRules& rules, std::string& error) const {
  rules.IdleTimeout = IdleTimeout;
  if (!Allow.empty() && !rules.Allow.Parse(Allow, error)) {
    error = "--allow=" + Allow + ": " + error;
    return false;
  }
  return true;
}

bool TRemoteControl::Listen(const std::string& address, std::string& error) {
  const std::optional<remote::TListenAddress> where =
      address.empty() ? remote::TListenAddress{} : remote::ParseListenAddress(address);
  if (!where) {
    error = "--remote=" + address + " is not [ADDRESS:]PORT";
    return false;
  }
  if (!Rules(Server->Admission().Rules, error)) return false;
  Server->Admission().Notice = [this](const QString& text) { Notice(text.toStdString()); };
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
  remote::TVxi11Options options;
  if (!address.empty()) options.Host = address;
  if (!Rules(options.Admission, error)) return false;
  Vxi11 = std::make_unique<remote::TVxi11Server>(*Core);
  Vxi11->Notice = [this](const QString& text) { Notice(text.toStdString()); };
  if (!Vxi11->Listen(options)) {
    error = "VXI-11: " + Vxi11->ErrorString().toStdString();
    return false;
  }
  note = Vxi11->PortmapperNote().toStdString();
  return true;
}

bool TRemoteControl::Vxi11Findable() const {
  return Vxi11 && Vxi11->Finding() != remote::TVxi11Server::TFinding::None;
}

std::string TRemoteControl::Identity() const { return Core->Identity(); }

std::uint16_t TRemoteControl::ScpiPort() const { return Host.empty() ? 0 : Server->Port(); }

remote::TAdmission* TRemoteControl::ScpiAdmission() { return &Server->Admission(); }

remote::TAdmission* TRemoteControl::Vxi11Admission() {
  return Vxi11 ? &Vxi11->CoreChannel().Admission() : nullptr;
}

std::string TRemoteControl::Address() const {
  const bool ipv6 = Host.find(':') != std::string::npos;
  return (ipv6 ? "[" + Host + "]" : Host) + ":" + std::to_string(Server->Port());
}

}  // namespace app
