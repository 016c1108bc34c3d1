#pragma once
// Waits the given milliseconds while the application keeps handling its
// events (the tick's redraws, removed ports, the enabled controls, the
// remote clients): the handshake's waits, with or without a window. Qt Core;
// GUI thread only.

namespace app {

void WaitProcessingEvents(unsigned ms);

}  // namespace app
