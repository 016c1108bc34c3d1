#include "screen/Canvas.h"

#include <QFontMetricsF>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace screen {

namespace {

QColor ToQColor(TColor color) { return QColor::fromRgb(static_cast<QRgb>(color)); }

}  // namespace

TCanvas::TCanvas(QImage& image) : Painter(&image), Metrics(Font) {
  Painter.setRenderHint(QPainter::Antialiasing, false);
  Painter.setRenderHint(QPainter::TextAntialiasing, false);
  SetFont(Font);
}

void TCanvas::SetFont(const QFont& font) {
  Font = font;
  // Text in plain pixels, like the rest of the picture.
  Font.setStyleStrategy(QFont::NoAntialias);
  Metrics = QFontMetrics(Font);
  QFont reference = Font;
  reference.setPixelSize(100);
  CellPer100 = QFontMetricsF(reference).height();
}

void TCanvas::SetFontHeight(int height) {
  const int size = CellPer100 > 0 ? static_cast<int>(std::lround(height * 100.0 / CellPer100)) : height;
  Font.setPixelSize(std::max(size, 1));
  Metrics = QFontMetrics(Font);
}

void TCanvas::FillRect(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  Painter.fillRect(QRect(left, top, right - left, bottom - top), ToQColor(Brush));
}

void TCanvas::FrameRect(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  FillRect(left, top, right, top + 1);
  FillRect(left, bottom - 1, right, bottom);
  FillRect(left, top, left + 1, bottom);
  FillRect(right - 1, top, right, bottom);
}

void TCanvas::Line(QPoint from, QPoint to) {
  const QColor color = ToQColor(Pen);
  if (from.x() == to.x() || from.y() == to.y()) {
    // Straight lines as rectangles: exact and fast. The end point is left out.
    const int x0 = from.x(), y0 = from.y(), x1 = to.x(), y1 = to.y();
    const int left = x1 < x0 ? x1 + 1 : x0;
    const int right = x1 < x0 ? x0 + 1 : std::max(x1, x0 + 1);
    const int top = y1 < y0 ? y1 + 1 : y0;
    const int bottom = y1 < y0 ? y0 + 1 : std::max(y1, y0 + 1);
    if (from == to) return;
    Painter.fillRect(QRect(left, top, right - left, bottom - top), color);
    return;
  }
  // Bresenham, stopping before the end point.
  std::vector<QPoint> points;
  int x = from.x(), y = from.y();
  const int dx = std::abs(to.x() - x), dy = -std::abs(to.y() - y);
  const int sx = x < to.x() ? 1 : -1, sy = y < to.y() ? 1 : -1;
  int error = dx + dy;
  while (x != to.x() || y != to.y()) {
    points.emplace_back(x, y);
    const int twice = 2 * error;
    if (twice >= dy) error += dy, x += sx;
    if (twice <= dx) error += dx, y += sy;
  }
  Painter.setPen(QPen(color, 1));
  Painter.drawPoints(points.data(), static_cast<int>(points.size()));
}

void TCanvas::LineTo(int x, int y) {
  Line(PenPos, QPoint(x, y));
  PenPos = QPoint(x, y);
}

void TCanvas::Polygon(const QPoint* points, int count) {
  if (count < 2) return;
  Painter.setPen(Qt::NoPen);
  Painter.setBrush(ToQColor(Brush));
  Painter.drawPolygon(points, count, Qt::OddEvenFill);
  Painter.setBrush(Qt::NoBrush);
  for (int i = 0; i < count; ++i) Line(points[i], points[(i + 1) % count]);
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  const QSize extent = TextExtent(text);
  FillRect(x, y, x + extent.width(), y + extent.height());
  Painter.setFont(Font);
  Painter.setPen(ToQColor(FontColor));
  Painter.drawText(QPoint(x, y + Metrics.ascent()), text);
  PenPos = QPoint(x + extent.width(), y);
}

QSize TCanvas::TextExtent(const QString& text) const {
  return QSize(Metrics.horizontalAdvance(text), Metrics.height());
}

}  // namespace screen
