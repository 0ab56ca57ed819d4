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
  echo "run: $program was not built; see the build output above." >&2
  exit 1
fi

. "$root/cmake/test-env.sh"
zdv_env_up "$build"
trap zdv_env_down EXIT
echo "run: starting $program"
wine "$program"
