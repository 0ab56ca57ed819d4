#!/usr/bin/env bash
# run.sh [SECONDS]: runs build/fuzz's target (cmake/build.sh fuzz) for SECONDS (default 600) from the fixtures, the
# real-world files and tests/fuzz/found/<what they broke>/, where failing inputs worth keeping go for the engine tests.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="$here/../../build/fuzz"
mkdir -p "$build/corpus" "$build/artifacts"
seeds=()
for s in "$build/../native/fixtures" "$here"/found/* "$here"/../../{,../}../shared/testdata/files; do
  [ -d "$s" ] && seeds+=("$s")
done
export ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1
"$build/tests/fuzz/fuzz_parsers" "$build/corpus" "${seeds[@]}" -max_total_time="${1:-600}" -timeout=10 \
  -rss_limit_mb=2560 -malloc_limit_mb=2048 -max_len=65536 -print_final_stats=1 -fork=1 -ignore_crashes=1 \
  -ignore_ooms=1 -ignore_timeouts=1 -artifact_prefix="$build/artifacts/" > "$build/fuzz.log" 2>&1 || true
grep -E "^(stat::|Done|==[0-9]+==ERROR|SUMMARY)|Test unit written|#[0-9]+: cov:" "$build/fuzz.log" | tail -12
echo "failing inputs so far: $(ls "$build/artifacts" | wc -l)"
