#include "doctor/Checks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "doctor/Access.h"

namespace doctor {
namespace {

namespace fs = std::filesystem;

const char* const BrlttyPrograms[] = {"/usr/bin/brltty", "/bin/brltty", "/usr/sbin/brltty",
                                      "/sbin/brltty"};
const char* const MmIgnoreRulesFile = "/etc/udev/rules.d/70-zolvek-modemmanager.rules";

std::optional<TUsbId> IdOf(const serial::TPortEntry& port) {
  return NormalUsbId(port.VendorId, port.ProductId);
}

std::string IdText(const TUsbId& id) { return id.Vendor + ":" + id.Product; }

const TRuleLine* RuleCovering(const std::vector<TRuleLine>& rules, const TUsbId& id) {
  const auto found = std::find_if(rules.begin(), rules.end(), [&](const TRuleLine& rule) {
    return rule.Id && Covers(*rule.Id, id);
  });
  return found == rules.end() ? nullptr : &*found;
}

TFindings UnparsableFindings(const TSystemView& view, const std::string& check,
                             const TRuleScan& scan) {
  TFindings findings;
  for (const TRuleLine& rule : scan.Unparsable)
    findings.push_back({check, "", TLevel::Unchecked,
                        "could not parse the USB id of the rule at " + Where(rule, view.Root) +
                            "; it is not taken into account",
                        ""});
  return findings;
}

std::string BrlttyFix(const TBrltty& brltty) {
  std::string mask;
  for (const TRuleLine& rule : brltty.Rules.Rules)
    if (rule.Id) {
      mask = " (or mask its rules: sudo ln -s /dev/null /etc/udev/rules.d/" +
             fs::path(rule.File).filename().string() + " && sudo udevadm control --reload)";
      break;
    }
  return "sudo apt remove brltty" + mask + ", then unplug and replug the adapter";
}

// A port line "NAME: ..." gives NAME.
std::string NameOfLine(const std::string& line) { return line.substr(0, line.find(':')); }

TFindings PortFindings(const TSystemView& view, const std::string& line,
                       const serial::TPortEntry& port, bool hardware, int& openError) {
  TFindings findings{{"port", port.Name, TLevel::Note, "listed as \"" + line + "\"", ""}};
  if (hardware) findings.push_back(DeviceFinding(port));
  findings.push_back(CheckAccess(view, port.Name, port.DevNode));
  openError = TryOpen(port.DevNode);
  for (TFinding& holder : CheckHolders(view, port.Name, port.DevNode, openError))
    findings.push_back(std::move(holder));
  findings.push_back(OpenFinding(port.Name, port.DevNode, openError));
  return findings;
}

void Append(TFindings& to, TFindings more) {
  to.insert(to.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

}  // namespace

int TryOpen(const std::string& devnode) {
  const int fd = ::open(devnode.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = 0;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) error = errno == EWOULDBLOCK ? EBUSY : errno;
  ::close(fd);
  return error;
}

TFinding DeviceFinding(const serial::TPortEntry& port) {
  std::string text = port.DevNode;
  if (!port.Driver.empty()) text += ", driver " + port.Driver;
  if (const auto id = IdOf(port)) text += ", USB " + IdText(*id);
  if (!port.Model.empty()) text += ", " + port.Model;
  return {"device", port.Name, TLevel::Note, text, ""};
}

TFinding OpenFinding(const std::string& port, const std::string& devnode, int error) {
  if (error == 0) return {"open", port, TLevel::Ok, devnode + " opens for reading and writing", ""};
  return {"open", port, TLevel::Problem, devnode + " cannot be opened: " + std::strerror(error),
          ""};
}

TFindings CheckHolders(const TSystemView& view, const std::string& port, const std::string& devnode,
                       int openError) {
  const THolderScan scan = FindHolders(view.Path("/proc"), devnode, view.SelfPid);
  const bool busy = openError == EBUSY;
  TFindings findings;
  if (!scan.Holders.empty()) {
    findings.push_back(
        {"holder", port, busy ? TLevel::Problem : TLevel::Note,
         (busy ? "held open by " : "also open in ") + DescribeProcesses(scan.Holders),
         busy ? "end that program (or close the port in it), then connect again" : ""});
  } else if (scan.Unreadable == 0) {
    findings.push_back(
        {"holder", port, busy ? TLevel::Problem : TLevel::Ok,
         busy ? "is busy, but no process holds it open" : "no other process holds it open", ""});
  }
  if (scan.Unreadable > 0)
    findings.push_back(
        {"holder", port, TLevel::Unchecked,
         "could not check " + std::to_string(scan.Unreadable) + " processes of other users for it",
         "sudo zolvek-doctor"});
  return findings;
}

TBrltty FindBrltty(const TSystemView& view, const std::vector<std::string>& rulesFiles) {
  TBrltty brltty;
  std::error_code error;
  for (const char* program : BrlttyPrograms)
    if (fs::exists(view.Path(program), error)) {
      brltty.Installed.push_back(program);
      break;
    }
  auto isBrltty = [](const std::string& name) { return name.find("brltty") != std::string::npos; };
  brltty.Rules = ScanRules(rulesFiles, isBrltty, "");
  for (const std::string& file : rulesFiles)
    if (isBrltty(fs::path(file).filename().string()))
      brltty.Installed.push_back(file.substr(view.Root.size()));
  brltty.Running = ProcessesNamed(view.Path("/proc"), "brltty");
  return brltty;
}

TFindings BrlttyFindings(const TSystemView& view, const TBrltty& brltty,
                         const std::vector<serial::TPortEntry>& ports,
                         const std::vector<TUsbDevice>& usbDevices) {
  if (brltty.Installed.empty() && brltty.Running.empty())
    return {{"brltty", "", TLevel::Ok, "brltty is not installed", ""}};
  std::string text = "brltty is installed";
  for (std::size_t i = 0; i < brltty.Installed.size(); ++i)
    text += (i == 0 ? " (" : ", ") + brltty.Installed[i] +
            (i + 1 == brltty.Installed.size() ? ")" : "");
  text +=
      brltty.Running.empty() ? ", not running" : ", running: " + DescribeProcesses(brltty.Running);
  TFindings findings{{"brltty", "", TLevel::Note, text, ""}};
  Append(findings, UnparsableFindings(view, "brltty", brltty.Rules));
  std::vector<TUsbId> portIds;
  for (const serial::TPortEntry& port : ports) {
    const auto id = IdOf(port);
    if (!id) continue;
    portIds.push_back(*id);
    if (const TRuleLine* rule = RuleCovering(brltty.Rules.Rules, *id))
      findings.push_back(
          {"brltty", port.Name, TLevel::Problem,
           "brltty's rule at " + Where(*rule, view.Root) + " claims " + IdText(*id) +
               ": brltty takes this adapter when it is plugged in and the port vanishes",
           BrlttyFix(brltty)});
  }
  for (const TUsbDevice& usb : usbDevices) {
    const auto id = NormalUsbId(usb.VendorId, usb.ProductId);
    if (!id || std::find(portIds.begin(), portIds.end(), *id) != portIds.end()) continue;
    if (const TRuleLine* rule = RuleCovering(brltty.Rules.Rules, *id))
      findings.push_back({"brltty", "", TLevel::Problem,
                          "the USB device " + IdText(*id) +
                              (usb.Model.empty() ? "" : " (" + usb.Model + ")") +
                              " has no serial port, and brltty's rule at " +
                              Where(*rule, view.Root) + " claims it: brltty has taken it",
                          BrlttyFix(brltty)});
  }
  return findings;
}

TModemManager FindModemManager(const TSystemView& view,
                               const std::vector<std::string>& rulesFiles) {
  return {ProcessesNamed(view.Path("/proc"), "ModemManager"),
          ScanRules(rulesFiles, nullptr, "ENV{ID_MM_DEVICE_IGNORE}=\"1\"")};
}

TFindings ModemManagerFindings(const TSystemView& view, const TModemManager& mm,
                               const std::vector<serial::TPortEntry>& ports) {
  TFindings findings{mm.Running.empty()
                         ? TFinding{"modemmanager", "", TLevel::Ok, "ModemManager does not run", ""}
                         : TFinding{"modemmanager", "", TLevel::Note,
                                    "ModemManager runs: " + DescribeProcesses(mm.Running), ""}};
  Append(findings, UnparsableFindings(view, "modemmanager", mm.IgnoreRules));
  for (const serial::TPortEntry& port : ports) {
    const auto id = IdOf(port);
    if (!id) continue;
    const TRuleLine* rule = RuleCovering(mm.IgnoreRules.Rules, *id);
    const std::string by = rule != nullptr ? "the rule at " + Where(*rule, view.Root)
                                           : "a rule outside the rules folders";
    if (port.MmDeviceIgnore) {
      findings.push_back(
          {"modemmanager", port.Name, TLevel::Ok,
           "marked for ModemManager to leave alone (ID_MM_DEVICE_IGNORE=1, set by " + by + ")",
           ""});
    } else if (!mm.Running.empty()) {
      const bool acm = port.Name.starts_with("ttyACM");
      std::string text =
          "not marked for ModemManager to leave alone: it may probe the port for "
          "seconds after it appears, and the generator answers garbage meanwhile";
      if (rule != nullptr) text += " (the rule at " + Where(*rule, view.Root) + " would mark it)";
      findings.push_back(
          {"modemmanager", port.Name, acm ? TLevel::Problem : TLevel::Note, text,
           rule != nullptr
               ? "unplug and replug the adapter"
               : "echo 'ATTRS{idVendor}==\"" + id->Vendor + "\", ATTRS{idProduct}==\"" +
                     id->Product + "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee -a " +
                     MmIgnoreRulesFile +
                     " && sudo udevadm control --reload, then unplug and replug the adapter"});
    }
  }
  return findings;
}

TFindings VirtualGeneratorFindings(const std::string& directory) {
  TFindings findings;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (!it->is_symlink(ignored)) continue;
    const std::string name = it->path().filename().string();
    const std::string target = fs::read_symlink(it->path(), ignored).string();
    if (fs::exists(it->path(), ignored))
      findings.push_back(
          {"virtual", name, TLevel::Note,
           "virtual generator registered by zolvek-sim: " + it->path().string() + " -> " + target,
           ""});
    else
      findings.push_back({"virtual", name, TLevel::Note,
                          "stale registration " + it->path().string() + " -> " + target +
                              " (its generator has ended; the port dialog leaves it out)",
                          ""});
  }
  if (findings.empty())
    findings.push_back({"virtual", "", TLevel::Note,
                        "no virtual generator is registered (in " + directory + ")", ""});
  std::sort(findings.begin(), findings.end(),
            [](const TFinding& a, const TFinding& b) { return a.Port < b.Port; });
  return findings;
}

TReport Examine(const TSystemView& view) {
  TReport report;
  const auto hardware = view.HardwarePorts ? view.HardwarePorts() : std::nullopt;
  if (!hardware)
    report.Findings.push_back({"udev", "", TLevel::Unchecked,
                               "libudev.so.1 could not be loaded, so hardware ports are not listed",
                               "sudo apt install libudev1"});
  const std::vector<serial::TPortEntry> hardwarePorts =
      hardware.value_or(std::vector<serial::TPortEntry>{});
  std::vector<serial::TPortEntry> ports = hardwarePorts;
  for (serial::TPortEntry& port : serial::EnumerateVirtualPorts(view.VirtualDirectory))
    ports.push_back(std::move(port));

  // The lines exactly as the port dialog shows them.
  const auto lines = serial::ListSerialPorts(
      [&] { return std::optional<std::vector<serial::TPortEntry>>(hardwarePorts); },
      view.VirtualDirectory);
  for (const std::string& line : lines) {
    const std::string name = NameOfLine(line);
    const auto port = std::find_if(ports.begin(), ports.end(),
                                   [&](const serial::TPortEntry& p) { return p.Name == name; });
    if (port == ports.end()) continue;
    int openError = 0;
    const bool isHardware = port < ports.begin() + static_cast<long>(hardwarePorts.size());
    Append(report.Findings, PortFindings(view, line, *port, isHardware, openError));
    ++report.PortsListed;
    if (openError == 0) ++report.PortsOpened;
  }

  const std::vector<std::string> rulesFiles = RulesFiles(view.Root);
  const auto usb = view.UsbDevices ? view.UsbDevices() : std::nullopt;
  Append(report.Findings, BrlttyFindings(view, FindBrltty(view, rulesFiles), hardwarePorts,
                                         usb.value_or(std::vector<TUsbDevice>{})));
  Append(report.Findings,
         ModemManagerFindings(view, FindModemManager(view, rulesFiles), hardwarePorts));
  Append(report.Findings, VirtualGeneratorFindings(view.VirtualDirectory));

  if (report.PortsListed == 0)
    report.Findings.push_back({"summary", "", TLevel::Problem, "no serial port is listed",
                               "plug the adapter in; `ls /dev/ttyUSB* /dev/ttyACM*` and "
                               "`sudo dmesg | tail` show whether the kernel sees it"});
  else
    report.Findings.push_back({"summary", "", report.PortsOpened > 0 ? TLevel::Ok : TLevel::Problem,
                               std::to_string(report.PortsOpened) + " of " +
                                   std::to_string(report.PortsListed) +
                                   " listed ports can be opened",
                               ""});
  return report;
}

}  // namespace doctor
