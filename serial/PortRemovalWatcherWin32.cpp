// Win32 half of the removal watcher: WM_DEVICECHANGE with
// DBT_DEVICEREMOVECOMPLETE for a port, which the system sends to every
// top-level window, taken from the application's native events.

#include <windows.h>
#include <dbt.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include "serial/PortRemovalWatcherDevices.h"

namespace serial {

struct TPortRemovalWatcher::TDeviceWatch::TState : QAbstractNativeEventFilter {
  explicit TState(TPortRemovalWatcher& owner) : Owner(owner) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~TState() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_DEVICECHANGE || msg->wParam != DBT_DEVICEREMOVECOMPLETE) return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(msg->lParam);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_PORT) return false;
    const auto* port = reinterpret_cast<const DEV_BROADCAST_PORT_A*>(header);
    emit Owner.PortRemoved(QString::fromLocal8Bit(port->dbcp_name));
    return false;  // others may want it too
  }

  TPortRemovalWatcher& Owner;
};

TPortRemovalWatcher::TDeviceWatch::TDeviceWatch(TPortRemovalWatcher& owner)
    : State(std::make_unique<TState>(owner)) {}

TPortRemovalWatcher::TDeviceWatch::~TDeviceWatch() = default;

bool TPortRemovalWatcher::TDeviceWatch::Monitoring() const { return true; }

}  // namespace serial
