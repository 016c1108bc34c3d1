#pragma once
// Avahi's main-loop interface (AvahiPoll) on Qt's event loop: a watch is a
// pair of socket notifiers, a timeout a single-shot timer, so that the
// Avahi client's callbacks run on the thread of the event loop, like every
// other handler of the bridge. Avahi may free a watch or a timeout from its
// own callback: the Qt objects go with deleteLater.
//
// Owns nothing but the AvahiPoll table; the watches and timeouts belong to
// whoever made them (the Avahi client). GUI thread only.

#include <avahi-common/watch.h>

namespace bridge {

class TAvahiQtPoll {
 public:
  TAvahiQtPoll();
  const AvahiPoll* Api() const { return &Table; }

 private:
  AvahiPoll Table;
};

}  // namespace bridge
