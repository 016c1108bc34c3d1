#include "app/ProgramBlock.h"

#include <QElapsedTimer>
#include <QMessageBox>

#include "app/ZolvekApplication.h"
#include "control/About.h"
#include "control/ZOLMain.h"
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

}  // namespace

int RunProgram(int& argc, char** argv, TProgramObserver& observer) {
  platform::TInstanceLock instanceLock;
  TZolvekApplication application(argc, argv);
  if (!instanceLock.Acquired()) {
    ShowSecondInstanceMessage(observer);
    return 0;
  }
  application.setApplicationName(QString::fromLatin1(ui::ApplicationTitle));
  // Lets the desktop match the window with the installed entry and icon.
  application.setDesktopFileName(QStringLiteral(ZOLVEK_APP_ID));

  control::TMainForm mainForm;
  ui::SetApplicationMainForm(&mainForm);
  control::TAboutBox aboutBox;
  serial::TComSelBox comSelBox;
  mainForm.SetAboutBox(&aboutBox);
  mainForm.SetComSelBox(&comSelBox);

  mainForm.show();
  observer.MainFormShown(mainForm);
  QElapsedTimer running;
  running.start();
  application.exec();
  observer.RunEnded(mainForm, running.elapsed());
  ui::SetApplicationMainForm(nullptr);
  return 0;
}

}  // namespace app
