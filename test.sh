#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# the unit tests natively, with sanitizers, and as Windows programs under
# Wine, then the tests of the real program under Wine. Ends with the time
# each step took.
# Usage: ./test.sh [ctest arguments, e.g. -R DiagLog]
set -uo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build"

timings=()
timed() {  # timed LABEL COMMAND...: runs the command and notes its time
  local label=$1 start=$SECONDS status=0
  shift
  "$@" || status=$?
  timings+=("$(printf '%-16s %4d s' "$label" $((SECONDS - start)))")
  return $status
}

timed setup "$root/cmake/setup-debian.sh" || exit 1
for config in native asan win; do
  timed "build $config" "$root/cmake/build.sh" $config || exit 1
done

. "$root/cmake/test-env.sh"
timed "test env" zdv_env_up "$build" || exit 1
trap zdv_env_down EXIT

passed=0
failed=0
run_suite() {  # run_suite NAME DIR [ctest args...]
  local name=$1 dir=$2
  shift 2
  echo
  echo "=== $name ==="
  local log="$build/ctest-$name.log"
  (cd "$dir" && ctest --output-on-failure "$@") 2>&1 | tee "$log" | grep -v '^ *Start ' || true
  local total fails
  total=$(sed -n 's/.*tests passed, \([0-9]*\) tests\? failed out of \([0-9]*\).*/\2/p' "$log" | tail -1)
  fails=$(sed -n 's/.*tests passed, \([0-9]*\) tests\? failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  if [ -z "$total" ]; then
    echo "$name: no test results"
    failed=$((failed + 1))
    return
  fi
  local skipped
  skipped=$(grep -c '(Skipped)$' "$log" || true)
  passed=$((passed + total - fails - skipped))
  failed=$((failed + fails))
}

timed "tests native" run_suite native "$build/native" -j2 "$@"
timed "tests asan" run_suite asan "$build/asan" -j2 "$@"
timed "tests windows" run_suite windows "$build/win" -j2 "$@"

echo
echo "Time taken:"
printf '  %s\n' "${timings[@]}"
printf '  %-16s %4d s\n' total "$SECONDS"
echo
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
