#!/usr/bin/env bash
# run.sh [SECONDS] [TARGET...]
# Runs the fuzz targets of build/fuzz (cmake/build.sh fuzz) for SECONDS each
# (default 150), seeded with the lame fixtures, the real-world files and the
# inputs found before (tests/fuzz/found). A failure does not stop the run
# (libFuzzer's fork mode); failing inputs land in build/fuzz/artifacts/<target>/.
# Copy the ones worth keeping to tests/fuzz/found/<target>/ so that the unit
# tests replay them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build/fuzz"
seconds=${1:-150}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_frame_scan fuzz_cut_layout fuzz_id3v2_text fuzz_id3lib fuzz_source_tag)
testdata="$root/../shared/testdata/files"
[ -d "$testdata" ] || testdata="$root/../../shared/testdata/files"

export ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1
export TMPDIR=/dev/shm
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  seeds=("$root/build/native/fixtures" "$here/found/$target")
  [ -d "$testdata" ] && seeds+=("$testdata")
  existing=()
  for s in "${seeds[@]}"; do [ -d "$s" ] && existing+=("$s"); done
  echo "== $target: $seconds s"
  "$build/tests/fuzz/$target" "$corpus" "${existing[@]}" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2560 -malloc_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
    -artifact_prefix="$artifacts/" > "$build/$target.log" 2>&1 || true
  grep -E "^(stat::|Done|==[0-9]+==ERROR|SUMMARY)|Test unit written|#[0-9]+: cov:" "$build/$target.log" | tail -12
  echo "failing inputs so far: $(ls "$artifacts" | wc -l)"
done
