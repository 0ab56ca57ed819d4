#!/usr/bin/env bash
# wine-prefix.sh PREFIX
# Creates the project's own 64-bit Wine prefix (never the user's ~/.wine):
# Chinese locale, a virtual desktop (so windows get captions without an X
# window manager), and the Marlett font for caption buttons. Idempotent:
# returns at once when the prefix is ready.
set -euo pipefail
prefix=$1
[ -f "$prefix/.zdv-ready" ] && exit 0

mkdir -p "$(dirname "$prefix")"
lock="$prefix.lock"
exec 9>"$lock"
flock 9
[ -f "$prefix/.zdv-ready" ] && exit 0

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# A display is not needed to create the prefix.
env -u DISPLAY wineboot -i >/dev/null 2>&1 || true
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
reg=$(mktemp --suffix=.reg)
cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x1024"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
env -u DISPLAY wine regedit /S "$reg" >/dev/null 2>&1 || true
rm -f "$reg"
wineserver -w
touch "$prefix/.zdv-ready"
