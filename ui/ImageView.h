#pragma once
// The image control of the generator screen: paints its picture 1:1 from
// the top-left corner (in device pixels: a picture made at the widget's
// device pixel ratio is not scaled), fills the rest with its background
// colour, and reports mouse presses, moves and releases in widget
// (logical) pixels, and the mouse wheel's vertical turns in whole notches.
// Assistive technology sees it through TImageViewAccessible (Accessibility.h).
// Keeps its own (implicitly shared) copy of the picture. GUI thread only.

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "ui/WheelNotches.h"

namespace ui {

class TImageView : public QWidget {
  Q_OBJECT

 public:
  explicit TImageView(QWidget* parent = nullptr);

  void SetImage(const QImage& image);
  const QImage& Image() const { return FImage; }
  void SetBackground(const QColor& color) { FBackground = color; }
  // What the picture shows in words, for assistive technology; a change is
  // announced to it (when one listens), at most once an AnnounceInterval:
  // a running sweep changes the words twenty times a second, and a screen
  // reader speaks each announcement. A change within the interval is
  // announced when it is up, with the words of then; a reader that asks
  // has the current words at any time.
  static constexpr int AnnounceInterval = 1000;  // milliseconds
  void SetAccessibleValue(const QString& text);
  const QString& AccessibleValue() const { return FAccessibleValue; }

 signals:
  void MousePressed(Qt::MouseButton button, int x, int y);
  void MouseMoved(int x, int y);
  void MouseReleased(Qt::MouseButton button, int x, int y);
  void Resized();
  // Whole notches of the wheel, positive when turned away from the user
  // (whatever the desktop's scrolling direction).
  void WheelTurned(int notches);
  // The words' change was announced (to assistive technology, when one
  // listens).
  void Announced();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QImage FImage;
  QColor FBackground{0, 0, 0x80};
  TWheelNotches FWheel;
  QString FAccessibleValue;
  QTimer FAnnounceQuiet;  // runs for an interval after each announcement
  bool FAnnounceDue = false;
  void Announce();
};

}  // namespace ui
