#include "ui/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace ui {

QImage ProgramIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 48.0, size / 48.0);
  // Cabinet and navy screen, like the generator screen of the main window.
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
  p.setBrush(QColor(0xC0, 0xC0, 0xC0));
  p.drawRoundedRect(QRectF(2, 6, 44, 36), 4, 4);
  p.setBrush(QColor(0x00, 0x00, 0x80));
  p.drawRect(QRectF(6, 10, 36, 22));
  // One period of a sine in the pointer red.
  QPainterPath wave;
  for (int i = 0; i <= 32; ++i) {
    const double x = 8 + i;
    const double y = 21 - 8 * std::sin(i * 2 * M_PI / 32);
    if (i == 0)
      wave.moveTo(x, y);
    else
      wave.lineTo(x, y);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xFF, 0x00, 0x27), 2));
  p.drawPath(wave);
  // Two knobs under the screen.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x80, 0x00, 0x80));
  p.drawEllipse(QPointF(14, 37), 3, 3);
  p.setBrush(QColor(0x00, 0x80, 0x80));
  p.drawEllipse(QPointF(34, 37), 3, 3);
  return image;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
  return icon;
}

}  // namespace ui
