// The readouts of the generator screen: the small texts under the scale,
// the large output readout and the amplitude block.
#include <QString>
#include <algorithm>
#include <cmath>

#include "screen/Canvas.h"
#include "screen/ReadoutFormat.h"
#include "screen/ScreenTables.h"
#include "screen/ZOLScreen.h"

namespace screen {

namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A voltage of the amplitude block: " 0.31 V".
QString VoltText(long double volts) { return QStringLiteral(" ") + Text(FormatVolts(volts)); }

}  // namespace

void TZOLScreen::DrawReadouts(TCanvas& canvas, const TZOLScreenModel& m) const {
  const int R = m.ScaleRight, B = m.ScaleBottom;
  canvas.SetBrushColor(m.BackColor);
  canvas.SetFont(CurrentScaleFont());
  const int w = canvas.TextWidth(QString::fromLatin1(ValueSample));
  const int y = B + 7;
  auto frequency = [&](int extra, double f) {
    return Text(FormatFrequency(extra, f, m.Waveform, m.Divider));
  };
  const bool rangeShown = m.Slots[StartSlot].Visible || m.Slots[StopSlot].Visible;
  if (rangeShown) {
    canvas.SetFontColor(RangeColor);
    canvas.TextOut(7, y, frequency(1, m.Slots[StartSlot].Freq));
    canvas.TextOut(R - w + 14, y, frequency(1, m.Slots[StopSlot].Freq));
  }
  if (m.Slots[MarkerSlot].Visible && m.Waveform > 0) {
    canvas.SetFontColor(MarkerColor);
    canvas.TextOut((R - w) / 2 + 14, y, frequency(1, m.Slots[MarkerSlot].Freq));
  }
  if (m.StepShowTicks > 0) {
    canvas.SetFontColor(m.Slots[MarkerSlot].Visible ? MarkerColor : FrequencyColor);
    canvas.TextOut(m.Slots[StartSlot].Visible ? 14 + w : 14, y,
                   QStringLiteral("Step = ") + frequency(0, m.Step));
  }
  if (m.Waveform < 0) {
    canvas.SetFontColor(FrequencyColor);
    canvas.TextOut((R - w) / 2 + 14, y, frequency(1, m.PulseRate));
  }
  DrawValue(canvas, m);
  DrawAmplitude(canvas, m);
}

void TZOLScreen::DrawValue(TCanvas& canvas, const TZOLScreenModel& m) const {
  canvas.SetFont(CurrentValueFont());
  canvas.SetFontColor(ValueFontColor);
  const int room = m.ScaleHeight - 12 - ScaleFontHeight();
  int h = std::min({Round((m.ScaleWidth - 46) * m.ValueAspect), room, 100});
  if (!NarrowFont()) h = Round(h * 0.9);
  canvas.SetFontHeight(h);
  const QString text =
      m.Waveform < 0 ? Text(FormatPeriod(m.Slots[FrequencySlot].Time))
                     : Text(FormatFrequency(2, m.Slots[FrequencySlot].Freq, m.Waveform, m.Divider));
  const QSize extent = canvas.TextExtent(text);
  canvas.TextOut(m.ScaleLeft + Round((m.ScaleWidth - extent.width()) / 2.0),
                 m.ScaleTop + (room - extent.height()) / 2, text);
}

void TZOLScreen::DrawAmplitude(TCanvas& canvas, const TZOLScreenModel& m) const {
  const bool narrow = NarrowFont();
  const int h0 = narrow ? 30 : 26;
  const int k = narrow ? 0 : 1;
  const int R = m.ScaleRight, B = m.ScaleBottom;
  const long double analog = m.AnalogAmplitude();
  const long double square = m.SquareAmplitude();
  const QString ampSample = QString::fromLatin1(AmpSample);
  auto height = [&](int h) {
    canvas.SetFontHeight(h);
    return canvas.TextWidth(ampSample);
  };
  canvas.SetFontColor(Silver);
  int t = 0;
  switch (m.Waveform) {
    case 1:
      t = height(h0 - 9);
      canvas.SetFontColor(RangeColor);
      canvas.TextOut(R - t - 5 + 7 * k, B - 113, Text(FormatVolts(analog / SinePeakToRms)));
      height(h0 - 12);
      canvas.TextOut(canvas.PenPos.x(), canvas.PenPos.y() + 2, QStringLiteral("rms"));
      canvas.SetFontColor(Silver);
      t = height(h0);
      canvas.TextOut(R - t + 4 * k, B - 94, QStringLiteral("~"));
      canvas.TextOut(canvas.PenPos.x(), canvas.PenPos.y() - 1, VoltText(analog / 2));
      return;
    case 2:
      t = height(h0);
      canvas.TextOut(R - t + 1 + 2 * k, B - 90, QStringLiteral("^"));
      canvas.TextOut(canvas.PenPos.x() + 1, canvas.PenPos.y() - 5, VoltText(analog));
      return;
    case 3:
      t = height(h0 - 5);
      if (m.Divider != 0) canvas.TextOut(R - t - 6 + 2 * k, B - 64, QStringLiteral("\u00F7 2"));
      break;
    default:
      height(h0);
      // The width, the marker pointer's time, at the left above the scale.
      canvas.TextOut(m.ScaleLeft, B - 64, Text(FormatPeriod(m.Slots[MarkerSlot].Time)));
      t = height(h0 - 5);
      if (m.Divider != 0)
        canvas.TextOut(R - t - 6 + 2 * k, B - 64,
                       QStringLiteral("\u00D7 ") + QString::number(m.Prescaler()));
      break;
  }
  canvas.TextOut(R - t - 6 + 2 * k, B - 92, QStringLiteral("ll"));
  height(h0);
  canvas.TextOut(canvas.PenPos.x() + 1, canvas.PenPos.y() - 3, VoltText(square));
}

}  // namespace screen
