// POSIX half of the removal watcher: the udev monitor of tty devices,
// bound at run time, read when its descriptor becomes readable.

#include <QSocketNotifier>
#include <cstring>

#include "serial/PortRemovalWatcherDevices.h"
#include "serial/UdevApi.h"

namespace serial {

struct TPortRemovalWatcher::TDeviceWatch::TState {
  TSetupApiUse Api;
  udev* Context = nullptr;
  udev_monitor* Monitor = nullptr;
  std::unique_ptr<QSocketNotifier> Notifier;

  ~TState() {
    Notifier.reset();  // before the descriptor it watches goes
    if (!Api.Loaded()) return;
    const TUdevApi& api = SetupApi();
    if (Monitor != nullptr) api.udev_monitor_unref(Monitor);
    if (Context != nullptr) api.udev_unref(Context);
  }

  int StartMonitor() {
    if (!Api.Loaded()) return -1;
    const TUdevApi& api = SetupApi();
    Context = api.udev_new();
    if (Context == nullptr) return -1;
    Monitor = api.udev_monitor_new_from_netlink(Context, "udev");
    if (Monitor == nullptr) return -1;
    const int fd =
        api.udev_monitor_filter_add_match_subsystem_devtype(Monitor, "tty", nullptr) == 0 &&
                api.udev_monitor_enable_receiving(Monitor) == 0
            ? api.udev_monitor_get_fd(Monitor)
            : -1;
    if (fd < 0) {
      api.udev_monitor_unref(Monitor);
      Monitor = nullptr;
    }
    return fd;
  }

  // The name of a tty that a "remove" event reports, else empty.
  QString ReadRemoval() {
    const TUdevApi& api = SetupApi();
    udev_device* device = api.udev_monitor_receive_device(Monitor);
    if (device == nullptr) return {};
    const char* action = api.udev_device_get_action(device);
    const char* sysname = api.udev_device_get_sysname(device);
    const bool removed =
        action != nullptr && std::strcmp(action, "remove") == 0 && sysname != nullptr;
    const QString name = removed ? QString::fromUtf8(sysname) : QString();
    api.udev_device_unref(device);
    return name;
  }
};

TPortRemovalWatcher::TDeviceWatch::TDeviceWatch(TPortRemovalWatcher& owner)
    : State(std::make_unique<TState>()) {
  const int fd = State->StartMonitor();
  if (fd < 0) return;
  State->Notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(State->Notifier.get(), &QSocketNotifier::activated, &owner, [this, &owner] {
    const QString name = State->ReadRemoval();
    if (!name.isEmpty()) emit owner.PortRemoved(name);
  });
}

TPortRemovalWatcher::TDeviceWatch::~TDeviceWatch() = default;

bool TPortRemovalWatcher::TDeviceWatch::Monitoring() const { return State->Monitor != nullptr; }

}  // namespace serial
