#!/usr/bin/env bash
# build.sh CONFIG...   (CONFIG: native, asan, win)
# Configures (once) and builds the given configurations under build/:
#   native  GCC on Linux: engine, unit tests, benchmarks, fuzzers
#   asan    the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   win     MinGW-w64 x86-64: the Windows program, its libraries and tests
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for config in "$@"; do
  dir="$root/build/$config"
  case $config in
    native) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    asan)   args=(-DCMAKE_BUILD_TYPE=Debug -DZDV_SANITIZE=ON) ;;
    win)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake") ;;
    *) echo "build.sh: unknown configuration $config" >&2; exit 2 ;;
  esac
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "${args[@]}" >/dev/null
  fi
  echo "build: $config"
  status=0
  cmake --build "$dir" > "$dir/build.log" 2>&1 || status=$?
  grep -v '^\[' "$dir/build.log" || true
  [ "$status" = 0 ] || { echo "build: $config failed" >&2; exit 1; }
done
