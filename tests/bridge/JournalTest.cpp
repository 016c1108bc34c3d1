// The journal's lines: the syslog priority under systemd, the program's
// name on a terminal, one event one line; whether standard error is the
// journal's stream.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "bridge/Journal.h"

namespace bridge {
namespace {

struct TLineCase {
  TLevel Level;
  const char* Text;
  bool Journal;
  const char* Line;
};

class TJournalLines : public ::testing::TestWithParam<TLineCase> {};

TEST_P(TJournalLines, AreOneLineInTheFormTheReaderTakes) {
  const TLineCase& c = GetParam();
  EXPECT_EQ(JournalLine(c.Level, c.Text, c.Journal), c.Line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TJournalLines,
    ::testing::Values(TLineCase{TLevel::Warning, "lost", true, "<4>lost\n"},
                      TLineCase{TLevel::Info, "admitted", true, "<6>admitted\n"},
                      TLineCase{TLevel::Error, "no port", false, "zolvek-bridge: no port\n"},
                      TLineCase{TLevel::Notice, "a\nb\rc", true, "<5>a b c\n"}));

TEST(JournalStream, IsStandardErrorOnlyWhenItIsTheNamedOne) {
  struct stat status {};
  ASSERT_EQ(::fstat(2, &status), 0);
  const std::string mine = std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
  ::unsetenv("JOURNAL_STREAM");
  EXPECT_FALSE(StandardErrorIsJournal());
  ::setenv("JOURNAL_STREAM", mine.c_str(), 1);
  EXPECT_TRUE(StandardErrorIsJournal());
  // Inherited by a child whose standard error went elsewhere.
  ::setenv("JOURNAL_STREAM", (mine + "1").c_str(), 1);
  EXPECT_FALSE(StandardErrorIsJournal());
  ::unsetenv("JOURNAL_STREAM");
}

}  // namespace
}  // namespace bridge
