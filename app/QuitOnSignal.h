#pragma once
// SIGTERM, SIGINT and SIGHUP end the message loop as closing the window
// does, so that a program serving the network (run headless, stopped by
// kill or Ctrl+C) leaves cleanly and unregisters what it registered.
// Installed only when the remote control is on. GUI thread only.

#include <QObject>

namespace app {

// Owns the signal pipe's notifier (a child of parent); one per process.
void QuitOnTerminationSignals(QObject* parent);

}  // namespace app
