#pragma once
// Waits the given milliseconds while the application keeps handling its
// events (redraws, removed ports, the enabled controls): the handshake's
// waits. GUI thread only.

namespace ui {

void WaitWithMessages(unsigned ms);

}  // namespace ui
