#include "serial/PortRemovalWatcher.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cstring>

#include "serial/PortList.h"
#include "serial/SetupApi.h"

namespace serial {

TPortRemovalWatcher::TPortRemovalWatcher(QObject* parent, const QString& virtualDirectory,
                                         int pollMs)
    : QObject(parent),
      Directory(virtualDirectory.isEmpty() ? QString::fromStdString(VirtualPortDirectory())
                                           : virtualDirectory) {
  KnownVirtual = PresentVirtualPorts();
  // Polling copes with the directory being created or removed later, which
  // a file-system watch would not see.
  PollTimer = new QTimer(this);
  connect(PollTimer, &QTimer::timeout, this, &TPortRemovalWatcher::ScanVirtualPorts);
  PollTimer->start(pollMs);
  StartUdevMonitor();
}

TPortRemovalWatcher::~TPortRemovalWatcher() {
  delete Notifier;  // before the descriptor it watches goes
  Notifier = nullptr;
  if (Api && Api->Loaded()) {
    const TUdevApi& api = SetupApi();
    if (Monitor != nullptr) api.udev_monitor_unref(Monitor);
    if (Context != nullptr) api.udev_unref(Context);
  }
}

void TPortRemovalWatcher::StartUdevMonitor() {
  Api = std::make_unique<TSetupApiUse>();
  if (!Api->Loaded()) return;
  const TUdevApi& api = SetupApi();
  Context = api.udev_new();
  if (Context == nullptr) return;
  Monitor = api.udev_monitor_new_from_netlink(Context, "udev");
  if (Monitor == nullptr) return;
  const int fd = api.udev_monitor_filter_add_match_subsystem_devtype(Monitor, "tty", nullptr) == 0 &&
                         api.udev_monitor_enable_receiving(Monitor) == 0
                     ? api.udev_monitor_get_fd(Monitor)
                     : -1;
  if (fd < 0) {
    api.udev_monitor_unref(Monitor);
    Monitor = nullptr;
    return;
  }
  Notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(Notifier, &QSocketNotifier::activated, this, &TPortRemovalWatcher::ReadUdevEvent);
}

void TPortRemovalWatcher::ReadUdevEvent() {
  const TUdevApi& api = SetupApi();
  udev_device* device = api.udev_monitor_receive_device(Monitor);
  if (device == nullptr) return;
  const char* action = api.udev_device_get_action(device);
  const char* sysname = api.udev_device_get_sysname(device);
  const bool removed = action != nullptr && std::strcmp(action, "remove") == 0 && sysname != nullptr;
  const QString name = removed ? QString::fromUtf8(sysname) : QString();
  api.udev_device_unref(device);
  if (removed) emit PortRemoved(name);
}

QSet<QString> TPortRemovalWatcher::PresentVirtualPorts() const {
  QSet<QString> names;
  for (const TPortEntry& port : EnumerateVirtualPorts(Directory.toStdString()))
    names.insert(QString::fromStdString(port.Name));
  return names;
}

void TPortRemovalWatcher::ScanVirtualPorts() {
  const QSet<QString> present = PresentVirtualPorts();
  const QSet<QString> gone = KnownVirtual - present;
  KnownVirtual = present;
  for (const QString& name : gone) emit PortRemoved(name);
}

}  // namespace serial
