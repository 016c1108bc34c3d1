// The program block: one instance per machine, the three windows, the
// message loop.

#include <QElapsedTimer>
#include <QMessageBox>

#include "app/TestHooks.h"
#include "app/ZolvekApplication.h"
#include "control/About.h"
#include "control/ZOLMain.h"
#include "platform/InstanceLock.h"
#include "serial/ComSel.h"
#include "ui/Dialogs.h"
#include "ui/FloatMinimizer.h"

namespace {

void ShowSecondInstanceMessage() {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                  QStringLiteral("Only one instance of Zolvek can be running at a time."),
                  QMessageBox::Ok);
  app::PrepareMessageBoxForTests(box);
  box.exec();
}

}  // namespace

int main(int argc, char** argv) {
  platform::TInstanceLock instanceLock;
  app::TZolvekApplication application(argc, argv);
  if (!instanceLock.Acquired()) {
    ShowSecondInstanceMessage();
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
  app::ApplyTestHooks(mainForm);
  QElapsedTimer running;
  running.start();
  application.exec();
  app::ReportRunFigures(mainForm, running.elapsed());
  ui::SetApplicationMainForm(nullptr);
  return 0;
}
