// Entry of the window tests: an offscreen application, and a private
// runtime directory so that the virtual ports registered here are not seen
// by (and do not collide with) anything else running on the machine.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string dir = (std::filesystem::temp_directory_path() / "zolvek-e2e-XXXXXX").string();
  const bool privateDir = mkdtemp(dir.data()) != nullptr;
  if (privateDir) setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Zolvek");
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (privateDir) {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  return result;
}
