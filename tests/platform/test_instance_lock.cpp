#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class InstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zolvek-lock-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override {
    ::unlink(LockPath().c_str());
    ::rmdir(Dir.c_str());
  }
  std::string LockPath() const { return Dir + "/Zolvek.lock"; }

  std::string Dir;
};

TEST_F(InstanceLockTest, OnlyOneHolderUntilItIsReleased) {
  {
    platform::TInstanceLock first(Dir);
    EXPECT_TRUE(first.Acquired());
    EXPECT_EQ(::access(LockPath().c_str(), F_OK), 0);
    platform::TInstanceLock second(Dir);
    EXPECT_FALSE(second.Acquired());
  }
  platform::TInstanceLock again(Dir);
  EXPECT_TRUE(again.Acquired());
}

// A child process holds the lock until it is killed, as a crash would end it.
TEST_F(InstanceLockTest, AnotherProcessBlocksUntilItEnds) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    platform::TInstanceLock held(Dir);
    const char byte = held.Acquired() ? '1' : '0';
    (void)!::write(ready[1], &byte, 1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(byte, '1');
  {
    platform::TInstanceLock blocked(Dir);
    EXPECT_FALSE(blocked.Acquired());
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  platform::TInstanceLock afterExit(Dir);
  EXPECT_TRUE(afterExit.Acquired());
}

TEST_F(InstanceLockTest, RefusesALockFileThatIsASymlink) {
  const std::string target = Dir + "/elsewhere";
  ASSERT_EQ(::symlink(target.c_str(), LockPath().c_str()), 0);
  platform::TInstanceLock lock(Dir);
  EXPECT_FALSE(lock.Acquired());
  EXPECT_NE(::access(target.c_str(), F_OK), 0);
}

TEST_F(InstanceLockTest, MissingDirectoryIsNotAcquired) {
  platform::TInstanceLock lock(Dir + "/missing");
  EXPECT_FALSE(lock.Acquired());
}

TEST(InstanceLockDirectory, RuntimeDirectoryElseTmp) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved ? saved : "";
  ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
  EXPECT_EQ(platform::TInstanceLock::DefaultLockDirectory(), "/run/user/4242");
  ::setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(platform::TInstanceLock::DefaultLockDirectory(), "/tmp");
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(platform::TInstanceLock::DefaultLockDirectory(), "/tmp");
  if (saved) ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}

}  // namespace
