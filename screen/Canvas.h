#pragma once
// A drawing canvas over QPainter with the exact pixel rules the screen's
// geometry relies on: rectangles right/bottom exclusive, frames one pixel
// inside, lines without their end point, opaque text whose cell starts at
// the given point and moves the pen past it. Antialiasing is off.
//
// Owns its QPainter (active on the image for the canvas's lifetime) and a
// copy of the current font; the image belongs to the caller. One thread.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <QString>

#include "screen/ZOLScreenModel.h"

namespace screen {

class TCanvas {
 public:
  explicit TCanvas(QImage& image);
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
  QSize TextExtent(const QString& text) const;
  int TextWidth(const QString& text) const { return TextExtent(text).width(); }

  QPoint PenPos;

 private:
  void Line(QPoint from, QPoint to);

  QPainter Painter;
  QFont Font;
  QFontMetrics Metrics;
  // Cell height of the font at pixel size 100, to turn cell heights into sizes.
  qreal CellPer100 = 0;
  TColor Brush = 0xFFFFFF;
  TColor Pen = 0;
  TColor FontColor = 0;
};

}  // namespace screen
