#pragma once
// The main window on a run: the tick redraws the window and tells it of a
// lost port, closing the window stops the tick, and the handshake waits
// keeping the events going. GUI thread only; the run
// must outlive the window.

namespace control {
class TMainForm;
}

namespace app {

class TGeneratorRun;

// Starts the run's tick, which tells the window from now on.
void AttachWindow(TGeneratorRun& run, control::TMainForm& window);

}  // namespace app
