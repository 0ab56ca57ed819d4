#!/usr/bin/env bash
# run.sh [SECONDS] [TARGET...]: runs the fuzz targets of build/fuzz (cmake/build.sh
# fuzz) for SECONDS each (default 150), seeded with the fixtures, the real-world
# files and tests/fuzz/found. Failing inputs land in build/fuzz/artifacts/<target>/;
# copy those worth keeping to tests/fuzz/found/<target>/ for the unit tests.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="$here/../../build/fuzz"
seconds=${1:-150}
shift || true
targets=("${@:-fuzz_frame_scan fuzz_cut_layout fuzz_id3v2_text fuzz_id3lib fuzz_source_tag}")
export ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 TMPDIR=/dev/shm
for target in ${targets[@]}; do
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
  seeds=()
  for s in "$build/../native/fixtures" "$here/found/$target" "$here/../../../shared/testdata/files" "$here/../../../../shared/testdata/files"; do
    [ -d "$s" ] && seeds+=("$s")
  done
  echo "== $target: $seconds s"
  "$build/tests/fuzz/$target" "$build/corpus/$target" "${seeds[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
    -malloc_limit_mb=2048 -max_len=65536 -print_final_stats=1 -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
    -artifact_prefix="$build/artifacts/$target/" > "$build/$target.log" 2>&1 || true
  grep -E "^(stat::|Done|==[0-9]+==ERROR|SUMMARY)|Test unit written|#[0-9]+: cov:" "$build/$target.log" | tail -12
  echo "failing inputs so far: $(ls "$build/artifacts/$target" | wc -l)"
done
