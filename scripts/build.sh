#!/usr/bin/env bash
# Configures and builds one configuration: release (default), asan or tsan,
# or arm64: the release configuration cross-built for 64-bit ARM
# (cmake/aarch64-linux-gnu.cmake), its tests run under qemu against the
# release build's virtual generator.
# Usage: scripts/build.sh [release|asan|tsan|arm64] [cmake --build arguments...]
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
  *) echo "unknown configuration: $config (release, asan, tsan or arm64)" >&2; exit 2 ;;
esac

dir="$top/build/$config"
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" "${generator[@]}" "${flags[@]}"
fi
cmake --build "$dir" --parallel "${ZOLVEK_JOBS:-2}" "$@"
