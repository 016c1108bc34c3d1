#pragma once
// The generator screen's picture: draws a model (scale, pointers, readouts,
// amplitude block) into Bitmap. Drawing reads the model and never changes
// it; what a redraw advances (layout, level clamp, the step countdown) is
// the model's own TZOLScreenModel::AdvanceRedraw.
//
// Owns: Bitmap. Refers to (does not own) the two fonts, which belong to
// the main window and must outlive this object. Rendering draws with its
// own copies of the fonts and never changes the owner's.
// Thread contract: one thread at a time (the GUI thread in the program);
// it shares nothing with the tick: the caller hands it a copy of the model.

#include <QFont>
#include <QImage>
#include <QString>

#include "screen/ZOLScreenModel.h"

namespace screen {

class TCanvas;

class TZOLScreen {
 public:
  TZOLScreen();

  QImage Bitmap;
  const QFont* ValueFont = nullptr;
  const QFont* ScaleFont = nullptr;
  // The fonts' colours (a QFont carries none): set to silver with the fonts.
  TColor ValueFontColor = 0xC0C0C0;
  TColor ScaleFontColor = 0xC0C0C0;

  // Large readout and amplitude block.
  void SetValueFont(const QFont* font);
  // Height over width of the value font's sample text: the model's ValueAspect.
  double ValueAspect() const;
  // Scale labels and the small readouts.
  void SetScaleFont(const QFont* font);
  // A new bitmap of this size (its contents undefined until the next Render).
  void ResizeBitmap(int width, int height);
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
};

}  // namespace screen
