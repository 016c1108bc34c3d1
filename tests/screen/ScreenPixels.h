#pragma once
// Pixel helpers shared by the rendering tests.

#include <QImage>
#include <QRect>

#include "screen/ZOLScreenModel.h"

namespace screen::test {

inline TColor Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

// Number of pixels of `color` inside `area`.
inline int CountColor(const QImage& image, const QRect& area, TColor color) {
  int count = 0;
  const QRect clipped = area & image.rect();
  for (int y = clipped.top(); y <= clipped.bottom(); ++y)
    for (int x = clipped.left(); x <= clipped.right(); ++x)
      if (Pixel(image, x, y) == color) ++count;
  return count;
}

// Smallest rectangle holding every pixel of `color` inside `area`.
inline QRect BoundsOfColor(const QImage& image, const QRect& area, TColor color) {
  QRect bounds;
  const QRect clipped = area & image.rect();
  for (int y = clipped.top(); y <= clipped.bottom(); ++y)
    for (int x = clipped.left(); x <= clipped.right(); ++x)
      if (Pixel(image, x, y) == color) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

}  // namespace screen::test
