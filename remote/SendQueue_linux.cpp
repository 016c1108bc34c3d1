// The send queue of a socket on Linux: the bytes written and not yet
// acknowledged by the peer, which a client that does not read leaves there.

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include "remote/SocketSupport.h"

namespace remote {

qint64 SystemSendQueue(qintptr descriptor) {
  int queued = 0;
  if (descriptor < 0 || ::ioctl(static_cast<int>(descriptor), SIOCOUTQ, &queued) != 0) return 0;
  return queued;
}

}  // namespace remote
