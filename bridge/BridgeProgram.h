#pragma once
// The bench bridge: the generator's run on a QCoreApplication, served to
// the network by the remote control, kept online across unplugging and
// replugging, found by DNS-SD; no window, no display, no Qt Gui. One line
// per event on standard error (Journal.h); the program ends on SIGTERM,
// SIGINT or SIGHUP, withdrawing what it registered and advertised.
// GUI thread only.

#include <string>

namespace bridge {

int RunBridge(int& argc, char** argv);
// The text --help prints.
std::string BridgeUsage();

}  // namespace bridge
