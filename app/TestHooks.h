#pragma once
// Diagnostics for automated runs, switched on by environment variables and
// silent otherwise. The program itself reads no configuration; these only
// let tests and benchmarks observe and end a run without a person:
//   ZOLVEK_TEST_REPORT=1        echo message boxes and the run's figures to
//                               stderr; message boxes close themselves
//   ZOLVEK_TEST_QUIT_AFTER_MS=n close the main window n ms after it is shown
//   ZOLVEK_TEST_PRESS_RUN=1     click Run once the main window is shown
// GUI thread only.

#include <QMessageBox>
#include <QString>

namespace control { class TMainForm; }

namespace app {

bool TestReportEnabled();
// Echoes a message box's text when reporting, and makes it close by itself.
void PrepareMessageBoxForTests(QMessageBox& box);
// Arms the quit timer and the Run click, and reports the shown window.
void ApplyTestHooks(control::TMainForm& form);
// Reports the redraws of the run.
void ReportRunFigures(const control::TMainForm& form, qint64 elapsedMs);

}  // namespace app
