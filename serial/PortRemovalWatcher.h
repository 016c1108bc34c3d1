#pragma once
// Tells the main window that a serial port went away: a tty device that the
// udev monitor reports removed (name = its sysname, e.g. ttyUSB0), or a
// virtual port whose link left the registry directory or lost its target.
// Without libudev it still watches the virtual ports.
//
// Owns the udev monitor (bound at run time) and its notifier; lives and
// emits on the GUI thread.

#include <QObject>
#include <QSet>
#include <QString>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace serial {

class TSetupApiUse;
struct udev;
struct udev_monitor;

class TPortRemovalWatcher : public QObject {
  Q_OBJECT

 public:
  // virtualDirectory: the registry to watch; empty means VirtualPortDirectory().
  explicit TPortRemovalWatcher(QObject* parent = nullptr, const QString& virtualDirectory = {},
                               int pollMs = 200);
  ~TPortRemovalWatcher() override;

  bool MonitoringDevices() const { return Monitor != nullptr; }

 signals:
  void PortRemoved(QString name);

 private:
  void StartUdevMonitor();
  void ReadUdevEvent();
  void ScanVirtualPorts();
  QSet<QString> PresentVirtualPorts() const;

  QString Directory;
  QSet<QString> KnownVirtual;
  QTimer* PollTimer = nullptr;
  std::unique_ptr<TSetupApiUse> Api;
  udev* Context = nullptr;
  udev_monitor* Monitor = nullptr;
  QSocketNotifier* Notifier = nullptr;
};

}  // namespace serial
