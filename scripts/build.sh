#!/usr/bin/env bash
# Configures and builds one configuration: release (default), asan or tsan,
# or arm64: the release configuration cross-built for 64-bit ARM
# (cmake/aarch64-linux-gnu.cmake), its tests run under qemu against the
# release build's virtual generator; or fuzz: the fuzz targets with clang,
# libFuzzer, ASan and UBSan (scripts/fuzz builds them with --target fuzzers).
# Usage: scripts/build.sh [release|asan|tsan|arm64|fuzz] [cmake --build arguments...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
config=${1:-release}
shift || true

case "$config" in
  release) flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan)    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOLVEK_ASAN=ON) ;;
  tsan)    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOLVEK_TSAN=ON) ;;
  arm64)   flags=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$top/cmake/aarch64-linux-gnu.cmake"
                  -DZOLVEK_HOST_SIM="$top/build/release/tools/sim/zolvek-sim") ;;
  fuzz)    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOLVEK_FUZZ=ON -DZOLVEK_TESTS=OFF
                  -DZOLVEK_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++-14) ;;
  *) echo "unknown configuration: $config (release, asan, tsan, arm64 or fuzz)" >&2; exit 2 ;;
esac

dir="$top/build/$config"
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" "${generator[@]}" "${flags[@]}"
fi
cmake --build "$dir" --parallel "${ZOLVEK_JOBS:-2}" "$@"
