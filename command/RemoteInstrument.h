#pragma once
// The program as the remote control's instrument: every remote setting is
// the command path's operation by meaning, with the controls' checks, so
// the window shows it and the tick sends it as if the user had made it.
// Several settings at once are tried first on a copy of the command path,
// offline, and made only when all of them are taken there.
//
// Refers to the command path, owned by the program's run, which must
// outlive it. GUI thread only.

#include "command/GeneratorControl.h"
#include "remote/Instrument.h"

namespace control {

class TRemoteInstrument : public remote::TInstrument {
 public:
  TRemoteInstrument(TGeneratorControl& control, TWaitWithMessages wait);

  std::string PortName() const override;
  bool Online() const override;
  remote::TOutcome Connect(const std::string& name) override;
  void Disconnect() override;
  bool Busy() const override;
  void Reset() override;

  remote::TOutcome Set(TSetting setting, double value) override;
  double Get(TSetting setting) const override;
  remote::TLimits Limits(TSetting setting) const override;
  remote::TOutcome SetAll(const std::vector<remote::TSettingValue>& values) override;
  remote::TOutcome Restart() override;

  double Amplitude() const override;
  double AmplitudeAt(int function, int step) const override;

  void WhenWritten(std::function<void()> done) override;

 private:
  TGeneratorControl& Control;
  TWaitWithMessages Wait;
};

}  // namespace control
