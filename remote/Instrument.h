#pragma once
// The generator as the remote control sees it: the settings a user makes
// with the window's controls, each as a setter that answers whether it was
// taken, and a getter of what the program holds.
//
// Thread contract: every member is called on the GUI thread only, never
// re-entrantly by the remote control (a session runs nothing while Busy()
// or while another command is being carried out). Connect may process
// events while it runs. An implementation decides every check itself: the
// ranges the dialogs enforce and the controls the current mode disables.
// A setter that does not answer Done changes nothing.

#include <functional>
#include <string>

namespace remote {

enum class TOutcome {
  Done,
  OutOfRange,        // the value lies outside the setting's limits
  SettingsConflict,  // the current mode disables the control
  IllegalValue,      // the value is not one of the allowed ones
  Failed             // the operation was tried and did not succeed
};

enum class TFunction { Sine, Triangle, Square, Pulse };
enum class TSpacing { Linear, Logarithmic };
enum class TDirection { Up, Down, Both };

// The numeric settings whose limits MINimum, MAXimum and DEFault stand for.
enum class TQuantity {
  Frequency,
  Step,
  Start,
  Stop,
  Marker,
  Attenuation,
  SweepTime,
  PulsePeriod,
  PulseWidth
};

// In the setting's own unit: hertz, seconds, attenuator steps.
struct TLimits {
  double Min = 0.0;
  double Max = 0.0;
  double Default = 0.0;  // the start-up value
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

  // Limits of a numeric setting now (the pulse timing depends on the
  // prescaler).
  virtual TLimits Limits(TQuantity quantity) const = 0;

  virtual TOutcome SetRun(bool on) = 0;
  virtual bool Run() const = 0;
  // Inverted pulse output.
  virtual TOutcome SetInverted(bool on) = 0;
  virtual bool Inverted() const = 0;
  virtual TOutcome SetFunction(TFunction function) = 0;
  virtual TFunction Function() const = 0;
  // The square output divided by two.
  virtual TOutcome SetDivider(bool on) = 0;
  virtual bool Divider() const = 0;

  // Frequencies in hertz. The getters answer what the device really makes,
  // on the synthesiser grid.
  virtual TOutcome SetFrequency(double hertz) = 0;
  virtual double Frequency() const = 0;
  virtual TOutcome SetStep(double hertz) = 0;
  virtual double Step() const = 0;
  virtual TOutcome SetStart(double hertz) = 0;
  virtual double Start() const = 0;
  virtual TOutcome SetStop(double hertz) = 0;
  virtual double Stop() const = 0;
  virtual TOutcome SetMarker(double hertz) = 0;
  virtual double Marker() const = 0;

  // The step 0..15 of the current waveform's attenuator, and the output
  // amplitude in volts that the screen shows for it.
  virtual TOutcome SetAttenuation(int step) = 0;
  virtual int Attenuation() const = 0;
  virtual double Amplitude() const = 0;
  // The calibrated amplitude in volts of the current waveform's attenuator
  // at the step 0..15, from the same tables as Amplitude.
  virtual double AmplitudeAt(int step) const = 0;

  virtual TOutcome SetSweep(bool on) = 0;
  virtual bool Sweep() const = 0;
  virtual TOutcome SetSweepTime(int seconds) = 0;
  virtual int SweepTime() const = 0;
  virtual TOutcome SetSpacing(TSpacing spacing) = 0;
  virtual TSpacing Spacing() const = 0;
  virtual TOutcome SetDirection(TDirection direction) = 0;
  virtual TDirection Direction() const = 0;
  virtual TOutcome SetPause(bool on) = 0;
  virtual bool Pause() const = 0;
  virtual TOutcome Restart() = 0;

  // Pulse timing in seconds; the getters answer the real timing of the
  // device's codes and prescaler.
  virtual TOutcome SetPulsePeriod(double seconds) = 0;
  virtual double PulsePeriod() const = 0;
  virtual TOutcome SetPulseWidth(double seconds) = 0;
  virtual double PulseWidth() const = 0;
  // 1, 8, 64, 256 or 1024.
  virtual TOutcome SetPrescaler(int prescaler) = 0;
  virtual int Prescaler() const = 0;

  // Calls done later (never from inside WhenWritten), on the GUI thread,
  // once the tick that writes every change made so far has written it;
  // offline, after the next tick. While the program runs every call is
  // answered once, in the order of the calls; a session that waits for one
  // that never comes stays waiting.
  virtual void WhenWritten(std::function<void()> done) = 0;
};

}  // namespace remote
