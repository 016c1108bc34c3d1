// GoogleTest's main on a QCoreApplication, for the bridge's tests: timers
// and socket notifiers without Qt Gui.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
