#include "window/TickEvents.h"

#include <QCoreApplication>

namespace control {

TTickEvents::TTickEvents(QObject* parent, std::function<void()> onRedraw,
                         std::function<void()> onPortLost)
    : QObject(parent), OnRedraw(std::move(onRedraw)), OnPortLost(std::move(onPortLost)) {}

void TTickEvents::Post(QEvent::Type type) {
  std::lock_guard<std::mutex> guard(HandOver);
  QCoreApplication::postEvent(this, new QEvent(type));
}

bool TTickEvents::event(QEvent* e) {
  { std::lock_guard<std::mutex> guard(HandOver); }
  if (e->type() == RedrawEventType) {
    if (OnRedraw) OnRedraw();
    return true;
  }
  if (e->type() == PortLostEventType) {
    if (OnPortLost) OnPortLost();
    return true;
  }
  return QObject::event(e);
}

}  // namespace control
