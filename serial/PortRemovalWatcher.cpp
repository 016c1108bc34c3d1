// The removal watcher's virtual ports, the same on every system.

#include "serial/PortRemovalWatcher.h"

#include <QTimer>

#include "serial/PortList.h"
#include "serial/PortRemovalWatcherDevices.h"

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
  Devices = std::make_unique<TDeviceWatch>(*this);
}

TPortRemovalWatcher::~TPortRemovalWatcher() = default;

bool TPortRemovalWatcher::MonitoringDevices() const { return Devices->Monitoring(); }

QSet<QString> TPortRemovalWatcher::PresentVirtualPorts() const {
  QSet<QString> names;
  for (const TPortEntry& port : EnumerateVirtualPorts(Directory.toStdString()))
    names.insert(QString::fromStdString(port.Name));
  return names;
}

void TPortRemovalWatcher::ScanVirtualPorts() {
  const QSet<QString> present = PresentVirtualPorts();
  const QSet<QString> gone = KnownVirtual - present;
  const QSet<QString> added = present - KnownVirtual;
  KnownVirtual = present;
  for (const QString& name : gone) emit PortRemoved(name);
  for (const QString& name : added) emit PortAdded(name);
}

}  // namespace serial
