// The LXI TXT entries from the identity, and the service's name within
// DNS-SD's 63 bytes.
#include <gtest/gtest.h>

#include "bridge/DnsSd.h"

namespace bridge {
namespace {

TEST(LxiTxtRecords, TakeTheIdentitysFourFields) {
  EXPECT_EQ(LxiTxtRecords("Zolvek,DDS-12M5,ttyUSB0,1.2"),
            (std::vector<std::string>{"txtvers=1", "Manufacturer=Zolvek", "Model=DDS-12M5",
                                      "SerialNumber=ttyUSB0", "FirmwareVersion=1.2"}));
}

TEST(LxiTxtRecords, AShortIdentityLeavesTheRestEmpty) {
  const std::vector<std::string> txt = LxiTxtRecords("Zolvek");
  ASSERT_EQ(txt.size(), 5u);
  EXPECT_EQ(txt[2], "Model=");
  EXPECT_EQ(txt[4], "FirmwareVersion=");
}

TEST(ServiceName, NamesMakerModelAndHost) {
  EXPECT_EQ(ServiceName("Zolvek,DDS-12M5,none,1.2", "benchpi"), "Zolvek DDS-12M5 on benchpi");
}

TEST(ServiceName, ALongHostIsCutWithinOneLabelAndWholeCharacters) {
  const std::string prefix = "Zolvek DDS-12M5 on ";  // 19 bytes
  const std::string a = "\xc3\xa4";                  // "ä", two bytes
  const std::string identity = "Zolvek,DDS-12M5,none,1.2";
  // The cut at 63 bytes falls after a whole "ä", inside one, or before it.
  EXPECT_EQ(ServiceName(identity, std::string(42, 'h') + a + a), prefix + std::string(42, 'h') + a);
  EXPECT_EQ(ServiceName(identity, std::string(43, 'h') + a + a), prefix + std::string(43, 'h'));
  EXPECT_EQ(ServiceName(identity, std::string(50, 'h')), prefix + std::string(44, 'h'));
}

}  // namespace
}  // namespace bridge
