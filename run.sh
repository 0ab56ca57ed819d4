#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under
# Wine (in the Chinese locale, in the project's own Wine prefix). Where there
# is no display it starts a virtual one (Xvfb), says so, and leaves a picture
# of the window in build/win/artifacts/run.png. A sample MP3 to try a cut on
# lies beside the program.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build"

"$root/cmake/setup-debian.sh"
"$root/cmake/build.sh" win

bin="$build/win/bin"
program="$bin/ZorDU3Vodizaro.exe"
if [ ! -f "$program" ]; then
  echo "run: $program was not built; see the build output above." >&2
  exit 1
fi

virtual=""
[ -n "${DISPLAY:-}" ] || virtual=1
. "$root/cmake/test-env.sh"
zdv_env_up "$build" desktop
trap zdv_env_down EXIT
echo "run: starting $program"
echo "run: a sample to try a cut on: $bin/示例.mp3 (\"打开文件\" shows it first)"
rm -f "$bin/log.txt"
wine "$program" &
pid=$!
if [ -n "$virtual" ]; then
  # Nobody sees a virtual display: show the window as a picture once it is
  # up (the log's first line comes just before the window).
  shot="$build/win/artifacts/run.png"
  mkdir -p "$(dirname "$shot")"
  for _ in $(seq 100); do
    grep -q "Start ZorDU3Vodizaro" "$bin/log.txt" 2>/dev/null && break
    sleep 0.2
  done
  sleep 3
  if import -display "$DISPLAY" -window root "$shot" 2>/dev/null; then
    echo "run: the window is on the virtual display $DISPLAY; it looks like $shot"
  fi
  echo "run: the program runs until it is closed; Ctrl+C ends it"
fi
wait "$pid"
