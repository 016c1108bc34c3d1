#include "ui/Panel.h"

#include <QMouseEvent>

namespace ui {

TPanel::TPanel(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setAutoFillBackground(true);
}

// Disabled controls pass their mouse events on to the panel; a double click
// on them must not count as one on the background.
void TPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (childAt(event->position().toPoint()) == nullptr) {
    event->accept();
    emit DoubleClicked();
    return;
  }
  QFrame::mouseDoubleClickEvent(event);
}

}  // namespace ui
