#include "ui/ImageView.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <utility>

#include "ui/Accessibility.h"

namespace ui {

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
  InstallAccessibleInterfaces();
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  FAnnounceQuiet.setSingleShot(true);
  FAnnounceQuiet.setTimerType(Qt::PreciseTimer);
  FAnnounceQuiet.setInterval(AnnounceInterval);
  connect(&FAnnounceQuiet, &QTimer::timeout, this, [this] {
    if (std::exchange(FAnnounceDue, false)) Announce();
  });
}

void TImageView::SetAccessibleValue(const QString& text) {
  if (text == FAccessibleValue) return;
  FAccessibleValue = text;
  if (FAnnounceQuiet.isActive())
    FAnnounceDue = true;
  else
    Announce();
}

void TImageView::Announce() {
  FAnnounceQuiet.start();
  emit Announced();
  if (!QAccessible::isActive()) return;
  // AT-SPI carries the words as the description, and Qt's bridge drops a
  // value change of an object without a numeric value: announce the
  // description's change.
  QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&changed);
}

void TImageView::SetImage(const QImage& image) {
  FImage = image;
  update();
}

void TImageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), FBackground);
  painter.drawImage(QPoint(0, 0), FImage);
}

void TImageView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MousePressed(event->button(), p.x(), p.y());
}

void TImageView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseMoved(p.x(), p.y());
}

void TImageView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseReleased(event->button(), p.x(), p.y());
}

void TImageView::wheelEvent(QWheelEvent* event) {
  event->accept();
  // "Natural" scrolling reverses the deltas; the wheel's own turn counts.
  const int eighths = event->inverted() ? -event->angleDelta().y() : event->angleDelta().y();
  if (const int notches = FWheel.Add(eighths)) emit WheelTurned(notches);
}

void TImageView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit Resized();
}

}  // namespace ui
