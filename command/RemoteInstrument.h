#pragma once
// The program as the remote control's instrument: every remote setting is
// the command path's operation by meaning, with the controls' checks, so
// the window shows it and the tick sends it as if the user had made it.
//
// Refers to the command path, owned by the main window, which must outlive
// it. GUI thread only.

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
  remote::TLimits Limits(remote::TQuantity quantity) const override;

  remote::TOutcome SetRun(bool on) override;
  bool Run() const override;
  remote::TOutcome SetInverted(bool on) override;
  bool Inverted() const override;
  remote::TOutcome SetFunction(remote::TFunction function) override;
  remote::TFunction Function() const override;
  remote::TOutcome SetDivider(bool on) override;
  bool Divider() const override;

  remote::TOutcome SetFrequency(double hertz) override;
  double Frequency() const override;
  remote::TOutcome SetStep(double hertz) override;
  double Step() const override;
  remote::TOutcome SetStart(double hertz) override;
  double Start() const override;
  remote::TOutcome SetStop(double hertz) override;
  double Stop() const override;
  remote::TOutcome SetMarker(double hertz) override;
  double Marker() const override;

  remote::TOutcome SetAttenuation(int step) override;
  int Attenuation() const override;
  double Amplitude() const override;
  double AmplitudeAt(int step) const override;

  remote::TOutcome SetSweep(bool on) override;
  bool Sweep() const override;
  remote::TOutcome SetSweepTime(int seconds) override;
  int SweepTime() const override;
  remote::TOutcome SetSpacing(remote::TSpacing spacing) override;
  remote::TSpacing Spacing() const override;
  remote::TOutcome SetDirection(remote::TDirection direction) override;
  remote::TDirection Direction() const override;
  remote::TOutcome SetPause(bool on) override;
  bool Pause() const override;
  remote::TOutcome Restart() override;

  remote::TOutcome SetPulsePeriod(double seconds) override;
  double PulsePeriod() const override;
  remote::TOutcome SetPulseWidth(double seconds) override;
  double PulseWidth() const override;
  remote::TOutcome SetPrescaler(int prescaler) override;
  int Prescaler() const override;

  void WhenWritten(std::function<void()> done) override;

 private:
  // A model frequency as the output shows it (the divided square halves it).
  double Shown(double modelHertz) const;

  TGeneratorControl& Control;
  TWaitWithMessages Wait;
};

}  // namespace control
