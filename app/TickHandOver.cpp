#include "app/TickHandOver.h"

#include <QCoreApplication>

namespace app {

TTickHandOver::TTickHandOver(std::function<void()> onTick, std::function<void()> onPortLost)
    : OnTick(std::move(onTick)), OnPortLost(std::move(onPortLost)) {}

void TTickHandOver::Post(QEvent::Type type) {
  std::lock_guard<std::mutex> guard(HandOver);
  QCoreApplication::postEvent(this, new QEvent(type));
}

void TTickHandOver::DropPosted() { QCoreApplication::removePostedEvents(this); }

bool TTickHandOver::event(QEvent* e) {
  { std::lock_guard<std::mutex> guard(HandOver); }
  if (e->type() == TickEvent) {
    OnTick();
    return true;
  }
  if (e->type() == PortLostEvent) {
    OnPortLost();
    return true;
  }
  return QObject::event(e);
}

}  // namespace app
