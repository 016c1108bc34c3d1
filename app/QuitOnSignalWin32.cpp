// Win32 half of the quit on termination: Ctrl+C, Ctrl+Break and the closing
// of a console the program was attached to end the message loop as closing
// the window does. Without a console (a GUI program), taskkill without /F and
// the end of the session close the window itself, which Qt takes as Exit.

#include <windows.h>

#include <QCoreApplication>
#include <QMetaObject>

#include "app/QuitOnSignal.h"

namespace app {

namespace {

// Runs on a thread of the system's: the quit is queued to the GUI thread.
BOOL WINAPI OnConsoleControl(DWORD) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  return TRUE;
}

}  // namespace

void QuitOnTerminationSignals(QObject*) { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

}  // namespace app
