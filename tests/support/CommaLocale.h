#pragma once
// A C locale whose decimal point is a comma, for real: German, built into a
// scratch directory with localedef (no package needed). False when that
// cannot be done here. Windows (and Wine) has it built in. The caller sets
// LC_ALL back to "C" afterwards.

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace test_support {

inline bool UseCommaLocale() {
#ifdef _WIN32
  return std::setlocale(LC_ALL, "German_Germany.1252") != nullptr;
#else
  const auto dir = std::filesystem::temp_directory_path() / "zolvek-test-locale";
  std::filesystem::create_directories(dir);
  const std::string command =
      "localedef -i de_DE -f UTF-8 " + (dir / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0 && !std::filesystem::exists(dir / "de_DE.UTF-8"))
    return false;
  ::setenv("LOCPATH", dir.c_str(), 1);
  return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
#endif
}

}  // namespace test_support
