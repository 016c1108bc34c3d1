#pragma once
// The generator as the remote control sees it: the settings a user makes
// with the window's controls, set by their key with an answer whether each
// was taken, and read back as the device makes them.
//
// Thread contract: every member is called on the GUI thread only, never
// re-entrantly by the remote control (a session runs nothing while Busy()
// or while another command is being carried out). Connect may process
// events while it runs. An implementation decides every check itself: the
// ranges the dialogs enforce and the controls the current mode disables.
// A setter that does not answer Done changes nothing.

#include <functional>
#include <string>
#include <vector>

#include "core/Settings.h"

namespace remote {

enum class TOutcome {
  Done,
  OutOfRange,        // the value lies outside the setting's limits
  SettingsConflict,  // the current mode disables the control
  IllegalValue,      // the value is not one of the allowed ones
  Failed             // the operation was tried and did not succeed
};

using control::TSetting;

// In the setting's own unit: hertz, seconds, attenuator steps.
struct TLimits {
  double Min = 0.0;
  double Max = 0.0;
  double Default = 0.0;  // the start-up value
};

// One setting and the value it is to take.
struct TSettingValue {
  TSetting Setting;
  double Value = 0.0;
};

class TInstrument {
 public:
  virtual ~TInstrument() = default;

  // Connection. PortName is empty when no port was opened.
  virtual std::string PortName() const = 0;
  virtual bool Online() const = 0;
  // Opens the named port (as the port dialog lists it) and runs the
  // handshake; may take seconds and processes events meanwhile.
  virtual TOutcome Connect(const std::string& name) = 0;
  virtual void Disconnect() = 0;
  // A connect or handshake runs (started remotely or from the window).
  virtual bool Busy() const = 0;

  // The start-up settings; the connection is kept.
  virtual void Reset() = 0;

  // A setting by its key (core/Settings.h): numbers in the units a user
  // sees (hertz as the output shows them, seconds, steps), choices by their
  // number. Set changes nothing unless it answers Done. Get answers what
  // the device makes: the frequency on the synthesiser's grid (the pulse
  // rate in pulse mode), the pulse times of its codes.
  virtual TOutcome Set(TSetting setting, double value) = 0;
  virtual double Get(TSetting setting) const = 0;
  // What MINimum, MAXimum and DEFault stand for now.
  virtual TLimits Limits(TSetting setting) const = 0;
  // Several settings in order, all or nothing: each is checked as the ones
  // before it leave the generator, and none is made unless all are taken.
  virtual TOutcome SetAll(const std::vector<TSettingValue>& values) = 0;
  // Restarts the sweep from its starting end.
  virtual TOutcome Restart() = 0;

  // The output amplitude in volts that the screen shows, and the
  // calibrated amplitude of the attenuator a function (a Function number)
  // uses, at the step 0..15.
  virtual double Amplitude() const = 0;
  virtual double AmplitudeAt(int function, int step) const = 0;

  // Calls done later (never from inside WhenWritten), on the GUI thread,
  // once the tick that writes every change made so far has written it;
  // offline, after the next tick. While the program runs every call is
  // answered once, in the order of the calls; a session that waits for one
  // that never comes stays waiting.
  virtual void WhenWritten(std::function<void()> done) = 0;
};

}  // namespace remote
