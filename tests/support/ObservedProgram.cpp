// The program with observers for tests and benchmarks: the same program
// block as zolvek, watched and ended through environment variables that only
// this test build reads:
//   ZOLVEK_TEST_REPORT=1        echo message boxes and the run's figures to
//                               stderr; message boxes close themselves
//   ZOLVEK_TEST_QUIT_AFTER_MS=n close the main window n ms after it is shown
//   ZOLVEK_TEST_PRESS_RUN=1     click Run once the main window is shown

#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/ProgramBlock.h"
#include "window/ZOLMain.h"
#include "ui/SpeedButton.h"

namespace {

int EnvInt(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : 0;
}

class TEnvironmentObserver : public app::TProgramObserver {
 public:
  void MessageBoxShowing(QMessageBox& box) override {
    if (!Report) return;
    std::fprintf(stderr, "zolvek: message \"%s\" title \"%s\" icon %d\n",
                 box.text().toUtf8().constData(), box.windowTitle().toUtf8().constData(),
                 static_cast<int>(box.icon()));
    QTimer::singleShot(200, &box, &QMessageBox::accept);
  }

  void MainFormShown(control::TMainForm& form) override {
    QObject::connect(&form, &control::TMainForm::Redrawn, [this] { ++Redraws; });
    const int quitAfter = EnvInt("ZOLVEK_TEST_QUIT_AFTER_MS");
    if (quitAfter > 0) QTimer::singleShot(quitAfter, &form, &QWidget::close);
    if (EnvInt("ZOLVEK_TEST_PRESS_RUN") != 0)
      QTimer::singleShot(0, &form, [&form] { form.RunBtn->click(); });
    if (Report) {
      QTimer::singleShot(0, &form, [&form] {
        std::fprintf(stderr, "zolvek: shown %dx%d\n", form.width(), form.height());
      });
    }
  }

  void RunEnded(const control::TMainForm&, qint64 elapsedMs) override {
    if (!Report) return;
    std::fprintf(stderr, "zolvek: redraws %llu in %lld ms\n",
                 static_cast<unsigned long long>(Redraws), static_cast<long long>(elapsedMs));
  }

 private:
  const bool Report = EnvInt("ZOLVEK_TEST_REPORT") != 0;
  std::uint64_t Redraws = 0;
};

}  // namespace

int main(int argc, char** argv) {
  TEnvironmentObserver observer;
  return app::RunProgram(argc, argv, observer);
}
