// Who may open a port: owner, group and mode against the session's groups,
// with "in /etc/group but not in this session" told apart from "not in it".

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "tests/doctor/DoctorRoot.h"
#include "doctor/Access.h"

namespace doctor {
namespace {

TEST(GroupFileTest, MalformedLinesAreLeftOut) {
  test::TDoctorRoot root;
  root.Write("/etc/group", "dialout:x:20:ann,bob\nbroken\nnogid:x::\nbad:x:2x:\nplugdev:x:46:\n");
  bool readable = false;
  const auto groups = ReadGroupFile(root.Path("/etc/group"), &readable);
  EXPECT_TRUE(readable);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].Name, "dialout");
  EXPECT_EQ(groups[0].Gid, 20u);
  EXPECT_EQ(groups[0].Members, (std::vector<std::string>{"ann", "bob"}));
  EXPECT_TRUE(groups[1].Members.empty());
  EXPECT_TRUE(ReadGroupFile(root.Path("/etc/none"), &readable).empty());
  EXPECT_FALSE(readable);
}

TEST(AccessFindingTest, EachWayToMayOrMayNot) {
  const TNodeStatus dialoutNode{0, 20, S_IFCHR | 0660};
  const TUser ann{1000, "ann", {1000}};
  const TUser annInSession{1000, "ann", {1000, 20}};
  struct TCase {
    const char* What;
    TNodeStatus Node;
    TUser User;
    std::string Members;  // of dialout in /etc/group
    TLevel Level;
    const char* Text;
    const char* Fix;
  };
  const TCase cases[] = {
      {"root", dialoutNode, {0, "root", {0}}, "", TLevel::Ok, "root may open", ""},
      {"owner", {1000, 20, S_IFCHR | 0600}, ann, "", TLevel::Ok, "you own", ""},
      {"group in session", dialoutNode, annInSession, "ann", TLevel::Ok, "as a member of dialout",
       ""},
      {"anyone", {0, 20, S_IFCHR | 0666}, ann, "", TLevel::Ok, "anyone may open", ""},
      {"listed, not in session", dialoutNode, ann, "bob,ann", TLevel::Problem,
       "you are in dialout in /etc/group but not in this login session", "log out and in again"},
      {"not in group", dialoutNode, ann, "bob", TLevel::Problem,
       "you (ann) are not in the group dialout", "sudo usermod -aG dialout \"$USER\""},
      {"mode forbids",
       {0, 20, S_IFCHR | 0600},
       annInSession,
       "ann",
       TLevel::Problem,
       "lets you neither read nor write",
       ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    const auto groups = std::vector<TGroup>{{"root", 0, {}}, {"dialout", 20, {}}};
    auto withMembers = groups;
    std::stringstream in(c.Members);
    for (std::string m; std::getline(in, m, ',');) withMembers[1].Members.push_back(m);
    const TFinding f = AccessFinding("ttyUSB0", "/dev/ttyUSB0", c.Node, c.User, withMembers);
    EXPECT_EQ(f.Check, "access");
    EXPECT_EQ(f.Level, c.Level);
    EXPECT_NE(f.Text.find(c.Text), std::string::npos) << f.Text;
    EXPECT_EQ(f.Fix.find(c.Fix), 0u) << f.Fix;
    EXPECT_NE(f.Text.find("crw-"), std::string::npos) << "the node's mode is shown: " << f.Text;
  }
}

TEST(AccessFindingTest, AVanishedNodeCouldNotBeChecked) {
  test::TDoctorRoot root;
  const TFinding f = CheckAccess(root.View(), "ttyUSB9", root.Path("/dev/ttyUSB9"));
  EXPECT_EQ(f.Level, TLevel::Unchecked);
  EXPECT_NE(f.Text.find("No such file"), std::string::npos) << f.Text;
}

}  // namespace
}  // namespace doctor
