#pragma once
// Carries the tick's notices (a tick ran, a port error ended one) from the
// timer thread to the bridge's thread as posted events, each under a lock
// of our own as well as Qt's queue: Qt's queue is safe by itself, but its
// futex is invisible to ThreadSanitizer; the lock states the ordering in a
// form the sanitizer checks.
//
// A QObject of the bridge's thread. Post* may be called from any thread;
// the callbacks run on the object's thread.

#include <QEvent>
#include <QObject>
#include <functional>
#include <mutex>

namespace bridge {

class TTickHandOver : public QObject {
 public:
  TTickHandOver(std::function<void()> onTick, std::function<void()> onPortLost);

  void PostTick() { Post(TickEvent); }
  void PostPortLost() { Post(PortLostEvent); }

 protected:
  bool event(QEvent* e) override;

 private:
  static constexpr QEvent::Type TickEvent = static_cast<QEvent::Type>(QEvent::User + 1);
  static constexpr QEvent::Type PortLostEvent = static_cast<QEvent::Type>(QEvent::User + 2);

  void Post(QEvent::Type type);

  std::mutex HandOver;
  std::function<void()> OnTick;
  std::function<void()> OnPortLost;
};

}  // namespace bridge
