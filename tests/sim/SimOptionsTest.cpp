// The zolvek-sim command line.

#include "sim/SimOptions.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace sim {
namespace {

TEST(SimOptionsTest, DefaultsAndEveryOption) {
  const TSimOptions defaults = ParseSimOptions({});
  EXPECT_EQ(defaults.Name, "sim0");
  EXPECT_TRUE(defaults.Register);
  EXPECT_TRUE(defaults.LogFile.empty());

  const TSimOptions o = ParseSimOptions({"--name",
                                         "gen1",
                                         "--log",
                                         "/tmp/x.log",
                                         "--status",
                                         "--silent-identify",
                                         "1",
                                         "--identity",
                                         "Other",
                                         "--no-linefeed",
                                         "--table-fault",
                                         "v:15:missing",
                                         "--byte-delay-us",
                                         "1500",
                                         "--garbage-every",
                                         "250",
                                         "--garbage-in-reply",
                                         "--hangup-after",
                                         "12",
                                         "--no-register"});
  EXPECT_EQ(o.Name, "gen1");
  EXPECT_EQ(o.LogFile, "/tmp/x.log");
  EXPECT_TRUE(o.Status);
  EXPECT_FALSE(o.Register);
  EXPECT_EQ(o.Faults.SilentIdentifies, 1);
  EXPECT_EQ(o.Faults.Identity, "Other");
  EXPECT_TRUE(o.Faults.IdentityWithoutLineFeed);
  EXPECT_EQ(o.Faults.TableFault.Table, 'v');
  EXPECT_EQ(o.Faults.TableFault.Line, 15);
  EXPECT_EQ(o.Faults.TableFault.Fault, TLineFault::Missing);
  EXPECT_EQ(o.Faults.ByteDelay.count(), 1500);
  EXPECT_EQ(o.Faults.GarbageEvery.count(), 250);
  EXPECT_TRUE(o.Faults.GarbageInReply);
  EXPECT_EQ(o.Faults.HangUpAfter, 12);
}

TEST(SimOptionsTest, TableFaultKinds) {
  EXPECT_EQ(ParseSimOptions({"--table-fault", "V:0:minus-one"}).Faults.TableFault.Fault,
            TLineFault::MinusOne);
  EXPECT_EQ(ParseSimOptions({"--table-fault", "V:1:empty"}).Faults.TableFault.Fault,
            TLineFault::Empty);
  EXPECT_EQ(ParseSimOptions({"--table-fault", "V:2:nan"}).Faults.TableFault.Fault,
            TLineFault::NotANumber);
}

TEST(SimOptionsTest, BadArgumentsAreRejected) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--bogus"},
                                               {"--name"},
                                               {"--hangup-after", "-1"},
                                               {"--hangup-after", "3x"},
                                               {"--table-fault", "V:16:empty"},
                                               {"--table-fault", "X:1:empty"},
                                               {"--table-fault", "V:1:loud"},
                                               {"--table-fault", "V1empty"}}) {
    EXPECT_THROW(ParseSimOptions(args), std::invalid_argument) << args[0];
  }
}

TEST(SimOptionsTest, HelpListsEveryOption) {
  const std::string usage = SimUsage();
  for (const char* option : {"--name", "--no-register", "--log", "--status", "--silent-identify",
                             "--identity", "--no-linefeed", "--table-fault", "--byte-delay-us",
                             "--garbage-every", "--garbage-in-reply", "--hangup-after", "--help"})
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  EXPECT_TRUE(ParseSimOptions({"--help"}).Help);
}

}  // namespace
}  // namespace sim
