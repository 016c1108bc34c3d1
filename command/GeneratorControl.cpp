// The command path: its parts wired to the frame, start-up, reset and the
// redraw.
#include "command/GeneratorControl.h"

namespace control {

TGeneratorControl::TGeneratorControl(TSharedState& shared, TDeviceLink& link)
    : Frame(shared, link),
      FSweep(Frame),
      FConnection(Frame),
      FModes(Frame, FConnection, FSweep),
      FWaveform(Frame, FModes),
      FPulse(Frame),
      FFrequency(Frame),
      FPointer(Frame),
      FWritten(shared) {
  Frame.Handlers.Clicked = [this](TButtonId button) { Clicked(button); };
  Frame.Handlers.GaugeChangedLocked = [this](TGaugeId gauge) { GaugeChangedLocked(gauge); };
}

// The arrows, Connect and the dialog buttons have handlers of their own.
void TGeneratorControl::Clicked(TButtonId button) {
  if (button == &TPanelState::RunBtn) return FModes.RunBtnClick();
  if (button == &TPanelState::SweepBtn || button == &TPanelState::PulseBtn)
    return FModes.SweepBtnClick();
  if (button == &TPanelState::SwRstBtn) return FSweep.SwRstBtnClick();
  if (button == &TPanelState::PauseBtn) return FSweep.PauseBtnClick();
  if (button == &TPanelState::InvertBtn) return FPulse.InvertBtnClick();
  if (button == &TPanelState::SineBtn) return FWaveform.FormBtnClick(1);
  if (button == &TPanelState::TriBtn) return FWaveform.FormBtnClick(2);
  if (button == &TPanelState::SquareBtn) return FWaveform.FormBtnClick(3);
}

// The lin/log gauge has no handler: the sweep reads it at every tick.
void TGeneratorControl::GaugeChangedLocked(TGaugeId gauge) {
  if (gauge == &TPanelState::AmpGaugeBar) return FWaveform.AmpGaugeBarChange();
  if (gauge == &TPanelState::DivGaugeBar) return FWaveform.DivGaugeBarChange();
  if (gauge == &TPanelState::SwGaugeBar) return FSweep.SwGaugeBarChange();
  if (gauge == &TPanelState::SweepDirBar) return FSweep.SweepDirBarChange();
}

void TGeneratorControl::InitControlState() {
  Frame.Change([&] {
    TControlState& s = Frame.Shared.State;
    s.ClearUpdateFlags();
    s.DeviceOnline = false;
    s.LastSentWord = ForceCoarseWord;
    s.SweepUp = Frame.Panel.SweepDirBar.Position == 0;
    s.SweepStarted = true;
    s.DragSlot = -1;
    s.RepeatTag = -1;
    FSweep.SwGaugeBarChange();
  });
  Frame.Changed();
}

void TGeneratorControl::SetValueAspect(double aspect) {
  Frame.Change([&] { Frame.Shared.Model.ValueAspect = aspect; });
}

void TGeneratorControl::ResetSettings() {
  Frame.Change([&] {
    TPanelState fresh;
    // The connection is kept, and with it what the handshake set.
    fresh.ConnectBtn = Frame.Panel.ConnectBtn;
    Frame.Panel = fresh;
    screen::TZOLScreenModel& current = Frame.Shared.Model;
    screen::TZOLScreenModel model;
    model.SquareAmpTable = current.SquareAmpTable;
    model.AnalogAmpTable = current.AnalogAmpTable;
    model.ValueAspect = current.ValueAspect;
    model.SetBitmapSize(current.BitmapWidth, current.BitmapHeight);
    current = model;
    TControlState& s = Frame.Shared.State;
    s.ClearUpdateFlags();
    s.LastSentWord = ForceCoarseWord;
    s.SweepUp = true;
    s.SweepStarted = true;
    s.SweepFreq = 0.0;
    s.LastMarkerState = false;
    s.DragSlot = -1;
    s.RepeatTag = -1;
    FSweep.SwGaugeBarChange();
    // Run is up: the next tick stops the device.
    s.Flags.ResyncAll = true;
  });
  Frame.Changed();
}

screen::TZOLScreenModel TGeneratorControl::Redraw() {
  screen::TZOLScreenModel frame;
  Frame.Change([&] {
    FFrequency.RepeatStep();
    frame = Frame.Shared.Model.AdvanceRedraw();
  });
  return frame;
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
