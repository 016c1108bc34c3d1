#include "screen/Canvas.h"

#include <QFontMetricsF>
#include <QPolygon>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace screen {

namespace {

QColor ToQColor(TColor color) { return QColor::fromRgb(static_cast<QRgb>(color)); }

// The canvas places every device pixel itself, so the painter must not
// scale: the image is painted at ratio 1 and gets its ratio back at the end.
qreal PaintInDevicePixels(QImage& image) {
  const qreal ratio = image.devicePixelRatio();
  image.setDevicePixelRatio(1.0);
  return ratio;
}

// The hexagon an axis-aligned square of half side h covers when its centre
// moves from a to b (mirrored so that the move is down and to the right).
std::array<QPointF, 6> SquareSwept(QPointF a, QPointF b, qreal h) {
  const qreal fx = b.x() < a.x() ? -h : h, fy = b.y() < a.y() ? -h : h;
  auto corner = [&](QPointF p, int u, int v) { return QPointF(p.x() + u * fx, p.y() + v * fy); };
  return {corner(a, -1, -1), corner(a, 1, -1), corner(b, 1, -1),
          corner(b, 1, 1),   corner(b, -1, 1), corner(a, -1, 1)};
}

int LogicalLength(int device, qreal ratio) {
  return ratio == 1.0 ? device : static_cast<int>(std::ceil(device / ratio - 1e-9));
}

}  // namespace

int DevicePixels(int logical, qreal ratio) {
  return ratio == 1.0 ? logical : static_cast<int>(std::lround(logical * ratio));
}

TCanvas::TCanvas(QImage& image)
    : Image(image), Ratio(PaintInDevicePixels(image)), Painter(&image), DeviceMetrics(Font) {
  Painter.setRenderHint(QPainter::Antialiasing, false);
  Painter.setRenderHint(QPainter::TextAntialiasing, false);
  SetFont(Font);
}

TCanvas::~TCanvas() {
  Painter.end();
  Image.setDevicePixelRatio(Ratio);
}

void TCanvas::SetFont(const QFont& font) {
  Font = font;
  // Text in plain pixels, like the rest of the picture.
  Font.setStyleStrategy(QFont::NoAntialias);
  DeviceFont = Font;
  if (Ratio != 1.0) {
    if (Font.pixelSize() > 0)
      DeviceFont.setPixelSize(std::max(1, static_cast<int>(std::lround(Font.pixelSize() * Ratio))));
    else
      DeviceFont.setPointSizeF(Font.pointSizeF() * Ratio);
  }
  DeviceMetrics = QFontMetrics(DeviceFont);
  QFont reference = Font;
  reference.setPixelSize(100);
  CellPer100 = QFontMetricsF(reference).height();
}

void TCanvas::SetFontHeight(int height) {
  auto size = [this](qreal cell) {
    const long pixels = CellPer100 > 0 ? std::lround(cell * 100.0 / CellPer100) : std::lround(cell);
    return std::max(static_cast<int>(pixels), 1);
  };
  Font.setPixelSize(size(height));
  DeviceFont.setPixelSize(size(height * Ratio));
  DeviceMetrics = QFontMetrics(DeviceFont);
}

void TCanvas::FillDevice(int left, int top, int right, int bottom, TColor color) {
  const int x0 = Device(left), y0 = Device(top);
  Painter.fillRect(QRect(x0, y0, Device(right) - x0, Device(bottom) - y0), ToQColor(color));
}

void TCanvas::FillRect(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  FillDevice(left, top, right, bottom, Brush);
}

void TCanvas::FrameRect(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  FillRect(left, top, right, top + 1);
  FillRect(left, bottom - 1, right, bottom);
  FillRect(left, top, left + 1, bottom);
  FillRect(right - 1, top, right, bottom);
}

void TCanvas::Line(QPoint from, QPoint to) {
  if (from.x() == to.x() || from.y() == to.y()) {
    // Straight lines as rectangles: exact and fast. The end point is left out.
    const int x0 = from.x(), y0 = from.y(), x1 = to.x(), y1 = to.y();
    const int left = x1 < x0 ? x1 + 1 : x0;
    const int right = x1 < x0 ? x0 + 1 : std::max(x1, x0 + 1);
    const int top = y1 < y0 ? y1 + 1 : y0;
    const int bottom = y1 < y0 ? y0 + 1 : std::max(y1, y0 + 1);
    if (from == to) return;
    FillDevice(left, top, right, bottom, Pen);
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
  if (Ratio != 1.0) {
    for (const QPoint& p : points) FillDevice(p.x(), p.y(), p.x() + 1, p.y() + 1, Pen);
    return;
  }
  Painter.setPen(QPen(ToQColor(Pen), 1));
  Painter.drawPoints(points.data(), static_cast<int>(points.size()));
}

void TCanvas::LineTo(int x, int y) {
  Line(PenPos, QPoint(x, y));
  PenPos = QPoint(x, y);
}

void TCanvas::Polygon(const QPoint* points, int count) {
  if (count < 2) return;
  if (Ratio != 1.0) {
    DevicePolygon(points, count);
    return;
  }
  Painter.setPen(Qt::NoPen);
  Painter.setBrush(ToQColor(Brush));
  Painter.drawPolygon(points, count, Qt::OddEvenFill);
  Painter.setBrush(Qt::NoBrush);
  for (int i = 0; i < count; ++i) Line(points[i], points[(i + 1) % count]);
}

// The same shape at device resolution: the polygon through the centres of
// its corner pixels, and its outline swept by a square as large as one
// logical pixel, which is what the one-pixel pen draws at ratio 1. Edges
// become fine steps of device pixels; corners stay square.
void TCanvas::DevicePolygon(const QPoint* points, int count) {
  std::vector<QPointF> centres;
  centres.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    centres.emplace_back((points[i].x() + 0.5) * Ratio, (points[i].y() + 0.5) * Ratio);
  Painter.setPen(Qt::NoPen);
  Painter.setBrush(ToQColor(Brush));
  Painter.drawPolygon(centres.data(), count, Qt::OddEvenFill);
  Painter.setBrush(ToQColor(Pen));
  // A hair less than half a logical pixel: a diagonal edge then passes
  // beside pixel centres, not through them, and both sides of a shape round
  // alike (the rasterizer's units are 1/64 pixel).
  const qreal half = Ratio / 2 - 1.0 / 64;
  for (int i = 0; i < count; ++i) {
    const std::array<QPointF, 6> swept = SquareSwept(centres[i], centres[(i + 1) % count], half);
    Painter.drawPolygon(swept.data(), static_cast<int>(swept.size()));
  }
  Painter.setBrush(Qt::NoBrush);
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  const QSize extent = TextExtent(text);
  FillRect(x, y, x + extent.width(), y + extent.height());
  Painter.setFont(DeviceFont);
  Painter.setPen(ToQColor(FontColor));
  Painter.drawText(QPoint(Device(x), Device(y) + DeviceMetrics.ascent()), text);
  if (TextLog) TextLog->push_back({text, QPoint(x, y), FontColor, extent.height()});
  PenPos = QPoint(x + extent.width(), y);
}

QSize TCanvas::TextExtent(const QString& text) const {
  return QSize(LogicalLength(DeviceMetrics.horizontalAdvance(text), Ratio),
               LogicalLength(DeviceMetrics.height(), Ratio));
}

}  // namespace screen
