#pragma once
// Waits the given milliseconds while the application keeps handling its
// events (the tick's redraws, removed ports, the remote clients): the
// handshake's waits for a program without widgets. Qt Core; GUI thread only.

namespace app {

void WaitProcessingEvents(unsigned ms);

}  // namespace app
