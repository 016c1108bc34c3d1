// Reading udev rules leniently: the USB id a rule names, which files udev
// reads, continuations, and rules that cannot be parsed.

#include <gtest/gtest.h>

#include "tests/doctor/DoctorRoot.h"
#include "doctor/UdevRules.h"

namespace doctor {
namespace {

TEST(RuleUsbIdTest, ReadsTheFormsRulesUse) {
  struct TCase {
    const char* Rule;
    std::optional<TUsbId> Id;
    bool Unparsable;
  };
  const TCase cases[] = {
      {R"(ATTRS{idVendor}=="1a86", ATTRS{idProduct}=="7523", ENV{BRLTTY_BRAILLE_DRIVER}="bm")",
       TUsbId{"1a86", "7523"}, false},
      {R"(SUBSYSTEM=="usb", ATTR{idVendor} == "1A86", ATTR{idProduct}=="7523")",
       TUsbId{"1a86", "7523"}, false},
      {R"(ENV{PRODUCT}=="1a86/7523/*", ENV{BRLTTY_BRAILLE_DRIVER}="bm", GOTO="brltty_usb_run")",
       TUsbId{"1a86", "7523"}, false},
      {R"(ENV{PRODUCT}=="403/6001/*", GOTO="x")", TUsbId{"0403", "6001"}, false},
      {R"(ATTRS{idVendor}=="1199", ENV{ID_MM_DEVICE_IGNORE}="1")", TUsbId{"1199", ""}, false},
      {R"(KERNEL=="ttyACM0", ENV{ID_MM_DEVICE_IGNORE}="1")", std::nullopt, false},
      {R"(ATTRS{idVendor}=="1a8?", ATTRS{idProduct}=="7523")", std::nullopt, true},
      {R"(ATTRS{idProduct}=="7523")", std::nullopt, true},
      {R"(ENV{PRODUCT}=="usb-thing")", std::nullopt, true},
      {R"(ATTRS{idVendor}="1a86")", std::nullopt, true},  // an assignment, not a match
  };
  for (const TCase& c : cases) {
    bool unparsable = false;
    EXPECT_EQ(RuleUsbId(c.Rule, unparsable), c.Id) << c.Rule;
    EXPECT_EQ(unparsable, c.Unparsable) << c.Rule;
  }
}

TEST(RuleUsbIdTest, VendorRulesCoverEveryProduct) {
  EXPECT_TRUE(Covers({"1199", ""}, {"1199", "9071"}));
  EXPECT_TRUE(Covers({"1a86", "7523"}, {"1a86", "7523"}));
  EXPECT_FALSE(Covers({"1a86", "7523"}, {"1a86", "5523"}));
  EXPECT_FALSE(Covers({"1a86", ""}, {"0403", "6001"}));
}

TEST(RulesFilesTest, EtcWinsAndMaskedFilesAreLeftOut) {
  test::TDoctorRoot root;
  root.Write("/usr/lib/udev/rules.d/85-brltty.rules", "ENV{PRODUCT}==\"1a86/7523/*\"\n");
  root.Write("/usr/lib/udev/rules.d/77-mm-x.rules", "x\n");
  root.Write("/etc/udev/rules.d/77-mm-x.rules", "y\n");
  root.Write("/lib/udev/rules.d/60-serial.rules", "z\n");
  root.Write("/usr/lib/udev/rules.d/README", "not a rules file\n");
  EXPECT_EQ(RulesFiles(root.Dir().string()),
            (std::vector<std::string>{root.Path("/lib/udev/rules.d/60-serial.rules"),
                                      root.Path("/etc/udev/rules.d/77-mm-x.rules"),
                                      root.Path("/usr/lib/udev/rules.d/85-brltty.rules")}));
  std::filesystem::create_directories(root.Dir() / "etc/udev/rules.d");
  std::filesystem::create_symlink("/dev/null", root.Dir() / "etc/udev/rules.d/85-brltty.rules");
  root.Write("/etc/udev/rules.d/60-serial.rules", "");
  EXPECT_EQ(RulesFiles(root.Dir().string()),
            (std::vector<std::string>{root.Path("/etc/udev/rules.d/77-mm-x.rules")}))
      << "a link to /dev/null or an empty file in /etc masks the file";
}

TEST(ScanRulesTest, JoinsContinuationsSkipsCommentsAndReportsBadLines) {
  test::TDoctorRoot root;
  root.Write(
      "/usr/lib/udev/rules.d/77-mm-test.rules",
      "# ATTRS{idVendor}==\"dead\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"
      "ATTRS{idVendor}==\"2341\", \\\n"
      "  ATTRS{idProduct}==\"0043\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"
      "ATTRS{idVendor}==\"03eb\", ATTRS{idProduct}==\"20*\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"
      "ATTRS{idVendor}==\"0403\", ENV{ID_MM_CANDIDATE}=\"1\"\n");
  const TRuleScan scan =
      ScanRules(RulesFiles(root.Dir().string()), nullptr, "ENV{ID_MM_DEVICE_IGNORE}=\"1\"");
  ASSERT_EQ(scan.Rules.size(), 1u);
  EXPECT_EQ(scan.Rules[0].Id, (TUsbId{"2341", "0043"}));
  EXPECT_EQ(Where(scan.Rules[0], root.Dir().string()), "/usr/lib/udev/rules.d/77-mm-test.rules:2");
  ASSERT_EQ(scan.Unparsable.size(), 1u);
  EXPECT_EQ(scan.Unparsable[0].Line, 4);
}

}  // namespace
}  // namespace doctor
