#pragma once
// The program block: one instance per machine, the three windows, the
// message loop. The program itself runs it without observers; a test build
// of the program hands in observers of its own (tests/support), so the
// shipped program reads nothing from its environment.
// GUI thread only.

#include <QtGlobal>

class QMessageBox;

namespace control {
class TMainForm;
}

namespace app {

// What a run lets an observer see and do; every default does nothing.
class TProgramObserver {
 public:
  virtual ~TProgramObserver() = default;
  // The second copy's message box, before it is shown.
  virtual void MessageBoxShowing(QMessageBox&) {}
  // The main window has been shown; the message loop starts next.
  virtual void MainFormShown(control::TMainForm&) {}
  // The message loop has ended after this many milliseconds.
  virtual void RunEnded(const control::TMainForm&, qint64) {}
};

int RunProgram(int& argc, char** argv, TProgramObserver& observer);

}  // namespace app
