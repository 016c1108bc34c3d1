// The doctor over real udev: a umockdev test bed with a CH340 on ttyUSB0, an
// Arduino's CDC-ACM port on ttyACM0 and a second CH340 whose port brltty has
// taken, and a made-up root with brltty's and ModemManager's rules and
// processes. Then zolvek-doctor itself, also as a user outside dialout.

#include "tests/serial/UdevTestbed.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <spawn.h>

#include <cstdio>
#include <sstream>

#include "tests/support/PtyPair.h"
#include "tests/doctor/DoctorRoot.h"
#include "doctor/Report.h"

namespace doctor {
namespace {

const char* const BrlttyRules =
    "# Device: 1A86:7523\n"
    "ENV{PRODUCT}==\"1a86/7523/*\", ENV{BRLTTY_BRAILLE_DRIVER}=\"bm\", GOTO=\"brltty_usb_run\"\n"
    "SUBSYSTEM==\"usb\", ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
    "ENV{BRLTTY_BRAILLE_DRIVER}=\"at\", GOTO=\"brltty_usb_run\"\n"
    "ATTRS{idVendor}==\"1a8g\", ATTRS{idProduct}==\"0001\", GOTO=\"brltty_usb_run\"\n";

class DoctorUdev : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!serial::test::TUdevTestbed::Available())
      GTEST_SKIP() << "not under umockdev's preload library";
    for (const char* devices : {"ch340", "cdc-acm", "ch340-taken"}) Bed.Add(devices);
    Root.Write("/usr/lib/udev/rules.d/85-brltty.rules", BrlttyRules);
    Root.Write("/usr/bin/brltty", "");
    Root.Process(500, "brltty");
    Root.Process(600, "ModemManager");
  }
  TSystemView View() const {
    TSystemView view = Root.View();
    view.HardwarePorts = serial::EnumerateHardwarePorts;
    view.UsbDevices = EnumerateUsbDevices;
    return view;
  }
  // The node a user outside dialout may not open: root:dialout 0660.
  bool GiveTtyUSB0ToDialout() {
    const std::string node = Root.Path("/dev/dialout-node");
    Root.Write("/dev/dialout-node", "");
    if (::chown(node.c_str(), 0, 20) != 0 || ::chmod(node.c_str(), 0660) != 0) return false;
    Bed.PointNodeAt("ttyUSB0", node);
    return true;
  }
  serial::test::TUdevTestbed Bed;
  test::TDoctorRoot Root;
};

TEST_F(DoctorUdev, PortsAreListedAsTheDialogListsThemWithTheirDevices) {
  const TReport report = Examine(View());
  EXPECT_EQ(report.PortsListed, 2);
  EXPECT_EQ(report.PortsOpened, 2);
  const TFinding* port = test::FindingOf(report.Findings, "port", "ttyUSB0");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->Text, "listed as \"ttyUSB0: CH340 serial converter (ttyUSB0)\"");
  const TFinding* device = test::FindingOf(report.Findings, "device", "ttyACM0");
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->Text, "/dev/ttyACM0, driver cdc_acm, USB 2341:0043, Uno R3 (CDC ACM)");
  EXPECT_EQ(test::FindingOf(report.Findings, "summary")->Level, TLevel::Ok);
}

TEST_F(DoctorUdev, BrlttyClaimsTheCh340AndHasTakenTheOtherOne) {
  const TReport report = Examine(View());
  const TFinding* installed = test::FindingOf(report.Findings, "brltty");
  ASSERT_NE(installed, nullptr);
  EXPECT_EQ(installed->Text,
            "brltty is installed (/usr/bin/brltty, "
            "/usr/lib/udev/rules.d/85-brltty.rules), running: brltty (pid 500)");
  const TFinding* claim = test::FindingOf(report.Findings, "brltty", "ttyUSB0");
  ASSERT_NE(claim, nullptr);
  EXPECT_EQ(claim->Level, TLevel::Problem);
  EXPECT_NE(claim->Text.find("85-brltty.rules:2 claims 1a86:7523"), std::string::npos)
      << claim->Text;
  EXPECT_EQ(claim->Fix.find("sudo apt remove brltty (or mask its rules: sudo ln -s /dev/null "
                            "/etc/udev/rules.d/85-brltty.rules"),
            0u);
  EXPECT_EQ(test::FindingOf(report.Findings, "brltty", "ttyACM0"), nullptr);
  int taken = 0, unparsable = 0;
  for (const TFinding& f : report.Findings) {
    if (f.Check == "brltty" && f.Text.starts_with("the USB device 1a86:7523")) ++taken;
    if (f.Check == "brltty" && f.Level == TLevel::Unchecked) {
      ++unparsable;
      EXPECT_NE(f.Text.find("85-brltty.rules:4"), std::string::npos) << f.Text;
    }
  }
  EXPECT_EQ(taken, 0) << "a CH340 with a port is there, so the taken one is not told apart";
  EXPECT_EQ(unparsable, 1);
}

TEST_F(DoctorUdev, AnAdapterWithoutItsPortIsBlamedOnBrltty) {
  TSystemView view = View();
  view.HardwarePorts = [] { return std::optional(std::vector<serial::TPortEntry>{}); };
  const TReport report = Examine(view);
  const auto taken = std::find_if(
      report.Findings.begin(), report.Findings.end(),
      [](const TFinding& f) { return f.Check == "brltty" && f.Level == TLevel::Problem; });
  ASSERT_NE(taken, report.Findings.end());
  EXPECT_EQ(taken->Text,
            "the USB device 1a86:7523 (USB Serial) has no serial port, and "
            "brltty's rule at /usr/lib/udev/rules.d/85-brltty.rules:2 claims it: "
            "brltty has taken it");
  EXPECT_EQ(test::FindingOf(report.Findings, "summary")->Text, "no serial port is listed");
}

TEST_F(DoctorUdev, ModemManagerAndTheIgnoreMark) {
  const TFindings before = Examine(View()).Findings;
  const TFinding* unmarked = test::FindingOf(before, "modemmanager", "ttyACM0");
  ASSERT_NE(unmarked, nullptr);
  EXPECT_EQ(unmarked->Level, TLevel::Problem);
  EXPECT_EQ(unmarked->Fix.find("echo 'ATTRS{idVendor}==\"2341\", ATTRS{idProduct}==\"0043\", "
                               "ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee -a "
                               "/etc/udev/rules.d/70-zolvek-modemmanager.rules"),
            0u)
      << unmarked->Fix;
  EXPECT_EQ(test::FindingOf(before, "modemmanager", "ttyUSB0")->Level, TLevel::Note)
      << "ModemManager leaves most ttyUSB adapters alone";

  Root.Write(
      "/etc/udev/rules.d/70-lab.rules",
      "ATTRS{idVendor}==\"2341\", ATTRS{idProduct}==\"0043\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n");
  Bed.SetProperty(serial::test::CdcAcmTty, "ID_MM_DEVICE_IGNORE", "1");
  const TFindings findings = Examine(View()).Findings;
  const TFinding* marked = test::FindingOf(findings, "modemmanager", "ttyACM0");
  ASSERT_NE(marked, nullptr);
  EXPECT_EQ(marked->Level, TLevel::Ok);
  EXPECT_EQ(marked->Text,
            "marked for ModemManager to leave alone (ID_MM_DEVICE_IGNORE=1, set by the "
            "rule at /etc/udev/rules.d/70-lab.rules:1)");
  EXPECT_EQ(test::FindingOf(findings, "modemmanager")->Text,
            "ModemManager runs: ModemManager (pid 600)");
}

TEST_F(DoctorUdev, VirtualGeneratorsLiveAndStale) {
  const std::filesystem::path registry = Root.Dir() / "run/zolvek-ports";
  std::filesystem::create_directories(registry);
  test_support::TPtyPair pty;
  std::filesystem::create_symlink(pty.SlavePath(), registry / "sim0");
  std::filesystem::create_symlink(Root.Path("/gone"), registry / "sim1");
  const TReport report = Examine(View());
  EXPECT_EQ(report.PortsListed, 3) << "sim0 is a port too";
  EXPECT_EQ(test::FindingOf(report.Findings, "virtual", "sim0")->Text,
            "virtual generator registered by zolvek-sim: " + (registry / "sim0").string() + " -> " +
                pty.SlavePath());
  EXPECT_NE(test::FindingOf(report.Findings, "virtual", "sim1")->Text.find("stale registration"),
            std::string::npos);
  EXPECT_EQ(test::FindingOf(report.Findings, "port", "sim1"), nullptr);
}

TEST_F(DoctorUdev, UserOutsideDialoutIsToldTheFix) {
  if (!GiveTtyUSB0ToDialout()) GTEST_SKIP() << "needs root to give the node to dialout";
  const TFindings findings = Examine(View()).Findings;
  const TFinding* access = test::FindingOf(findings, "access", "ttyUSB0");
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(access->Level, TLevel::Problem);
  EXPECT_EQ(access->Fix, "sudo usermod -aG dialout \"$USER\", then log out and in again");
}

// ---- the program ------------------------------------------------------------

struct TRun {
  int Status = -1;
  std::string Out;
};

// The environment for a child: ThreadSanitizer's run-time, preloaded into
// the shell and setpriv, which are not built with it, would crash them; the
// doctor links it itself. (AddressSanitizer's may stay, and must come first.)
std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    if (entry.starts_with("LD_PRELOAD=")) {
      std::string kept = "LD_PRELOAD=";
      std::stringstream in(entry.substr(11));
      for (std::string lib; in >> lib;)
        if (lib.find("libtsan") == std::string::npos) kept += lib + " ";
      entry = kept;
    }
    env.push_back(entry);
  }
  return env;
}

// Runs command with sh -c and collects its standard output.
TRun RunCommand(const std::string& command) {
  TRun run;
  int out[2];
  if (::pipe(out) != 0) return run;
  std::vector<std::string> env = ChildEnvironment();
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, "/bin/sh", &actions, nullptr,
                                    const_cast<char* const*>(argv), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
    run.Out.append(buffer, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    run.Status = WEXITSTATUS(status);
  return run;
}

TEST_F(DoctorUdev, ProgramExitsZeroWhenAPortOpensAndPrintsJson) {
  const TRun run = RunCommand(std::string(ZOLVEK_DOCTOR) + " --json --root " + Root.Dir().string());
  EXPECT_EQ(run.Status, 0) << run.Out;
  EXPECT_TRUE(
      run.Out.starts_with("[\n  {\"check\":\"port\",\"port\":\"ttyACM0\",\"level\":\"note\","))
      << run.Out;
  EXPECT_NE(run.Out.find("{\"check\":\"brltty\",\"port\":\"ttyUSB0\",\"level\":\"problem\""),
            std::string::npos);
  EXPECT_TRUE(run.Out.ends_with("}\n]\n"));
}

TEST_F(DoctorUdev, ProgramExitsOneWhenNoPortOpens) {
  std::filesystem::create_directories(Root.Dir() / "dev/not-a-port");
  Bed.PointNodeAt("ttyUSB0", Root.Path("/dev/not-a-port"));
  Bed.PointNodeAt("ttyACM0", Root.Path("/dev/not-a-port"));
  const TRun run = RunCommand(std::string(ZOLVEK_DOCTOR) + " --root " + Root.Dir().string());
  EXPECT_EQ(run.Status, 1) << run.Out;
  EXPECT_NE(run.Out.find("problem   -        summary: 0 of 2 listed ports can be opened"),
            std::string::npos)
      << run.Out;
}

TEST_F(DoctorUdev, ProgramRunByAUserOutsideDialout) {
  if (!GiveTtyUSB0ToDialout()) GTEST_SKIP() << "needs root to give the node to dialout";
  // nobody must reach the test bed (its ioctl sockets too) and the root.
  for (const std::filesystem::path& dir : {std::filesystem::path(Bed.RootDir()), Root.Dir()}) {
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
      if (!entry.is_symlink())
        std::filesystem::permissions(entry.path(), std::filesystem::perms::all);
  }
  ::chmod(Root.Path("/dev/dialout-node").c_str(), 0660);
  Bed.PointNodeAt("ttyACM0", Root.Path("/dev/dialout-node"));
  const TRun run = RunCommand("setpriv --reuid=65534 --regid=65534 --clear-groups " +
                              std::string(ZOLVEK_DOCTOR) + " --root " + Root.Dir().string());
  std::printf("%s", run.Out.c_str());  // the whole report, for the log
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(
      run.Out.find("problem   ttyUSB0  access: you (nobody) are not in the group dialout, which "
                   "may open /dev/ttyUSB0 (crw-rw---- root:dialout) -> fix: sudo usermod -aG "
                   "dialout \"$USER\", then log out and in again"),
      std::string::npos)
      << run.Out;
  EXPECT_NE(
      run.Out.find("problem   ttyUSB0  open: /dev/ttyUSB0 cannot be opened: Permission denied"),
      std::string::npos);
}

}  // namespace
}  // namespace doctor
