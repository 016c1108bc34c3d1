// The sweep engine: one step per tick from Start towards Stop (or back),
// restarts at the end of a pass, and the marker level on the way.
#include <algorithm>

#include "core/UpdateCycle.h"

namespace control {

namespace {

// End tests along the scale allow for the rounding of repeated shifts.
constexpr double PositionTolerance = 1e-12;
constexpr double TickMs = 50.0;

}  // namespace

// The pass time T in seconds. The engine counts ticks, not time: a pass of
// T seconds is 20 x T steps, so a skipped tick lengthens it.
int TUpdateCycle::SweepSeconds() const {
  // The gauge's minimum is 1; never divide by zero if it were not.
  return std::max(Shared.Controls.SwGaugePos, 1);
}

void TUpdateCycle::SweepStep() {
  if (Shared.State.Flags.SweepRestart) {
    RestartSweep();
    return;
  }
  if (Shared.Controls.LinLogPos != 0) {
    SweepStepLog();
  } else {
    SweepStepLinear();
  }
}

void TUpdateCycle::SweepStepLog() {
  TControlState& state = Shared.State;
  const double start = Model.Slots[screen::StartSlot].Position;
  const double stop = Model.Slots[screen::StopSlot].Position;
  const double here = Model.Slots[screen::FrequencySlot].Position;
  const double d = (stop - start) * TickMs / (SweepSeconds() * 1000.0);

  bool passEnds;
  double delta;
  if (state.SweepUp) {
    passEnds = here + d > stop + PositionTolerance || here < start - PositionTolerance;
    delta = d;
  } else {
    passEnds = here - d < start - PositionTolerance || here > stop + PositionTolerance;
    delta = -d;
  }
  if (passEnds) {
    // The step that would cross the end is not taken: restart instead.
    RestartSweep();
    return;
  }
  Model.ShiftSlot(screen::FrequencySlot, delta);
  state.SweepFreq = Model.Slots[screen::FrequencySlot].Freq;
  SendFrequency(state.SweepFreq < Model.Slots[screen::MarkerSlot].Freq);
}

void TUpdateCycle::SweepStepLinear() {
  TControlState& state = Shared.State;
  const double start = Model.Slots[screen::StartSlot].Freq;
  const double stop = Model.Slots[screen::StopSlot].Freq;
  const double step = (stop - start) * TickMs / (SweepSeconds() * 1000.0);

  bool passEnds;
  if (state.SweepUp) {
    state.SweepFreq += step;
    passEnds = state.SweepFreq > stop || state.SweepFreq < start;
  } else {
    state.SweepFreq -= step;
    passEnds = state.SweepFreq < start || state.SweepFreq > stop;
  }
  if (passEnds) {
    RestartSweep();
    return;
  }
  // The slot shows the quantised frequency; the end and marker tests keep
  // the exact SweepFreq so that small steps add up.
  Model.SetSlotFreq(screen::FrequencySlot, state.SweepFreq);
  SendFrequency(state.SweepFreq < Model.Slots[screen::MarkerSlot].Freq);
}

void TUpdateCycle::RestartSweep() {
  TControlState& state = Shared.State;
  state.Flags.SweepRestart = false;
  state.LastSentWord = ForceCoarseWord;
  // Ping-pong only between passes: the first pass after a Run press or a
  // sweep reset keeps the current direction.
  if (Shared.Controls.SweepDirPos == 1 && state.SweepStarted) state.SweepUp = !state.SweepUp;
  state.SweepStarted = true;

  screen::TFreqSlot& frequency = Model.Slots[screen::FrequencySlot];
  const double end = state.SweepUp ? Model.Slots[screen::StartSlot].Position
                                   : Model.Slots[screen::StopSlot].Position;
  Model.ShiftSlot(screen::FrequencySlot, end - frequency.Position);
  state.SweepFreq = frequency.Freq;

  // The marker line gets the opposite of the pass's first level first, so
  // that every pass begins with a visible edge.
  if (state.SweepUp) {
    state.LastMarkerState = false;
    SendText("s", false);
    SendFrequency(true);
  } else {
    state.LastMarkerState = true;
    SendText("S", false);
    SendFrequency(false);
  }
}

}  // namespace control
