// The single-instance guard's Win32 half: the named mutex "Zolvek".

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/InstanceLock.h"

namespace {

TEST(InstanceLockWin32, TheNamedMutexRefusesASecondHolderUntilReleased) {
  {
    platform::TInstanceLock first;
    ASSERT_TRUE(first.Acquired());
    platform::TInstanceLock second;
    EXPECT_FALSE(second.Acquired());
    // Anyone else sees the name taken, as a second program does.
    const HANDLE other = ::CreateMutexA(nullptr, TRUE, "Zolvek");
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ::CloseHandle(other);
  }
  platform::TInstanceLock again;
  EXPECT_TRUE(again.Acquired()) << "the released name can be taken again";
}

// A second process, as a second start of the program, is refused.
TEST(InstanceLockWin32, AnotherProcessIsRefusedWhileTheLockIsHeld) {
  platform::TInstanceLock held;
  ASSERT_TRUE(held.Acquired());
  char self[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
  std::string command = std::string("\"") + self +
                        "\" --gtest_filter=InstanceLockWin32.ChildReportsWhetherItGotTheLock";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ::SetEnvironmentVariableA("ZOLVEK_LOCK_CHILD", "1");
  ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child));
  ::SetEnvironmentVariableA("ZOLVEK_LOCK_CHILD", nullptr);
  ASSERT_EQ(::WaitForSingleObject(child.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeProcess(child.hProcess, &code);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  EXPECT_EQ(code, 7u) << "7: the child was refused the lock";
}

TEST(InstanceLockWin32, ChildReportsWhetherItGotTheLock) {
  if (::GetEnvironmentVariableA("ZOLVEK_LOCK_CHILD", nullptr, 0) == 0)
    GTEST_SKIP() << "runs only as the child of the test above";
  platform::TInstanceLock lock;
  ::ExitProcess(lock.Acquired() ? 3 : 7);
}

}  // namespace
