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
  // The limits keep it at 1 or more; never divide by zero if it were not.
  return std::max(Settings.SweepTime(), 1);
}

void TUpdateCycle::SweepStep() {
  if (Settings.IsMarked(&TUpdateFlags::SweepRestart)) {
    RestartSweep();
    return;
  }
  if (Settings.LogSpacing()) {
    SweepStepLog();
  } else {
    SweepStepLinear();
  }
}

// Where a frequency lies on the sweep's logarithmic scale: as its pointer
// would be drawn there.
double TUpdateCycle::LogPosition(const TFrequency& f) const {
  return screen::SlotPosition(f.Hz, f.Word, f.Placed, true);
}

// The output frequency moved along the logarithmic scale, within its ends.
void TUpdateCycle::ShiftFrequency(double delta) {
  double p = LogPosition(Settings.Frequency()) + delta;
  if (!(p >= 0.0))
    p = 0.0;
  else if (p > 1.0)
    p = 1.0;
  Settings.SweepFrequency(PlacedFrequency(screen::ScaleFrequency(p, true)));
}

bool TUpdateCycle::MarkerBelow() const {
  return Shared.State.SweepFreq < Settings.Marker().GridHz();
}

void TUpdateCycle::SweepStepLog() {
  TControlState& state = Shared.State;
  const double start = LogPosition(Settings.Start());
  const double stop = LogPosition(Settings.Stop());
  const double here = LogPosition(Settings.Frequency());
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
  ShiftFrequency(delta);
  state.SweepFreq = Settings.Frequency().GridHz();
  SendFrequency(MarkerBelow());
}

void TUpdateCycle::SweepStepLinear() {
  TControlState& state = Shared.State;
  const double start = Settings.Start().GridHz();
  const double stop = Settings.Stop().GridHz();
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
  // The output shows the quantised frequency; the end and marker tests keep
  // the exact SweepFreq so that small steps add up.
  Settings.SweepFrequency(AskedFrequency(state.SweepFreq));
  SendFrequency(MarkerBelow());
}

void TUpdateCycle::RestartSweep() {
  TControlState& state = Shared.State;
  Settings.Unmark(&TUpdateFlags::SweepRestart);
  state.LastSentWord = ForceCoarseWord;
  // Ping-pong only between passes: the first pass after a Run press or a
  // sweep reset keeps the current direction.
  if (Settings.Direction() == TDirection::Both && state.SweepStarted)
    state.SweepUp = !state.SweepUp;
  state.SweepStarted = true;

  const double end = LogPosition(state.SweepUp ? Settings.Start() : Settings.Stop());
  ShiftFrequency(end - LogPosition(Settings.Frequency()));
  state.SweepFreq = Settings.Frequency().GridHz();

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
