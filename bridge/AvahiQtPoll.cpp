#include "bridge/AvahiQtPoll.h"

#include <avahi-common/timeval.h>

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <memory>

namespace bridge {

// Qt objects that may be freed from inside their own signal.
struct TDeleteQtLater {
  void operator()(QObject* object) const { object->deleteLater(); }
};
template <class T>
using TLaterPtr = std::unique_ptr<T, TDeleteQtLater>;

}  // namespace bridge

// Avahi declares these two opaque; their shape is the poll's own.
struct AvahiWatch {
  int Fd;
  AvahiWatchCallback Callback;
  void* UserData;
  AvahiWatchEvent Happened = static_cast<AvahiWatchEvent>(0);
  bridge::TLaterPtr<QSocketNotifier> Reading;
  bridge::TLaterPtr<QSocketNotifier> Writing;

  // The callback may free this watch: nothing of it is touched afterwards.
  void Fire(AvahiWatchEvent event) {
    Happened = event;
    Callback(this, Fd, event, UserData);
  }

  void Want(AvahiWatchEvent events) {
    Reading->setEnabled((events & AVAHI_WATCH_IN) != 0);
    Writing->setEnabled((events & AVAHI_WATCH_OUT) != 0);
  }
};

struct AvahiTimeout {
  AvahiTimeoutCallback Callback;
  void* UserData;
  bridge::TLaterPtr<QTimer> Timer;

  void Arm(const struct timeval* when) {
    if (when == nullptr) {
      Timer->stop();
      return;
    }
    // avahi_age: microseconds since the moment, negative before it.
    const AvahiUsec remaining = -avahi_age(when) / 1000;
    Timer->start(static_cast<int>(std::clamp<AvahiUsec>(remaining, 0, INT_MAX)));
  }
};

namespace bridge {
namespace {

AvahiWatch* WatchNew(const AvahiPoll*, int fd, AvahiWatchEvent events, AvahiWatchCallback callback,
                     void* userData) {
  auto* watch =
      new AvahiWatch{fd,
                     callback,
                     userData,
                     static_cast<AvahiWatchEvent>(0),
                     TLaterPtr<QSocketNotifier>(new QSocketNotifier(fd, QSocketNotifier::Read)),
                     TLaterPtr<QSocketNotifier>(new QSocketNotifier(fd, QSocketNotifier::Write))};
  QObject::connect(watch->Reading.get(), &QSocketNotifier::activated,
                   [watch] { watch->Fire(AVAHI_WATCH_IN); });
  QObject::connect(watch->Writing.get(), &QSocketNotifier::activated,
                   [watch] { watch->Fire(AVAHI_WATCH_OUT); });
  watch->Want(events);
  return watch;
}

void WatchUpdate(AvahiWatch* watch, AvahiWatchEvent events) { watch->Want(events); }

AvahiWatchEvent WatchGetEvents(AvahiWatch* watch) { return watch->Happened; }

void WatchFree(AvahiWatch* watch) {
  // The notifiers are disconnected first: none fires for a freed watch.
  watch->Reading->disconnect();
  watch->Writing->disconnect();
  delete watch;
}

AvahiTimeout* TimeoutNew(const AvahiPoll*, const struct timeval* when,
                         AvahiTimeoutCallback callback, void* userData) {
  auto* timeout = new AvahiTimeout{callback, userData, TLaterPtr<QTimer>(new QTimer)};
  timeout->Timer->setSingleShot(true);
  QObject::connect(timeout->Timer.get(), &QTimer::timeout,
                   [timeout] { timeout->Callback(timeout, timeout->UserData); });
  timeout->Arm(when);
  return timeout;
}

void TimeoutUpdate(AvahiTimeout* timeout, const struct timeval* when) { timeout->Arm(when); }

void TimeoutFree(AvahiTimeout* timeout) {
  timeout->Timer->disconnect();
  delete timeout;
}

}  // namespace

TAvahiQtPoll::TAvahiQtPoll()
    : Table{nullptr,   WatchNew,   WatchUpdate,   WatchGetEvents,
            WatchFree, TimeoutNew, TimeoutUpdate, TimeoutFree} {}

}  // namespace bridge
