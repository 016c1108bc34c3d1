#include "screen/ZOLScreen.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "screen/Canvas.h"
#include "screen/ScreenTables.h"

namespace screen {

namespace {

int Round(double x) { return static_cast<int>(std::nearbyint(x)); }

}  // namespace

TZOLScreen::TZOLScreen() : Bitmap(1, 1, QImage::Format_RGB32) {
  Bitmap.fill(0);
}

QFont TZOLScreen::CurrentValueFont() const {
  if (ValueFont) return *ValueFont;
  QFont font;
  font.setPixelSize(100);
  return font;
}

QFont TZOLScreen::CurrentScaleFont() const {
  if (ScaleFont) return *ScaleFont;
  QFont font;
  font.setPixelSize(12);
  return font;
}

void TZOLScreen::SetValueFont(const QFont* font) {
  ValueFont = font;
  ValueFontColor = Silver;
  const QFontMetrics metrics(CurrentValueFont());
  const int width = metrics.horizontalAdvance(QString::fromLatin1(ValueSample));
  ValueAspect = width > 0 ? static_cast<double>(metrics.height()) / width : 0.0;
}

void TZOLScreen::SetScaleFont(const QFont* font) {
  ScaleFont = font;
  ScaleFontColor = Silver;
}

bool TZOLScreen::NarrowFont() const {
  return ValueFont && ValueFont->family() == QLatin1String("Arial Narrow");
}

int TZOLScreen::ScaleFontHeight() const {
  const int size = CurrentScaleFont().pixelSize();
  return size > 0 ? size : 12;
}

const QImage& TZOLScreen::ResizeBitmap(int width, int height) {
  Bitmap = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
  return Render();
}

void TZOLScreen::ClampAmpLevels() {
  AmpLevelAnalog = std::clamp(AmpLevelAnalog, 0, 15);
  AmpLevelSquare = std::clamp(AmpLevelSquare, 0, 15);
}

const QImage& TZOLScreen::Render() {
  BitmapWidth = Bitmap.width();
  BitmapHeight = Bitmap.height();
  if (Bitmap.isNull()) {
    // Nothing to paint on, but the lasting effects still apply.
    UpdateLayout();
    ClampAmpLevels();
  } else {
    TCanvas canvas(Bitmap);
    DrawScale(canvas);
    DrawPointers(canvas);
    DrawReadouts(canvas);
  }
  if (StepShowTicks > 0) --StepShowTicks;
  return Bitmap;
}

void TZOLScreen::DrawScale(TCanvas& canvas) {
  canvas.SetFont(CurrentScaleFont());
  canvas.SetFontColor(ScaleFontColor);
  UpdateLayout();
  const int W = BitmapWidth, H = BitmapHeight;
  const int L = ScaleLeft, R = ScaleRight, B = ScaleBottom;
  canvas.SetBrushColor(BackColor);
  canvas.FillRect(0, 0, W, H);
  canvas.SetBrushColor(ButtonFaceColor);
  canvas.FrameRect(1, 1, W - 1, H - 1);

  int x0 = L;
  for (int i = 1; i <= 8; ++i) {
    const int x1 = L + Round(i * DecadeWidth);
    canvas.SetBrushColor(BandColors[i]);
    canvas.FillRect(x0, B - 5, x1, B + 1);
    x0 = x1;
  }
  // Pulse codes end at 65535 inside the ninth decade: no bright end band.
  canvas.SetBrushColor(Waveform < 0 ? BandColors[8] : BandColors[9]);
  canvas.FillRect(x0, B - 5, R + 1, B + 1);

  canvas.SetBrushColor(Silver);
  canvas.FrameRect(L, B - 6, R + 2, B + 2);
  canvas.SetBrushColor(BackColor);
  canvas.SetPenColor(Silver);
  DrawTicks(canvas);
}

void TZOLScreen::DrawTicks(TCanvas& canvas) {
  const int L = ScaleLeft, R = ScaleRight, B = ScaleBottom;
  auto label = [&](int x, const char* text) {
    const QString q = QString::fromLatin1(text);
    canvas.TextOut(x - canvas.TextWidth(q) / 2, B - 25, q);
  };
  if (Waveform < 0) {
    for (int d = 0; d <= 8; ++d) {
      for (int j = 0; j <= 5; ++j) {
        const int x = L + Round((d + j / 6.0) * DecadeWidth);
        if (x >= R) break;
        canvas.MoveTo(x, B);
        if (d == 8) continue;
        canvas.LineTo(x, j == 0 ? B - 12 : B - 6);
        if (j == 0) label(x, PulseScaleLabels[d]);
      }
    }
    canvas.MoveTo(R + 1, B);
    canvas.LineTo(R + 1, B - 12);
    label(R + 1, PulseEndLabel);
    return;
  }
  const auto& labels = (Waveform == 3 && Divider != 0) ? HalfScaleLabels : ScaleLabels;
  for (int d = 0; d <= 8; ++d) {
    for (int j = 0; j <= 8; ++j) {
      const double u = LogScale ? std::log10(j + 1.0) : j / 9.0;
      const int x = L + Round((d + u) * DecadeWidth);
      if (x >= R) break;
      canvas.MoveTo(x, B);
      canvas.LineTo(x, j == 0 ? B - 12 : B - 6);
      if (j == 0) label(x, labels[d]);
    }
  }
}

void TZOLScreen::DrawPointers(TCanvas& canvas) {
  const int y = BitmapHeight - 22;
  for (int n = 3; n >= 0; --n) {
    // The output frequency's pointer is always drawn, on top of the others.
    if (!Slots[n].Visible && n != 0) continue;
    const int x = PositionToX(Slots[n].Position);
    QPoint points[PointerShape.size()];
    for (std::size_t i = 0; i < PointerShape.size(); ++i)
      points[i] = QPoint(x + PointerShape[i].X, y + PointerShape[i].Y);
    canvas.SetBrushColor(Slots[n].Color);
    canvas.SetPenColor(Slots[n].Color);
    canvas.Polygon(points, static_cast<int>(PointerShape.size()));
  }
}

}  // namespace screen
