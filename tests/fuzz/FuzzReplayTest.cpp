// Replays every seed and kept input of each fuzz target through it: the
// findings stay fixed, and the seeds keep the targets' checks honest in
// every configuration of the suite.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzTarget.h"

namespace {

namespace fs = std::filesystem;

struct TInput {
  std::string Target;
  fs::path File;
};

void PrintTo(const TInput& input, std::ostream* out) { *out << input.File.string(); }

std::vector<TInput> KeptInputs() {
  std::vector<TInput> inputs;
  for (const auto& [name, target] : fuzz::Targets())
    for (const char* folder : {"seeds", "regressions"}) {
      const fs::path dir = fs::path(ZOLVEK_FUZZ_INPUTS) / name / folder;
      if (!fs::is_directory(dir)) continue;
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const fs::path& file : files) inputs.push_back({name, file});
    }
  return inputs;
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class FuzzReplayTest : public ::testing::TestWithParam<TInput> {};

TEST_P(FuzzReplayTest, HoldsWhatTheTargetChecks) {
  const TInput& input = GetParam();
  const std::string bytes = Contents(input.File);
  try {
    fuzz::Targets().at(input.Target)(bytes);
  } catch (const fuzz::TCheckFailed& failed) {
    FAIL() << input.File << ": " << failed.what();
  }
}

TEST(FuzzReplay, EveryTargetHasSeeds) {
  for (const auto& [name, target] : fuzz::Targets())
    EXPECT_TRUE(fs::is_directory(fs::path(ZOLVEK_FUZZ_INPUTS) / name / "seeds")) << name;
}

std::string NameOf(const ::testing::TestParamInfo<TInput>& info) {
  std::string name = info.param.Target + "_" + info.param.File.parent_path().filename().string() +
                     "_" + info.param.File.filename().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Kept, FuzzReplayTest, ::testing::ValuesIn(KeptInputs()), NameOf);

}  // namespace
