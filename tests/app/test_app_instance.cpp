// One instance per machine: a second copy shows its message and leaves;
// the first goes on untouched; the lock goes with the first copy's end.

#include <gtest/gtest.h>

#include "tests/app/test_app_support.h"

namespace app::test {
namespace {

constexpr char SecondInstanceReport[] =
    "zolvek: message \"Only one instance of Zolvek can be running at a time.\" "
    "title \"Error\" icon 3";  // QMessageBox::Critical

TEST(ProgramInstance, SecondCopyShowsTheMessageAndLeavesTheFirstAlone) {
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  QProcess first;
  QProcessEnvironment env = ZolvekEnvironment(runtime.path());
  env.insert("ZOLVEK_TEST_QUIT_AFTER_MS", "8000");
  first.setProcessEnvironment(env);
  first.start(ZOLVEK_BINARY, {});
  QByteArray firstOut;
  ASSERT_TRUE(WaitForOutput(first, firstOut, "zolvek: shown 800x320", 30000))
      << firstOut.constData();

  QProcess second;
  second.setProcessEnvironment(ZolvekEnvironment(runtime.path()));
  second.start(ZOLVEK_BINARY, {});
  ASSERT_TRUE(second.waitForFinished(30000));
  const QByteArray secondOut = second.readAllStandardError();
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(secondOut.contains(SecondInstanceReport)) << secondOut.constData();
  EXPECT_FALSE(secondOut.contains("zolvek: shown")) << "the second copy opens no window";
  EXPECT_EQ(secondOut.count("zolvek: message"), 1);

  EXPECT_EQ(first.state(), QProcess::Running) << "the first copy is untouched";
  ASSERT_TRUE(first.waitForFinished(30000));
  firstOut += first.readAllStandardError();
  EXPECT_EQ(first.exitCode(), 0);
  EXPECT_FALSE(firstOut.contains("zolvek: message")) << firstOut.constData();
  EXPECT_TRUE(firstOut.contains("zolvek: redraws")) << firstOut.constData();

  // The lock ended with the first copy: a new one starts normally.
  QProcess third;
  env.insert("ZOLVEK_TEST_QUIT_AFTER_MS", "200");
  third.setProcessEnvironment(env);
  third.start(ZOLVEK_BINARY, {});
  ASSERT_TRUE(third.waitForFinished(30000));
  const QByteArray thirdOut = third.readAllStandardError();
  EXPECT_TRUE(thirdOut.contains("zolvek: shown 800x320")) << thirdOut.constData();
  EXPECT_EQ(third.exitCode(), 0);
}

}  // namespace
}  // namespace app::test
