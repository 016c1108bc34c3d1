#pragma once
// Pixel helpers shared by the rendering tests.

#include <QFont>
#include <QImage>
#include <QRect>
#include <set>

#include "screen/ZOLScreen.h"
#include "screen/ZOLScreenModel.h"

namespace screen::test {

// The screen's background, as the model starts.
constexpr TColor Navy = 0x000080;

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

// The colours found inside `area`.
inline std::set<TColor> ColoursIn(const QImage& image, const QRect& area) {
  std::set<TColor> colours;
  const QRect clipped = area & image.rect();
  for (int y = clipped.top(); y <= clipped.bottom(); ++y)
    for (int x = clipped.left(); x <= clipped.right(); ++x) colours.insert(Pixel(image, x, y));
  return colours;
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

// A model with its picture, drawn as the window redraws: the model advances
// one redraw and its frame is drawn.
class TDrawnScreen : public TZOLScreenModel {
 public:
  TZOLScreen View;

  void SetValueFont(const QFont* font) {
    View.SetValueFont(font);
    ValueAspect = View.ValueAspect();
  }
  void SetScaleFont(const QFont* font) { View.SetScaleFont(font); }
  bool NarrowFont() const { return View.NarrowFont(); }
  const QImage& ResizeBitmap(int width, int height) {
    View.ResizeBitmap(width, height);
    SetBitmapSize(View.Size().width(), View.Size().height());
    return Render();
  }
  const QImage& Render() { return View.Render(AdvanceRedraw()); }
};

// The fonts the window hands the screen, and a drawn screen that uses them.
struct TScreenWithFonts {
  TScreenWithFonts() {
    ValueFont.setPixelSize(100);
    ScaleFont.setPixelSize(12);
    Screen.SetScaleFont(&ScaleFont);
    Screen.SetValueFont(&ValueFont);
  }
  QFont ValueFont{QStringLiteral("Arial Narrow")};
  QFont ScaleFont{QStringLiteral("Liberation Sans")};
  TDrawnScreen Screen;
};

}  // namespace screen::test
