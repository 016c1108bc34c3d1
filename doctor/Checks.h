#pragma once
// The connection doctor's checks. Each looks at a TSystemView and gives
// findings; Examine runs them all over the ports the port dialog lists.
// Nothing here changes the system: the one thing done to a port is an open
// and close, as the program would.
// Plain functions; any thread.

#include <string>
#include <vector>

#include "serial/PortList.h"
#include "doctor/Finding.h"
#include "doctor/Processes.h"
#include "doctor/SystemView.h"
#include "doctor/UdevRules.h"

namespace doctor {

struct TReport {
  TFindings Findings;
  int PortsListed = 0;
  int PortsOpened = 0;
};

TReport Examine(const TSystemView& view);

// 0 when devnode opens as the program opens it (read and write, no
// controlling terminal, not blocking, exclusive lock), else the errno.
int TryOpen(const std::string& devnode);

// "ttyUSB0: /dev/ttyUSB0, driver ch341-uart, USB 1a86:7523, CH340 serial converter"
TFinding DeviceFinding(const serial::TPortEntry& port);
TFinding OpenFinding(const std::string& port, const std::string& devnode, int error);
TFindings CheckHolders(const TSystemView& view, const std::string& port, const std::string& devnode,
                       int openError);

// What brltty's installation and rules mean for the ports and USB devices.
struct TBrltty {
  std::vector<std::string> Installed;  // its program and rules files found
  std::vector<TProcess> Running;
  TRuleScan Rules;
};
TBrltty FindBrltty(const TSystemView& view, const std::vector<std::string>& rulesFiles);
TFindings BrlttyFindings(const TSystemView& view, const TBrltty& brltty,
                         const std::vector<serial::TPortEntry>& ports,
                         const std::vector<TUsbDevice>& usbDevices);

struct TModemManager {
  std::vector<TProcess> Running;
  TRuleScan IgnoreRules;  // the rules that set ID_MM_DEVICE_IGNORE="1"
};
TModemManager FindModemManager(const TSystemView& view, const std::vector<std::string>& rulesFiles);
TFindings ModemManagerFindings(const TSystemView& view, const TModemManager& mm,
                               const std::vector<serial::TPortEntry>& ports);

TFindings VirtualGeneratorFindings(const std::string& directory);

}  // namespace doctor
