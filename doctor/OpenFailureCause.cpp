#include "doctor/OpenFailureCause.h"

#include <cerrno>
#include <cstring>

#include "doctor/Access.h"
#include "doctor/Checks.h"
#include "doctor/Processes.h"
#include "doctor/SystemView.h"

namespace doctor {
namespace {

std::string WithFix(const TFinding& finding) {
  return finding.Text + (finding.Fix.empty() ? "" : " (fix: " + finding.Fix + ")");
}

std::string BusyCause(const TSystemView& view, const std::string& portPath) {
  const THolderScan scan = FindHolders(view.Path("/proc"), portPath, view.SelfPid);
  if (!scan.Holders.empty()) return "it is held open by " + DescribeProcesses(scan.Holders);
  if (!ProcessesNamed(view.Path("/proc"), "ModemManager").empty())
    return "another program holds it; ModemManager runs and may be probing it, so wait a few "
           "seconds or tell it to leave the device alone";
  return "another program holds it";
}

std::string GoneCause(const TSystemView& view) {
  const TBrltty brltty = FindBrltty(view, RulesFiles(view.Root));
  if (!brltty.Installed.empty() || !brltty.Running.empty())
    return "the device has gone; brltty is installed and may have taken the adapter";
  return "the device has gone (unplugged?)";
}

std::string Cause(const TSystemView& view, const std::string& portPath, int errorNumber) {
  switch (errorNumber) {
    case EACCES:
    case EPERM: {
      const TFinding access = CheckAccess(view, "", portPath);
      return access.Level == TLevel::Problem ? WithFix(access) : std::strerror(errorNumber);
    }
    case EBUSY:
      return BusyCause(view, portPath);
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:
      return GoneCause(view);
    default:
      return errorNumber != 0 ? std::strerror(errorNumber) : "unknown error";
  }
}

}  // namespace

std::string LikelyOpenFailureCause(const TSystemView& view, const std::string& portPath,
                                   int errorNumber) {
  return "zolvek: cannot open " + portPath + ": " + Cause(view, portPath, errorNumber) +
         "; run zolvek-doctor for details";
}

std::string LikelyOpenFailureCause(const std::string& portPath, int errorNumber) {
  return LikelyOpenFailureCause(MachineView(), portPath, errorNumber);
}

}  // namespace doctor
