// Render of the default screen at the start-up size and at a large window,
// at device pixel ratios 1 and 2 (the third argument, in percent).
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>

#include "screen/ZOLScreen.h"

namespace {

void BM_RenderDefault(benchmark::State& state) {
  QFont valueFont(QStringLiteral("Arial Narrow"));
  valueFont.setPixelSize(100);
  QFont scaleFont(QStringLiteral("Liberation Sans"));
  scaleFont.setPixelSize(12);
  screen::TZOLScreen screen;
  screen.SetScaleFont(&scaleFont);
  screen.SetValueFont(&valueFont);
  screen::TZOLScreenModel model;
  model.ValueAspect = screen.ValueAspect();
  screen.SetDevicePixelRatio(static_cast<qreal>(state.range(2)) / 100.0);
  screen.ResizeBitmap(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  model.SetBitmapSize(screen.Size().width(), screen.Size().height());
  // What a redraw does: advance the model, draw the frame, and hand it to
  // the view, which keeps it: the next render paints into a copy.
  QImage shown;
  for (auto _ : state) {
    shown = screen.Render(model.AdvanceRedraw());
    benchmark::DoNotOptimize(shown.constBits());
  }
}
BENCHMARK(BM_RenderDefault)
    ->ArgNames({"width", "height", "ratio%"})
    ->Args({720, 263, 100})
    ->Args({720, 263, 150})
    ->Args({720, 263, 200})
    ->Args({1920, 1000, 100})
    ->Args({1920, 1000, 200})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
