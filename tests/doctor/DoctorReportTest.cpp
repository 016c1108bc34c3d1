// The findings as text and JSON, and the one-line cause of a failed open.

#include <gtest/gtest.h>

#include "tests/support/PtyPair.h"
#include "tests/doctor/DoctorRoot.h"
#include "doctor/OpenFailureCause.h"
#include "doctor/Report.h"

namespace doctor {
namespace {

TEST(ReportTest, OneLinePerFindingWithItsFix) {
  const TFindings findings{{"access", "ttyUSB0", TLevel::Problem, "not in dialout",
                            "sudo usermod -aG dialout \"$USER\""},
                           {"brltty", "", TLevel::Ok, "brltty is not installed", ""}};
  EXPECT_EQ(TextReport(findings),
            "problem   ttyUSB0  access: not in dialout -> fix: sudo usermod -aG dialout \"$USER\"\n"
            "ok        -        brltty: brltty is not installed\n");
}

TEST(ReportTest, JsonIsEscapedAndValidUtf8) {
  struct TCase {
    std::string Text, Json;
  };
  const TCase cases[] = {
      {"plain", "\"plain\""},
      {"a \"b\" \\ c", R"("a \"b\" \\ c")"},
      {"line\nnext\ttab\r", R"("line\nnext\ttab\r")"},
      {std::string("nul\0bell\x07", 9), R"("nul\u0000bell\u0007")"},
      {"Gr\xc3\xbc\xc3\x9f"
       "e",
       "\"Gr\xc3\xbc\xc3\x9f"
       "e\""},
      {"bad\xff\xc3", R"("bad\ufffd\ufffd")"},
  };
  for (const TCase& c : cases) EXPECT_EQ(JsonString(c.Text), c.Json);
  EXPECT_EQ(JsonReport({}), "[]\n");
  EXPECT_EQ(JsonReport({{"open", "ttyUSB0", TLevel::Ok, "opens", ""}}),
            "[\n  {\"check\":\"open\",\"port\":\"ttyUSB0\",\"level\":\"ok\",\"text\":\"opens\","
            "\"fix\":\"\"}\n]\n");
}

TEST(OpenFailureCauseTest, NamesTheLikelyCauseAndTheDoctor) {
  test::TDoctorRoot root;
  root.Write("/etc/group", test::DialoutGroupFile("ann"));
  TSystemView view = root.View();
  const std::string node = root.Path("/dev/ttyUSB0");
  root.Write("/dev/ttyUSB0", "");
  ::chmod(node.c_str(), 0660);
  if (::chown(node.c_str(), 0, 20) != 0) GTEST_SKIP() << "needs root to give the node to dialout";
  EXPECT_EQ(LikelyOpenFailureCause(view, node, EACCES),
            "zolvek: cannot open " + node + ": you are in dialout in /etc/group but not in this " +
                "login session, so you may not open " + node + " (-rw-rw---- root:dialout) yet " +
                "(fix: log out and in again (or run `newgrp dialout` in this shell)); run " +
                "zolvek-doctor for details");

  test_support::TPtyPair pty;
  test::THeldPort held(pty.SlavePath());
  view.Root.clear();
  EXPECT_EQ(LikelyOpenFailureCause(view, pty.SlavePath(), EBUSY),
            "zolvek: cannot open " + pty.SlavePath() + ": it is held open by sleep (pid " +
                std::to_string(held.Pid) + "); run zolvek-doctor for details");

  view.Root = root.Dir().string();
  EXPECT_EQ(LikelyOpenFailureCause(view, "/dev/ttyUSB0", ENOENT),
            "zolvek: cannot open /dev/ttyUSB0: the device has gone (unplugged?); run zolvek-doctor "
            "for details");
  root.Write("/usr/bin/brltty", "");
  EXPECT_NE(LikelyOpenFailureCause(view, "/dev/ttyUSB0", ENODEV).find("brltty is installed"),
            std::string::npos);
  root.Process(31, "ModemManager");
  EXPECT_NE(LikelyOpenFailureCause(view, "/dev/ttyACM0", EBUSY).find("ModemManager runs"),
            std::string::npos);
}

}  // namespace
}  // namespace doctor
