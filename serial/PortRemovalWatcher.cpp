// The removal watcher's virtual ports, the same on every system.

#include "serial/PortRemovalWatcher.h"

#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <QtGlobal>
#if QT_CONFIG(filesystemwatcher)
#include <QFileSystemWatcher>
#endif

#include "serial/PortList.h"
#include "serial/PortRemovalWatcherDevices.h"

namespace serial {

TPortRemovalWatcher::TPortRemovalWatcher(QObject* parent, const QString& virtualDirectory,
                                         int pollMs)
    : QObject(parent),
      Directory(virtualDirectory.isEmpty() ? QString::fromStdString(VirtualPortDirectory())
                                           : virtualDirectory) {
  KnownVirtual = PresentVirtualPorts();
  // A link made or removed changes the registry; a generator's pseudo-terminal
  // that went away under its link changes the link's target folder; the
  // registry made later changes its parent. The slow look is for what no
  // watch sees (a parent made later, a system without watches).
  WatchVirtualPorts();
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

// A Qt without file-system watches (the one built for Windows, which has no
// virtual ports) only looks.
void TPortRemovalWatcher::WatchVirtualPorts() {
#if QT_CONFIG(filesystemwatcher)
  if (Directory.isEmpty()) return;
  if (!Watch) {
    Watch = new QFileSystemWatcher(this);
    connect(Watch, &QFileSystemWatcher::directoryChanged, this,
            &TPortRemovalWatcher::ScanVirtualPorts);
  }
  QStringList wanted;
  const QFileInfo registry(Directory);
  if (registry.isDir()) {
    wanted.append(Directory);
    for (const TPortEntry& port : EnumerateVirtualPorts(Directory.toStdString())) {
      const QString target = QFileInfo(QString::fromStdString(port.DevNode)).symLinkTarget();
      if (!target.isEmpty()) wanted.append(QFileInfo(target).absolutePath());
    }
  } else if (QFileInfo(registry.absolutePath()).isDir()) {
    // Until the registry is made, its parent folder tells when it is.
    wanted.append(registry.absolutePath());
  }
  wanted.removeDuplicates();
  QStringList stale, added;
  for (const QString& folder : Watch->directories())
    if (!wanted.contains(folder)) stale.append(folder);
  for (const QString& folder : wanted)
    if (!Watch->directories().contains(folder)) added.append(folder);
  if (!stale.isEmpty()) Watch->removePaths(stale);
  if (!added.isEmpty()) Watch->addPaths(added);
#endif
}

void TPortRemovalWatcher::ScanVirtualPorts() {
  WatchVirtualPorts();
  const QSet<QString> present = PresentVirtualPorts();
  const QSet<QString> gone = KnownVirtual - present;
  const QSet<QString> added = present - KnownVirtual;
  KnownVirtual = present;
  for (const QString& name : gone) emit PortRemoved(name);
  for (const QString& name : added) emit PortAdded(name);
}

}  // namespace serial
