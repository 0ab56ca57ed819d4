#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under
# Wine (in the Chinese locale, in the project's own Wine prefix). Where there
# is no display it starts a virtual one (Xvfb) and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build"

"$root/cmake/setup-debian.sh"
"$root/cmake/build.sh" win

program="$build/win/bin/ZorDU3Vodizaro.exe"
if [ ! -f "$program" ]; then
  echo "run: the program itself is not built yet (only the engine and its tests exist);"
  echo "run: there is nothing to start. ./test.sh runs what exists."
  exit 1
fi

. "$root/cmake/test-env.sh"
zdv_env_up "$build"
trap zdv_env_down EXIT
echo "run: starting $program"
wine "$program"
