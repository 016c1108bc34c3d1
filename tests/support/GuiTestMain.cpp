#include "tests/support/GuiTestMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace test_support {

int RunGuiTests(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string dir = (std::filesystem::temp_directory_path() / "zolvek-test-XXXXXX").string();
  const bool privateDir = mkdtemp(dir.data()) != nullptr;
  if (privateDir) setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  int result = 0;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zolvek");
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  if (privateDir) {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  return result;
}

}  // namespace test_support
