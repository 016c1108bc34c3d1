// Processes: those of a name, those holding a port (a real one holding a
// pseudo-terminal), entries that cannot be read; and the open check.

#include <gtest/gtest.h>

#include "tests/support/PtyPair.h"
#include "tests/doctor/DoctorRoot.h"
#include "doctor/Processes.h"

namespace doctor {
namespace {

TEST(HolderTest, AProcessHoldingThePortIsNamedAndTheOpenIsBusy) {
  test_support::TPtyPair pty;
  test::TDoctorRoot root;
  TSystemView view = root.View();
  view.Root.clear();  // the real /proc
  {
    test::THeldPort held(pty.SlavePath());
    EXPECT_EQ(TryOpen(pty.SlavePath()), EBUSY);
    const TFindings findings = CheckHolders(view, "pts", pty.SlavePath(), EBUSY);
    const TFinding* f = test::FindingOf(findings, "holder", "pts");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Level, TLevel::Problem);
    EXPECT_EQ(f->Text, "held open by sleep (pid " + std::to_string(held.Pid) + ")");
    EXPECT_FALSE(f->Fix.empty());
  }
  EXPECT_EQ(TryOpen(pty.SlavePath()), 0) << "free again once the holder ends";
  const TFindings after = CheckHolders(view, "pts", pty.SlavePath(), 0);
  const TFinding* f = test::FindingOf(after, "holder", "pts");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Level, TLevel::Ok) << "this process's own descriptor does not count";
}

TEST(HolderTest, LinksInAMadeUpProcAndUnreadableEntries) {
  test::TDoctorRoot root;
  root.Process(40, "minicom");
  std::filesystem::create_directories(root.Dir() / "proc/40/fd");
  std::filesystem::create_symlink("/dev/ttyUSB0", root.Dir() / "proc/40/fd/3");
  root.Process(41, "bash");
  std::filesystem::create_directories(root.Dir() / "proc/41/fd");
  std::filesystem::create_symlink("/dev/pts/1", root.Dir() / "proc/41/fd/0");
  root.Process(42, "secret");
  root.Write("/proc/42/fd", "");  // cannot be listed, as another user's would be
  root.Write("/proc/self", "");   // not a process
  const THolderScan scan = FindHolders(root.Path("/proc"), "/dev/ttyUSB0", 0);
  ASSERT_EQ(scan.Holders.size(), 1u);
  EXPECT_EQ(scan.Holders[0].Pid, 40);
  EXPECT_EQ(scan.Holders[0].Name, "minicom");
  EXPECT_EQ(scan.Unreadable, 1);
  const TFindings findings = CheckHolders(root.View(), "ttyUSB0", "/dev/ttyUSB0", 0);
  ASSERT_EQ(findings.size(), 2u);
  EXPECT_EQ(findings[0].Level, TLevel::Note) << "opens all the same: " << findings[0].Text;
  EXPECT_EQ(findings[1].Level, TLevel::Unchecked);
  EXPECT_EQ(findings[1].Text, "could not check 1 processes of other users for it");
}

TEST(ProcessesTest, FoundByName) {
  test::TDoctorRoot root;
  root.Process(7, "brltty");
  root.Process(8, "ModemManager");
  root.Process(9, "brltty-ktb");
  const auto found = ProcessesNamed(root.Path("/proc"), "brltty");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].Pid, 7);
  EXPECT_TRUE(ProcessesNamed(root.Path("/nothing"), "brltty").empty());
}

TEST(OpenCheckTest, TheSystemsReasonIsGiven) {
  test::TDoctorRoot root;
  EXPECT_EQ(TryOpen(root.Path("/dev/ttyUSB9")), ENOENT);
  const TFinding f = OpenFinding("ttyUSB9", "/dev/ttyUSB9", ENOENT);
  EXPECT_EQ(f.Level, TLevel::Problem);
  EXPECT_EQ(f.Text, "/dev/ttyUSB9 cannot be opened: No such file or directory");
  EXPECT_EQ(OpenFinding("ttyUSB0", "/dev/ttyUSB0", 0).Level, TLevel::Ok);
}

}  // namespace
}  // namespace doctor
