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

class QFileSystemWatcher;
class QTimer;

namespace serial {

class TPortRemovalWatcher : public QObject {
  Q_OBJECT

 public:
  // virtualDirectory: the registry to watch; empty means VirtualPortDirectory().
  // The registry (its parent until it is made) and the folders of its links'
  // targets are watched; a look every pollMs finds what no watch sees.
  explicit TPortRemovalWatcher(QObject* parent = nullptr, const QString& virtualDirectory = {},
                               int pollMs = 2000);
  ~TPortRemovalWatcher() override;

  bool MonitoringDevices() const;

 signals:
  void PortRemoved(QString name);
  void PortAdded(QString name);

 private:
  class TDeviceWatch;  // one per system half

  void ScanVirtualPorts();
  QSet<QString> PresentVirtualPorts() const;
  // Watches the registry, or its parent while it is missing, and the folders
  // its links point into, as they are now.
  void WatchVirtualPorts();

  QString Directory;
  QSet<QString> KnownVirtual;
  QTimer* PollTimer = nullptr;
  QFileSystemWatcher* Watch = nullptr;
  std::unique_ptr<TDeviceWatch> Devices;
};

}  // namespace serial
