#pragma once
// The generator screen: the model plus its picture. Render draws the whole
// screen (scale, pointers, readouts, amplitude block) into Bitmap.
//
// Owns: Bitmap. Refers to (does not own) the two fonts, which belong to
// the main window and must outlive this object. Rendering draws with its
// own copies of the fonts and never changes the owner's.
// Thread contract: as for TZOLScreenModel; whoever holds the main window's
// state lock may render (QImage painting needs no GUI thread).

#include <QFont>
#include <QImage>
#include <QString>

#include "screen/ZOLScreenModel.h"

namespace screen {

class TCanvas;

class TZOLScreen : public TZOLScreenModel {
 public:
  TZOLScreen();

  QImage Bitmap;
  const QFont* ValueFont = nullptr;
  const QFont* ScaleFont = nullptr;
  // The fonts' colours (a QFont carries none): set to silver with the fonts.
  TColor ValueFontColor = 0xC0C0C0;
  TColor ScaleFontColor = 0xC0C0C0;

  // Large readout and amplitude block; measures ValueAspect with it.
  void SetValueFont(const QFont* font);
  // Scale labels and the small readouts.
  void SetScaleFont(const QFont* font);
  const QImage& ResizeBitmap(int width, int height);
  const QImage& Render();

  // True when the value font is the narrow face the layout was made for.
  bool NarrowFont() const;
  // The height value of the scale font (its pixel size; 12 at start-up).
  int ScaleFontHeight() const;

 private:
  QFont CurrentValueFont() const;
  QFont CurrentScaleFont() const;
  void ClampAmpLevels();
  void DrawScale(TCanvas& canvas);
  void DrawTicks(TCanvas& canvas);
  void DrawPointers(TCanvas& canvas);
  void DrawReadouts(TCanvas& canvas);
  void DrawValue(TCanvas& canvas);
  void DrawAmplitude(TCanvas& canvas);
};

}  // namespace screen
