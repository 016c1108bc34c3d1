#pragma once
// Carries the tick's notices (a tick ran, a port error ended one) from the
// timer thread to the thread that started the run, as posted events.
//
// The hand-over runs through a lock of our own as well as Qt's queue: the
// tick allocates and posts each event under HandOver, and the receiver
// takes HandOver before it reads the event. Qt's queue is safe by itself,
// but its futex is invisible to ThreadSanitizer; this lock states the
// ordering in a form the sanitizer checks.
//
// A QObject of the run's thread, owned by the run. Post* may be called from
// any thread; the callbacks run on the object's thread.

#include <QEvent>
#include <QObject>
#include <functional>
#include <mutex>

namespace app {

class TTickHandOver : public QObject {
 public:
  TTickHandOver(std::function<void()> onTick, std::function<void()> onPortLost);

  // 2000 above QEvent::User, where a Win32 window's redraw message sits
  // above WM_USER.
  static constexpr QEvent::Type TickEvent = static_cast<QEvent::Type>(QEvent::User + 2000);
  static constexpr QEvent::Type PortLostEvent = static_cast<QEvent::Type>(QEvent::User + 2001);

  void PostTick() { Post(TickEvent); }
  void PostPortLost() { Post(PortLostEvent); }
  // Drops the notices posted and not yet taken; for after the tick stopped.
  void DropPosted();

 protected:
  bool event(QEvent* e) override;

 private:
  void Post(QEvent::Type type);

  std::mutex HandOver;
  std::function<void()> OnTick;
  std::function<void()> OnPortLost;
};

}  // namespace app
