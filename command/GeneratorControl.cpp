// The command path: its parts wired to the frame, start-up, reset and the
// redraw.
#include "command/GeneratorControl.h"

namespace control {

TGeneratorControl::TGeneratorControl(TSharedState& shared, TDeviceLink& link)
    : Frame(shared, link),
      FSweep(Frame),
      FConnection(Frame),
      FModes(Frame, FConnection),
      FWaveform(Frame, FModes),
      FPulse(Frame),
      FFrequency(Frame),
      FPointer(Frame),
      FWritten(shared) {
  Frame.Handlers.Clicked = [this](TButtonId button, bool down) { Clicked(button, down); };
  Frame.Handlers.MovedLocked = [this](TGaugeId gauge, int position) {
    MovedLocked(gauge, position);
  };
}

// The arrows and the dialog buttons have handlers of their own; Connect's
// down state is the connection's, which its handler reads.
void TGeneratorControl::Clicked(TButtonId button, bool down) {
  if (button == &TPanelState::ConnectBtn) {
    Frame.Panel.ConnectBtn.Down = down;
    return;
  }
  if (button == &TPanelState::RunBtn) return FModes.RunBtnClick(down);
  if (button == &TPanelState::SweepBtn)
    return FModes.SweepBtnClick(down ? TMode::Sweep : TMode::Normal);
  if (button == &TPanelState::PulseBtn)
    return FModes.SweepBtnClick(down ? TMode::Pulse : TMode::Normal);
  if (button == &TPanelState::SwRstBtn) return FSweep.SwRstBtnClick();
  if (button == &TPanelState::PauseBtn) return FSweep.PauseBtnClick(down);
  if (button == &TPanelState::InvertBtn) return FPulse.InvertBtnClick(down);
  if (button == &TPanelState::SineBtn) return FWaveform.FormBtnClick(TWaveform::Sine);
  if (button == &TPanelState::TriBtn) return FWaveform.FormBtnClick(TWaveform::Triangle);
  if (button == &TPanelState::SquareBtn) return FWaveform.FormBtnClick(TWaveform::Square);
}

void TGeneratorControl::MovedLocked(TGaugeId gauge, int position) {
  if (gauge == &TPanelState::AmpGaugeBar) return FWaveform.AmpGaugeBarChange(position);
  if (gauge == &TPanelState::DivGaugeBar) return FWaveform.DivGaugeBarChange(position);
  if (gauge == &TPanelState::SwGaugeBar) return FSweep.SwGaugeBarChange(position);
  if (gauge == &TPanelState::SweepDirBar) return FSweep.SweepDirBarChange(position);
  if (gauge == &TPanelState::LinLogGauge) return FSweep.LinLogGaugeChange(position);
}

void TGeneratorControl::InitControlState() {
  Frame.Change([&] {
    TControlState& s = Frame.Shared.State;
    Frame.Settings().UnmarkAll();
    s.DeviceOnline = false;
    s.LastSentWord = ForceCoarseWord;
    s.SweepUp = Frame.Settings().Direction() == TDirection::Up;
    s.SweepStarted = true;
    s.DragSlot = -1;
    s.RepeatTag = -1;
  });
  Frame.Changed();
}

void TGeneratorControl::SetValueAspect(double aspect) {
  Frame.Change([&] { Frame.Shared.Model.ValueAspect = aspect; });
}

void TGeneratorControl::ResetSettings() {
  Frame.Change([&] {
    Frame.Settings() = TGeneratorSettings{};
    Frame.WaveformChosen = false;
    TControlState& s = Frame.Shared.State;
    s.LastSentWord = ForceCoarseWord;
    s.SweepUp = true;
    s.SweepStarted = true;
    s.SweepFreq = 0.0;
    s.LastMarkerState = false;
    s.DragSlot = -1;
    s.RepeatTag = -1;
    Frame.Shared.Model.StepShowTicks = 0;
    // Run is up: the next tick stops the device.
    Frame.Settings().RequestResync();
  });
  Frame.Changed();
}

// The screen shows the sweep's moves too, which the tick makes.
screen::TZOLScreenModel TGeneratorControl::Redraw() {
  screen::TZOLScreenModel frame;
  Frame.Change([&] {
    FFrequency.RepeatStep();
    Frame.ShowOnScreenLocked();
    frame = Frame.Shared.Model.AdvanceRedraw();
  });
  return frame;
}

void TGeneratorControl::Imitate(const TGeneratorControl& other) {
  TGeneratorSettings settings;
  TControlState state;
  screen::TZOLScreenModel model;
  other.Frame.Read([&] {
    settings = other.Frame.Shared.Settings;
    state = other.Frame.Shared.State;
    model = other.Frame.Shared.Model;
  });
  Frame.Change([&] {
    Frame.Shared.Settings = settings;
    Frame.Shared.State = state;
    Frame.Shared.State.DeviceOnline = false;
    Frame.Shared.Model = model;
    Frame.Handshake = other.Frame.Handshake;
    Frame.WaveformChosen = other.Frame.WaveformChosen;
    Frame.Panel.ConnectBtn = other.Frame.Panel.ConnectBtn;
  });
}

screen::TZOLScreenModel TGeneratorControl::ResizeScreen(int width, int height) {
  screen::TZOLScreenModel frame;
  Frame.Change([&] {
    Frame.Shared.Model.SetBitmapSize(width, height);
    frame = Frame.Shared.Model.AdvanceRedraw();
  });
  return frame;
}

}  // namespace control
