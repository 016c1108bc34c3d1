// POSIX half of the removal watcher: the udev monitor of tty devices
// (removals and arrivals), bound at run time, read when its descriptor becomes readable.

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

  // The tty that an "add" or "remove" event reports; nothing for others.
  struct TEvent {
    bool Added = false;
    QString Name;
  };
  TEvent ReadEvent() {
    const TUdevApi& api = SetupApi();
    udev_device* device = api.udev_monitor_receive_device(Monitor);
    if (device == nullptr) return {};
    const char* action = api.udev_device_get_action(device);
    const char* sysname = api.udev_device_get_sysname(device);
    TEvent event;
    if (action != nullptr && sysname != nullptr &&
        (std::strcmp(action, "remove") == 0 || std::strcmp(action, "add") == 0)) {
      event.Added = std::strcmp(action, "add") == 0;
      event.Name = QString::fromUtf8(sysname);
    }
    api.udev_device_unref(device);
    return event;
  }
};

TPortRemovalWatcher::TDeviceWatch::TDeviceWatch(TPortRemovalWatcher& owner)
    : State(std::make_unique<TState>()) {
  const int fd = State->StartMonitor();
  if (fd < 0) return;
  State->Notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(State->Notifier.get(), &QSocketNotifier::activated, &owner, [this, &owner] {
    const TState::TEvent event = State->ReadEvent();
    if (event.Name.isEmpty()) return;
    if (event.Added)
      emit owner.PortAdded(event.Name);
    else
      emit owner.PortRemoved(event.Name);
  });
}

TPortRemovalWatcher::TDeviceWatch::~TDeviceWatch() = default;

bool TPortRemovalWatcher::TDeviceWatch::Monitoring() const { return State->Monitor != nullptr; }

}  // namespace serial
