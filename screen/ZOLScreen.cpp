#include "screen/ZOLScreen.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "screen/Canvas.h"
#include "screen/ScreenTables.h"

namespace screen {

TZOLScreen::TZOLScreen() : Bitmap(1, 1, QImage::Format_RGB32) { Bitmap.fill(0); }

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
}

double TZOLScreen::ValueAspect() const {
  const QFontMetrics metrics(CurrentValueFont());
  const int width = metrics.horizontalAdvance(QString::fromLatin1(ValueSample));
  return width > 0 ? static_cast<double>(metrics.height()) / width : 0.0;
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

void TZOLScreen::ResizeBitmap(int width, int height) {
  LogicalSize = QSize(std::max(width, 0), std::max(height, 0));
  Bitmap = QImage(DevicePixels(LogicalSize.width(), Ratio),
                  DevicePixels(LogicalSize.height(), Ratio), QImage::Format_RGB32);
  Bitmap.setDevicePixelRatio(Ratio);
}

void TZOLScreen::SetDevicePixelRatio(qreal ratio) {
  ratio = std::max(ratio, 1.0);
  if (ratio == Ratio) return;
  Ratio = ratio;
  ResizeBitmap(LogicalSize.width(), LogicalSize.height());
}

const QImage& TZOLScreen::Render(const TZOLScreenModel& frame) {
  if (Bitmap.isNull()) return Bitmap;
  if (frame.BitmapWidth == LogicalSize.width() && frame.BitmapHeight == LogicalSize.height()) {
    // A view keeps the last picture; the new one covers every pixel, so it
    // gets a buffer of its own instead of a copy of the old one.
    if (!Bitmap.isDetached()) ResizeBitmap(LogicalSize.width(), LogicalSize.height());
    TCanvas canvas(Bitmap);
    if (TextLog) TextLog->clear();
    canvas.TextLog = TextLog;
    DrawScale(canvas, frame);
    DrawPointers(canvas, frame);
    DrawReadouts(canvas, frame);
    return Bitmap;
  }
  TZOLScreenModel resized = frame;
  resized.SetBitmapSize(LogicalSize.width(), LogicalSize.height());
  return Render(resized);
}

void TZOLScreen::DrawScale(TCanvas& canvas, const TZOLScreenModel& m) const {
  canvas.SetFont(CurrentScaleFont());
  canvas.SetFontColor(ScaleFontColor);
  const int W = m.BitmapWidth, H = m.BitmapHeight;
  const int L = m.ScaleLeft, R = m.ScaleRight, B = m.ScaleBottom;
  canvas.SetBrushColor(m.BackColor);
  canvas.FillRect(0, 0, W, H);
  canvas.SetBrushColor(ButtonFaceColor);
  canvas.FrameRect(1, 1, W - 1, H - 1);

  int x0 = L;
  for (int i = 1; i <= 8; ++i) {
    const int x1 = L + Round(i * m.DecadeWidth);
    canvas.SetBrushColor(BandColors[i]);
    canvas.FillRect(x0, B - 5, x1, B + 1);
    x0 = x1;
  }
  // Pulse codes end at 65535 inside the ninth decade: no bright end band.
  canvas.SetBrushColor(m.Waveform < 0 ? BandColors[8] : BandColors[9]);
  canvas.FillRect(x0, B - 5, R + 1, B + 1);

  canvas.SetBrushColor(Silver);
  canvas.FrameRect(L, B - 6, R + 2, B + 2);
  canvas.SetBrushColor(m.BackColor);
  canvas.SetPenColor(Silver);
  DrawTicks(canvas, m);
}

void TZOLScreen::DrawTicks(TCanvas& canvas, const TZOLScreenModel& m) const {
  const int L = m.ScaleLeft, R = m.ScaleRight, B = m.ScaleBottom;
  auto label = [&](int x, const char* text) {
    const QString q = QString::fromLatin1(text);
    canvas.TextOut(x - canvas.TextWidth(q) / 2, B - 25, q);
  };
  if (m.Waveform < 0) {
    for (int d = 0; d <= 8; ++d) {
      for (int j = 0; j <= 5; ++j) {
        const int x = L + Round((d + j / 6.0) * m.DecadeWidth);
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
  const auto& labels = (m.Waveform == 3 && m.Divider != 0) ? HalfScaleLabels : ScaleLabels;
  for (int d = 0; d <= 8; ++d) {
    for (int j = 0; j <= 8; ++j) {
      const double u = m.LogScale ? std::log10(j + 1.0) : j / 9.0;
      const int x = L + Round((d + u) * m.DecadeWidth);
      if (x >= R) break;
      canvas.MoveTo(x, B);
      canvas.LineTo(x, j == 0 ? B - 12 : B - 6);
      if (j == 0) label(x, labels[d]);
    }
  }
}

void TZOLScreen::DrawPointers(TCanvas& canvas, const TZOLScreenModel& m) const {
  const int y = m.BitmapHeight - 22;
  for (int n = 3; n >= 0; --n) {
    // The output frequency's pointer is always drawn, on top of the others.
    if (!m.Slots[n].Visible && n != 0) continue;
    const int x = m.PositionToX(m.Slots[n].Position);
    QPoint points[PointerShape.size()];
    for (std::size_t i = 0; i < PointerShape.size(); ++i)
      points[i] = QPoint(x + PointerShape[i].X, y + PointerShape[i].Y);
    canvas.SetBrushColor(m.Slots[n].Color);
    canvas.SetPenColor(m.Slots[n].Color);
    canvas.Polygon(points, static_cast<int>(PointerShape.size()));
  }
}

}  // namespace screen
