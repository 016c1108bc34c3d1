#pragma once
// Tells that a serial port went away: a device that the system reports
// removed, or a virtual port whose link left the registry directory or lost
// its target. POSIX (PortRemovalWatcherUdev.cpp): the udev monitor, name =
// the tty's sysname, e.g. ttyUSB0; without libudev only the virtual ports
// are watched. Win32 (PortRemovalWatcherWin32.cpp): the WM_DEVICECHANGE
// removal of a port, name = e.g. COM3. On POSIX it also tells of ports that
// appear (udev's "add", a new link in the registry), for a program that
// connects again to a port plugged back in; the window listens to removals
// only.
//
// Owns its device watch (the udev monitor bound at run time and its
// notifier, or a native event filter); lives and emits on the GUI thread.

#include <QObject>
#include <QSet>
#include <QString>
#include <memory>

class QTimer;

namespace serial {

class TPortRemovalWatcher : public QObject {
  Q_OBJECT

 public:
  // virtualDirectory: the registry to watch; empty means VirtualPortDirectory().
  explicit TPortRemovalWatcher(QObject* parent = nullptr, const QString& virtualDirectory = {},
                               int pollMs = 200);
  ~TPortRemovalWatcher() override;

  bool MonitoringDevices() const;

 signals:
  void PortRemoved(QString name);
  void PortAdded(QString name);

 private:
  class TDeviceWatch;  // one per system half

  void ScanVirtualPorts();
  QSet<QString> PresentVirtualPorts() const;

  QString Directory;
  QSet<QString> KnownVirtual;
  QTimer* PollTimer = nullptr;
  std::unique_ptr<TDeviceWatch> Devices;
};

}  // namespace serial
