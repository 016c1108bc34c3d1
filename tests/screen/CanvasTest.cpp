// The canvas's pixel rules: exclusive rectangles, inner frames, lines
// without their end point, opaque text moving the pen.
#include <gtest/gtest.h>

#include <QFont>

#include "screen/Canvas.h"
#include "tests/screen/ScreenPixels.h"

namespace screen {
namespace {

using test::CountColor;
using test::Pixel;

constexpr TColor Black = 0x000000, Red = 0xFF0000, Blue = 0x0000FF, White = 0xFFFFFF;

class CanvasTest : public ::testing::Test {
 protected:
  CanvasTest() : Image(20, 20, QImage::Format_RGB32) { Image.fill(Qt::black); }
  QImage Image;
};

TEST_F(CanvasTest, FillRectLeavesRightAndBottomOut) {
  {
    TCanvas canvas(Image);
    canvas.SetBrushColor(Red);
    canvas.FillRect(2, 3, 5, 7);
    canvas.FillRect(10, 10, 10, 15);  // empty
    canvas.FillRect(12, 12, 11, 15);  // inverted: nothing
  }
  EXPECT_EQ(CountColor(Image, Image.rect(), Red), 3 * 4);
  EXPECT_EQ(Pixel(Image, 2, 3), Red);
  EXPECT_EQ(Pixel(Image, 4, 6), Red);
  EXPECT_EQ(Pixel(Image, 5, 6), Black);
  EXPECT_EQ(Pixel(Image, 4, 7), Black);
}

TEST_F(CanvasTest, FrameIsOnePixelInside) {
  {
    TCanvas canvas(Image);
    canvas.SetBrushColor(Red);
    canvas.FrameRect(1, 1, 19, 19);
  }
  EXPECT_EQ(CountColor(Image, Image.rect(), Red), 4 * 17);
  EXPECT_EQ(Pixel(Image, 1, 1), Red);
  EXPECT_EQ(Pixel(Image, 18, 18), Red);
  EXPECT_EQ(Pixel(Image, 19, 19), Black);
  EXPECT_EQ(Pixel(Image, 2, 2), Black);
}

TEST_F(CanvasTest, LinesExcludeTheEndPoint) {
  {
    TCanvas canvas(Image);
    canvas.SetPenColor(Red);
    canvas.MoveTo(3, 15);
    canvas.LineTo(3, 10);  // upward: rows 15..11
    EXPECT_EQ(canvas.PenPos, QPoint(3, 10));
    canvas.SetPenColor(Blue);
    canvas.MoveTo(5, 2);
    canvas.LineTo(9, 2);  // rightward: columns 5..8
    canvas.SetPenColor(White);
    canvas.MoveTo(10, 10);
    canvas.LineTo(14, 14);  // diagonal: (10,10)..(13,13)
    canvas.MoveTo(0, 0);
    canvas.LineTo(0, 0);  // nothing
  }
  EXPECT_EQ(CountColor(Image, Image.rect(), Red), 5);
  EXPECT_EQ(Pixel(Image, 3, 15), Red);
  EXPECT_EQ(Pixel(Image, 3, 10), Black);
  EXPECT_EQ(CountColor(Image, Image.rect(), Blue), 4);
  EXPECT_EQ(Pixel(Image, 9, 2), Black);
  EXPECT_EQ(CountColor(Image, Image.rect(), White), 4);
  EXPECT_EQ(Pixel(Image, 13, 13), White);
  EXPECT_EQ(Pixel(Image, 14, 14), Black);
  EXPECT_EQ(Pixel(Image, 0, 0), Black);
}

TEST_F(CanvasTest, PolygonOutlineCoversEveryVertex) {
  const QPoint points[] = {{2, 2}, {12, 2}, {7, 10}};
  {
    TCanvas canvas(Image);
    canvas.SetBrushColor(Blue);
    canvas.SetPenColor(Red);
    canvas.Polygon(points, 3);
  }
  for (const QPoint& p : points) EXPECT_EQ(Pixel(Image, p.x(), p.y()), Red);
  EXPECT_EQ(Pixel(Image, 7, 4), Blue);
  EXPECT_EQ(Pixel(Image, 13, 2), Black);
}

TEST_F(CanvasTest, TextIsOpaqueAndMovesThePen) {
  QImage image(200, 60, QImage::Format_RGB32);
  image.fill(Qt::black);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(20);
  QSize extent;
  {
    TCanvas canvas(image);
    canvas.SetFont(font);
    canvas.SetBrushColor(Blue);
    canvas.SetFontColor(White);
    extent = canvas.TextExtent(QStringLiteral("Hz 8"));
    canvas.TextOut(10, 5, QStringLiteral("Hz 8"));
    EXPECT_EQ(canvas.PenPos, QPoint(10 + extent.width(), 5));
    canvas.SetFontHeight(30);
    EXPECT_NEAR(canvas.TextExtent(QStringLiteral("x")).height(), 30, 1);
  }
  EXPECT_GT(extent.width(), 20);
  const QRect cell(10, 5, extent.width(), extent.height());
  EXPECT_EQ(CountColor(image, cell, Blue) + CountColor(image, cell, White),
            cell.width() * cell.height());
  EXPECT_GT(CountColor(image, cell, White), 20);
  EXPECT_EQ(CountColor(image, image.rect(), Blue) + CountColor(image, image.rect(), White),
            cell.width() * cell.height());
  // The owner's font keeps its size.
  EXPECT_EQ(font.pixelSize(), 20);
}

}  // namespace
}  // namespace screen
