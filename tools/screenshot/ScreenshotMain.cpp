// zolvek-screenshot: renders the generator screen in its main states to PNG
// files, for looking at the picture without the program or a device.
// Usage: zolvek-screenshot DIRECTORY [WIDTH HEIGHT [RATIO]]
// WIDTH and HEIGHT are logical pixels; RATIO (default 1) is the device
// pixel ratio the screen is drawn at, as on a high-density display.
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "screen/ZOLScreen.h"

namespace {

// The fonts the main window hands over: the narrow face when installed.
QFont ValueFontForScreen() {
  const QStringList families = QFontDatabase::families();
  const bool narrow = families.contains(QStringLiteral("Arial Narrow")) ||
                      families.contains(QStringLiteral("Liberation Sans Narrow"));
  QFont font(narrow ? QStringLiteral("Arial Narrow") : QStringLiteral("Tahoma"));
  font.setPixelSize(100);
  return font;
}

QFont ScaleFontForScreen() {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  return font;
}

using TSetup = std::function<void(screen::TZOLScreenModel&)>;

std::vector<std::pair<const char*, TSetup>> States() {
  using namespace screen;
  return {
      {"default", [](TZOLScreenModel&) {}},
      {"sweep",
       [](TZOLScreenModel& s) {
         s.LogScale = true;
         s.ShowFrequencySlot(false);
         s.ShowRangeSlots(true);
         s.ShowMarkerSlot(true);
         s.SetSlotFreq(StartSlot, 100);
         s.SetSlotFreq(StopSlot, 100000);
         s.SetSlotFreq(MarkerSlot, 5000);
         s.SetSlotFreq(FrequencySlot, 1000);
       }},
      {"pulse",
       [](TZOLScreenModel& s) {
         s.Waveform = -3;
         s.ShowMarkerSlot(true);
       }},
      {"square-divided",
       [](TZOLScreenModel& s) {
         s.Waveform = 3;
         s.Divider = 1;
         s.ShowStep();
       }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: %s DIRECTORY [WIDTH HEIGHT [RATIO]]\n", argv[0]);
    return 2;
  }
  // No window is shown: work without a display unless one was chosen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  const int width = argc >= 4 ? std::atoi(argv[2]) : 720;
  const int height = argc >= 4 ? std::atoi(argv[3]) : 263;
  const double ratio = argc == 5 ? std::atof(argv[4]) : 1.0;
  if (!dir.exists() || width <= 0 || height <= 0 || !(ratio >= 1.0 && ratio <= 8.0)) {
    std::fprintf(stderr, "%s: need an existing directory, a positive size and a ratio of 1 to 8\n",
                 argv[0]);
    return 2;
  }
  const QFont valueFont = ValueFontForScreen();
  const QFont scaleFont = ScaleFontForScreen();
  for (const auto& [name, setup] : States()) {
    screen::TZOLScreen screen;
    screen.SetScaleFont(&scaleFont);
    screen.SetValueFont(&valueFont);
    screen::TZOLScreenModel model;
    model.ValueAspect = screen.ValueAspect();
    setup(model);
    screen.SetDevicePixelRatio(ratio);
    screen.ResizeBitmap(width, height);
    model.SetBitmapSize(width, height);
    const QString path = dir.filePath(QStringLiteral("%1.png").arg(QLatin1String(name)));
    if (!screen.Render(model.AdvanceRedraw()).save(path)) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(path));
      return 1;
    }
    std::printf("%s\n", qPrintable(path));
  }
  return 0;
}
