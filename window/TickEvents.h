#pragma once
// Carries the update tick's notifications (redraw, port lost) from the
// timer thread to the GUI thread as posted events.
//
// The hand-over runs through a lock of our own as well as Qt's queue: the
// tick allocates and posts each event under HandOver, and the receiver
// takes HandOver before it reads the event. Qt's queue is safe by itself,
// but its futex is invisible to ThreadSanitizer; this lock states the
// ordering in a form the sanitizer checks.
//
// Owned by the main window (Qt parent). Post* may be called from any
// thread; the callbacks run on the GUI thread.

#include <QEvent>
#include <QObject>
#include <functional>
#include <mutex>

namespace control {

class TTickEvents : public QObject {
 public:
  TTickEvents(QObject* parent, std::function<void()> onRedraw, std::function<void()> onPortLost);

  // 2000 above QEvent::User, where a Win32 window's redraw message sits
  // above WM_USER.
  static constexpr QEvent::Type RedrawEventType = static_cast<QEvent::Type>(QEvent::User + 2000);
  static constexpr QEvent::Type PortLostEventType = static_cast<QEvent::Type>(QEvent::User + 2001);

  void PostRedraw() { Post(RedrawEventType); }
  void PostPortLost() { Post(PortLostEventType); }

 protected:
  bool event(QEvent* e) override;

 private:
  void Post(QEvent::Type type);

  std::mutex HandOver;
  std::function<void()> OnRedraw;
  std::function<void()> OnPortLost;
};

}  // namespace control
