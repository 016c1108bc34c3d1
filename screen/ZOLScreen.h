#pragma once
// The generator screen's picture: draws a model (scale, pointers, readouts,
// amplitude block) into Bitmap. Drawing reads the model and never changes
// it; what a redraw advances (layout, level clamp, the step countdown) is
// the model's own TZOLScreenModel::AdvanceRedraw.
//
// The picture is laid out in logical pixels (the model's geometry) and
// drawn at a device pixel ratio: Bitmap has the logical size times the
// ratio in device pixels and carries the ratio, so a view paints it 1:1 on
// a screen of that ratio. At ratio 1 logical and device pixels are the same.
//
// Owns: Bitmap. Refers to (does not own) the two fonts, which belong to
// the main window and must outlive this object. Rendering draws with its
// own copies of the fonts and never changes the owner's.
// Thread contract: one thread at a time (the GUI thread in the program);
// it shares nothing with the tick: the caller hands it a copy of the model.

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

#include "screen/ZOLScreenModel.h"

namespace screen {

class TCanvas;
struct TDrawnText;

class TZOLScreen {
 public:
  TZOLScreen();

  QImage Bitmap;
  const QFont* ValueFont = nullptr;
  const QFont* ScaleFont = nullptr;
  // The fonts' colours (a QFont carries none): set to silver with the fonts.
  TColor ValueFontColor = 0xC0C0C0;
  TColor ScaleFontColor = 0xC0C0C0;
  // When set, each Render records the texts it draws here (tests read them
  // without depending on font pixels).
  std::vector<TDrawnText>* TextLog = nullptr;

  // Large readout and amplitude block.
  void SetValueFont(const QFont* font);
  // Height over width of the value font's sample text: the model's ValueAspect.
  double ValueAspect() const;
  // Scale labels and the small readouts.
  void SetScaleFont(const QFont* font);
  // A new bitmap of this logical size (its contents undefined until the
  // next Render).
  void ResizeBitmap(int width, int height);
  // The bitmap's size in logical pixels.
  QSize Size() const { return LogicalSize; }
  // Device pixels per logical pixel; a change makes a new bitmap of the same
  // logical size. Ratios below 1 count as 1.
  void SetDevicePixelRatio(qreal ratio);
  qreal DevicePixelRatio() const { return Ratio; }
  // Draws the frame; a frame laid out for another size is laid out anew
  // (on a copy) for the bitmap's size.
  const QImage& Render(const TZOLScreenModel& frame);

  // True when the value font is the narrow face the layout was made for.
  bool NarrowFont() const;
  // The height value of the scale font (its pixel size; 12 at start-up).
  int ScaleFontHeight() const;

 private:
  QFont CurrentValueFont() const;
  QFont CurrentScaleFont() const;
  void DrawScale(TCanvas& canvas, const TZOLScreenModel& m) const;
  void DrawTicks(TCanvas& canvas, const TZOLScreenModel& m) const;
  void DrawPointers(TCanvas& canvas, const TZOLScreenModel& m) const;
  void DrawReadouts(TCanvas& canvas, const TZOLScreenModel& m) const;
  void DrawValue(TCanvas& canvas, const TZOLScreenModel& m) const;
  void DrawAmplitude(TCanvas& canvas, const TZOLScreenModel& m) const;

  QSize LogicalSize{1, 1};
  qreal Ratio = 1.0;
};

}  // namespace screen
