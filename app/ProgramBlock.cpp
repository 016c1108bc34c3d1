#include "app/ProgramBlock.h"

#include "app/EventWait.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/AttachWindow.h"
#include "app/GeneratorRun.h"
#include "app/ProgramOptions.h"
#include "app/QuitOnSignal.h"
#include "app/RemoteControl.h"
#include "command/GeneratorControl.h"
#include "serial/PortList.h"
#include "serial/TinyComms.h"
#include "doctor/OpenFailureCause.h"

#include "app/ZolvekApplication.h"
#include "window/About.h"
#include "window/ZOLMain.h"
#include "platform/InstanceLock.h"
#include "serial/ComSel.h"
#include "ui/Dialogs.h"
#include "ui/FloatMinimizer.h"

namespace app {

namespace {

void ShowSecondInstanceMessage(TProgramObserver& observer) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                  QStringLiteral("Only one instance of Zolvek can be running at a time."),
                  QMessageBox::Ok);
  observer.MessageBoxShowing(box);
  box.exec();
}

// --port: the Connect button's handshake with the named port, once the
// message loop runs; a failure is told on standard error, offline.
void ConnectAtStart(control::TMainForm& form, control::TConnection& connection,
                    const std::string& name) {
  QTimer::singleShot(0, &form, [&connection, name] {
    std::optional<serial::EComPort> openError;
    const control::TOutcome outcome =
        connection.ConnectOrRelease(name, WaitProcessingEvents, openError);
    if (outcome == control::TOutcome::Done) return;
    std::string why = outcome == control::TOutcome::Invalid
                          ? "not a port name"
                          : "the device did not answer as a generator";
    if (openError) {
      why = openError->what();
      std::fprintf(
          stderr, "%s\n",
          doctor::LikelyOpenFailureCause(serial::PortPathFor(name), openError->ErrorNumber())
              .c_str());
    }
    std::fprintf(stderr, "zolvek: cannot connect to %s: %s\n", name.c_str(), why.c_str());
  });
}

}  // namespace

int RunProgram(int& argc, char** argv, TProgramObserver& observer) {
  const TProgramOptions options =
      ParseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options.Error.empty()) {
    std::fprintf(stderr, "zolvek: %s\n", options.Error.c_str());
    return 2;
  }
  if (options.Help) {
    std::fputs(ProgramUsage().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("zolvek %s\n", ZOLVEK_VERSION);
    return 0;
  }
  platform::TInstanceLock instanceLock;
  TZolvekApplication application(argc, argv);
  if (!instanceLock.Acquired()) {
    ShowSecondInstanceMessage(observer);
    return 0;
  }
  application.setApplicationName(QString::fromLatin1(ui::ApplicationTitle));
  // Lets the desktop match the window with the installed entry and icon.
  application.setDesktopFileName(QStringLiteral(ZOLVEK_APP_ID));

  TGeneratorRun run;
  control::TMainForm mainForm(run.Control());
  AttachWindow(run, mainForm);
  ui::SetApplicationMainForm(&mainForm);
  control::TAboutBox aboutBox;
  serial::TComSelBox comSelBox;
  mainForm.SetAboutBox(&aboutBox);
  mainForm.SetComSelBox(&comSelBox);

  mainForm.show();
  if (options.Remote || options.Vxi11) QuitOnTerminationSignals(&application);
  std::string error;
  if (options.Remote) {
    if (!run.Remote(options).Listen(*options.Remote, error)) {
      std::fprintf(stderr, "zolvek: %s\n", error.c_str());
      ui::SetApplicationMainForm(nullptr);
      return 1;
    }
    std::fprintf(stderr, "zolvek: remote control on %s\n", run.Remote(options).Address().c_str());
  }
  if (options.Vxi11) {
    std::string note;
    if (!run.Remote(options).ListenVxi11(*options.Vxi11, error, note)) {
      std::fprintf(stderr, "zolvek: %s\n", error.c_str());
      ui::SetApplicationMainForm(nullptr);
      return 1;
    }
    if (!note.empty()) std::fprintf(stderr, "zolvek: %s\n", note.c_str());
    std::fprintf(stderr, "zolvek: VXI-11 instrument on %s\n",
                 options.Vxi11->empty() ? "127.0.0.1" : options.Vxi11->c_str());
  }
  if (options.Port) ConnectAtStart(mainForm, run.Control().Connection(), *options.Port);
  observer.MainFormShown(mainForm);
  QElapsedTimer running;
  running.start();
  application.exec();
  observer.RunEnded(mainForm, running.elapsed());
  ui::SetApplicationMainForm(nullptr);
  return 0;
}

}  // namespace app
