# test-env.sh: sourced by test.sh and run.sh. Gives the Windows programs what
# they need to run: a display (Xvfb when there is none), the Chinese locale,
# the project's Wine prefix with a warm wineserver, a runtime folder, and a
# PulseAudio server of our own whose default output is a null sink (sound
# played in real time and recordable from "nullsink.monitor", no sound card).
# zdv_env_up BUILD_DIR [desktop]   zdv_env_down
# With "desktop" (run.sh), a user's own sound server, where one answers,
# plays the sound instead of the null sink.

zdv_env_up() {
  local build=$1 mode=${2:-}
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  export WINEPREFIX="$build/win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  ZDV_XVFB_PID=""
  ZDV_OWN_AUDIO=""
  if [ "$mode" = desktop ] && [ -n "${DISPLAY:-}" ] && command -v pactl >/dev/null && pactl info >/dev/null 2>&1; then
    echo "env: sound goes to the desktop's own sound server"
  else
    ZDV_OWN_AUDIO=1
    export XDG_RUNTIME_DIR="$build/xdg"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  fi
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
  [ -z "$ZDV_OWN_AUDIO" ] || zdv_audio_up "$build"
  "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" "$WINEPREFIX"
  wineserver -p 120 2>/dev/null || true
  # Start Wine's own background processes now, detached from any pipe: a
  # test runner reading a program's output would otherwise wait for them.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# A user PulseAudio daemon in $XDG_RUNTIME_DIR (also when running as root),
# shared with Wine's audio driver through that folder. norewinds=1 makes the
# null sink consume sound in real time.
zdv_audio_up() {
  local build=$1
  command -v pulseaudio >/dev/null || { echo "env: pulseaudio missing: no audio output" >&2; return 0; }
  # Clients never start a daemon of their own (without the null sink).
  printf 'autospawn = no\n' > "$XDG_RUNTIME_DIR/pulse-client.conf"
  export PULSE_CLIENTCONFIG="$XDG_RUNTIME_DIR/pulse-client.conf"
  pactl list short sinks 2>/dev/null | grep -q nullsink && return 0
  pulseaudio --daemonize=yes -n --exit-idle-time=-1 --log-target=file:"$build/pulseaudio.log" \
    -L "module-native-protocol-unix auth-anonymous=1" \
    -L "module-null-sink sink_name=nullsink rate=44100 channels=2 norewinds=1" 2>/dev/null
  local i
  for i in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl set-default-sink nullsink 2>/dev/null || echo "env: PulseAudio did not start (see $build/pulseaudio.log)" >&2
}

zdv_env_down() {
  wineserver -k 2>/dev/null || true
  # Only the sound server of our own, never a desktop's.
  [ -z "${ZDV_OWN_AUDIO:-}" ] || pulseaudio --kill 2>/dev/null || true
  if [ -n "${ZDV_XVFB_PID:-}" ]; then kill "$ZDV_XVFB_PID" 2>/dev/null || true; fi
}
