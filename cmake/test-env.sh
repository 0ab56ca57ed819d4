# test-env.sh: sourced by test.sh and run.sh. Gives the Windows programs what
# they need to run: a display (Xvfb when there is none), the Chinese locale,
# the project's Wine prefix with a warm wineserver, and a runtime folder.
# zdv_env_up BUILD_DIR   zdv_env_down

zdv_env_up() {
  local build=$1
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  export WINEPREFIX="$build/win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export XDG_RUNTIME_DIR="$build/xdg"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  ZDV_XVFB_PID=""
  if [ -z "${DISPLAY:-}" ]; then
    local fifo="$build/xvfb.fd"
    rm -f "$fifo"; mkfifo "$fifo"
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
    ZDV_XVFB_PID=$!
    local n
    read -r -t 20 n < "$fifo" || { echo "env: Xvfb did not start" >&2; return 1; }
    rm -f "$fifo"
    export DISPLAY=":$n"
    echo "env: no display found; started a virtual one (Xvfb) on $DISPLAY"
  fi
  "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" "$WINEPREFIX"
  wineserver -p 120 2>/dev/null || true
  # Start Wine's own background processes now, detached from any pipe: a
  # test runner reading a program's output would otherwise wait for them.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

zdv_env_down() {
  wineserver -k 2>/dev/null || true
  if [ -n "${ZDV_XVFB_PID:-}" ]; then kill "$ZDV_XVFB_PID" 2>/dev/null || true; fi
}
