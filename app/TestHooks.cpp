#include "app/TestHooks.h"

#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "control/ZOLMain.h"
#include "ui/SpeedButton.h"

namespace app {

namespace {
int EnvInt(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : 0;
}
}  // namespace

bool TestReportEnabled() { return EnvInt("ZOLVEK_TEST_REPORT") != 0; }

void PrepareMessageBoxForTests(QMessageBox& box) {
  if (!TestReportEnabled()) return;
  std::fprintf(stderr, "zolvek: message \"%s\" title \"%s\" icon %d\n",
               box.text().toUtf8().constData(), box.windowTitle().toUtf8().constData(),
               static_cast<int>(box.icon()));
  QTimer::singleShot(200, &box, &QMessageBox::accept);
}

void ApplyTestHooks(control::TMainForm& form) {
  const int quitAfter = EnvInt("ZOLVEK_TEST_QUIT_AFTER_MS");
  if (quitAfter > 0) QTimer::singleShot(quitAfter, &form, &QWidget::close);
  if (EnvInt("ZOLVEK_TEST_PRESS_RUN") != 0)
    QTimer::singleShot(0, &form, [&form] { form.RunBtn->click(); });
  if (TestReportEnabled()) {
    QTimer::singleShot(0, &form, [&form] {
      std::fprintf(stderr, "zolvek: shown %dx%d\n", form.width(), form.height());
    });
  }
}

void ReportRunFigures(const control::TMainForm& form, qint64 elapsedMs) {
  if (!TestReportEnabled()) return;
  std::fprintf(stderr, "zolvek: redraws %llu in %lld ms\n",
               static_cast<unsigned long long>(form.RedrawCount), static_cast<long long>(elapsedMs));
}

}  // namespace app
