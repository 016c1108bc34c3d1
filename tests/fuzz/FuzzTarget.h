#pragma once
// A fuzz target is a function of the input bytes that checks what must
// hold with Check. Built for libFuzzer (ZOLVEK_FUZZ_ENTRY), a failed check
// prints what failed and aborts, so that libFuzzer keeps the input; in the
// ordinary suite it throws, and the replay test reports the input's file.
// ZOLVEK_FUZZ_TARGET names the function: libFuzzer's entry in the fuzz
// build, an entry of Targets() for the replay test elsewhere.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace fuzz {

using TTarget = void (*)(std::string_view input);

struct TCheckFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline void Check(bool holds, const char* what) {
  if (holds) return;
#ifdef ZOLVEK_FUZZ_ENTRY
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
#else
  throw TCheckFailed(what);
#endif
}

// Targets by name: the folder of their seeds and kept inputs.
inline std::map<std::string, TTarget>& Targets() {
  static std::map<std::string, TTarget> targets;
  return targets;
}

struct TRegistration {
  TRegistration(const char* name, TTarget target) { Targets()[name] = target; }
};

}  // namespace fuzz

#ifdef ZOLVEK_FUZZ_ENTRY
#define ZOLVEK_FUZZ_TARGET(name, function)                                            \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    function(std::string_view(reinterpret_cast<const char*>(data), size));            \
    return 0;                                                                         \
  }
#else
#define ZOLVEK_FUZZ_TARGET(name, function) \
  static const fuzz::TRegistration FuzzRegistration_##function(name, function);
#endif
