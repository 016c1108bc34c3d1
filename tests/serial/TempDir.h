#pragma once
// A temporary directory for registry tests, removed with everything in it.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace serial::test {

class TTempDir {
 public:
  TTempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zolvek-serial-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    Path = pattern;
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& operator()() const { return Path; }

 private:
  std::filesystem::path Path;
};

}  // namespace serial::test
