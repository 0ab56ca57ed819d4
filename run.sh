#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under
# Wine (in the Chinese locale, in the project's own Wine prefix). Where there
# is no display it starts a virtual one (Xvfb), says so, and leaves a picture
# of the window in build/win/artifacts/run.png. A sample MP3 to try a cut on
# lies beside the program.
#   ./run.sh --install    after a first ./run.sh: a menu entry for the current
#                         user that starts the built program under Wine, also
#                         offered by file managers for MP3 files ("Open with")
#   ./run.sh --uninstall  removes what --install wrote
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build="$root/build"
program="$build/win/bin/ZorDU3Vodizaro.exe"
prefix="$build/win/wineprefix"
entries="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
entry="$entries/zordu3vodizaro.desktop"
icon="$build/desktop/zordu3vodizaro.png"

# One word of an Exec line: quoted, with what Exec reserves escaped, then
# escaped once more as the text of a desktop entry.
exec_word() {
  local w=${1//\\/\\\\}
  w=${w//\"/\\\"}; w=${w//\`/\\\`}; w=${w//\$/\\\$}; w=${w//%/%%}
  w="\"$w\""
  printf '%s' "${w//\\/\\\\}"
}

# The file managers' list of programs by type, where this user has one.
refresh_types() {
  if [ -f "$entries/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
    update-desktop-database "$entries"
  fi
}

# The entry runs the program in the Chinese locale and the project's prefix,
# from the folder /, where a Linux path such as /home/me/a.mp3 is
# Z:\home\me\a.mp3. It lists the folders it made ("# made: ") for --uninstall.
install_entry() {
  if [ ! -f "$program" ]; then
    echo "run: $program is not built yet; start ./run.sh once first" >&2
    exit 1
  fi
  "$root/cmake/wine-prefix.sh" "$prefix"
  mkdir -p "$(dirname "$icon")"
  rsvg-convert -w 128 -h 128 "$root/res/icons/program.svg" -o "$icon"
  local made=() folder=$entries
  while [ ! -d "$folder" ]; do
    made+=("$folder")
    folder=$(dirname "$folder")
  done
  mkdir -p "$entries"
  {
    echo "# Written by $root/run.sh --install; --uninstall removes it."
    [ ${#made[@]} = 0 ] || printf '# made: %s\n' "${made[@]}"
    cat <<ENTRY
[Desktop Entry]
Type=Application
Name=Zor DU3 Vodizaro
GenericName=MP3 Cutter
GenericName[zh_CN]=MP3 剪切
Comment=Cuts a time range out of an MP3 file without re-encoding
Comment[zh_CN]=无损剪切 MP3 文件的一段, 不重新编码
Icon=$icon
Exec=env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 $(exec_word "WINEPREFIX=$prefix") WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= wine $(exec_word "$program") %f
Path=/
Terminal=false
MimeType=audio/mpeg;
Categories=AudioVideo;Audio;AudioVideoEditing;
ENTRY
  } > "$entry"
  refresh_types
  echo "run: wrote the menu entry $entry"
}

uninstall_entry() {
  if [ ! -f "$entry" ]; then
    echo "run: there is no menu entry $entry"
    return
  fi
  local made
  mapfile -t made < <(sed -n 's/^# made: //p' "$entry")
  rm -f "$entry" "$icon"
  rmdir "$(dirname "$icon")" 2>/dev/null || true
  refresh_types
  [ ${#made[@]} = 0 ] || rmdir "${made[@]}"
  echo "run: removed the menu entry $entry"
}

case "${1:-}" in
  --install) install_entry; exit 0 ;;
  --uninstall) uninstall_entry; exit 0 ;;
esac

"$root/cmake/setup-debian.sh"
"$root/cmake/build.sh" win

bin="$build/win/bin"
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
