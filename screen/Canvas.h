#pragma once
// A drawing canvas over QPainter with the exact pixel rules the screen's
// geometry relies on: rectangles right/bottom exclusive, frames one pixel
// inside, lines without their end point, opaque text whose cell starts at
// the given point and moves the pen past it. Antialiasing is off.
//
// Coordinates are the picture's own (logical) pixels. An image with a
// device pixel ratio above 1 is drawn at its device resolution: logical
// pixel v spans device pixels DevicePixels(v) .. DevicePixels(v + 1) - 1,
// polygons are filled and outlined at device resolution and text is set
// in a font scaled by the ratio. At ratio 1 logical and device pixels are
// the same.
//
// Owns its QPainter (active on the image for the canvas's lifetime) and
// copies of the current font; the image belongs to the caller. One thread.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cmath>
#include <vector>

#include "screen/ZOLScreenModel.h"

namespace screen {

// The nearest whole pixel, halves to even, as the layout rounds.
inline int Round(double x) { return static_cast<int>(std::nearbyint(x)); }

// One text as TextOut drew it: what, where (logical pixels), in which
// colour and at which cell height (logical pixels).
struct TDrawnText {
  QString Text;
  QPoint At;
  TColor Color = 0;
  int CellHeight = 0;
};

// The device pixel where logical pixel `logical` begins at this ratio; also
// the device length of a logical length.
int DevicePixels(int logical, qreal ratio);

class TCanvas {
 public:
  // Draws at the image's device pixel ratio.
  explicit TCanvas(QImage& image);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  void SetBrushColor(TColor color) { Brush = color; }
  void SetPenColor(TColor color) { Pen = color; }
  void SetFontColor(TColor color) { FontColor = color; }
  // Takes a copy of font; later size changes stay on the copy.
  void SetFont(const QFont& font);
  // Sets the font so that its text cell (ascent + descent) is `height` pixels.
  void SetFontHeight(int height);

  void FillRect(int left, int top, int right, int bottom);
  void FrameRect(int left, int top, int right, int bottom);
  void MoveTo(int x, int y) { PenPos = QPoint(x, y); }
  void LineTo(int x, int y);
  // Filled with the brush and outlined with the pen, closed.
  void Polygon(const QPoint* points, int count);
  // Opaque on the brush colour; leaves the pen at (x + width, y).
  void TextOut(int x, int y, const QString& text);
  // In logical pixels: the device extent divided by the ratio, rounded up.
  QSize TextExtent(const QString& text) const;
  int TextWidth(const QString& text) const { return TextExtent(text).width(); }

  QPoint PenPos;
  // When set, every TextOut is recorded here as well (the owner's list).
  std::vector<TDrawnText>* TextLog = nullptr;

 private:
  int Device(int logical) const { return DevicePixels(logical, Ratio); }
  // Fills the device pixels of a logical rectangle (right, bottom exclusive).
  void FillDevice(int left, int top, int right, int bottom, TColor color);
  void Line(QPoint from, QPoint to);
  void DevicePolygon(const QPoint* points, int count);

  QImage& Image;
  // The image's ratio; the image is painted in device pixels meanwhile.
  qreal Ratio;
  QPainter Painter;
  QFont Font;
  // Font scaled by Ratio, for drawing and measuring.
  QFont DeviceFont;
  QFontMetrics DeviceMetrics;
  // Cell height of the font at pixel size 100, to turn cell heights into sizes.
  qreal CellPer100 = 0;
  TColor Brush = 0xFFFFFF;
  TColor Pen = 0;
  TColor FontColor = 0;
};

}  // namespace screen
