#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# Runs a Windows program of ours under 64-bit Wine in the project's own
# prefix, in the Chinese locale (ANSI code page 936). Creates the prefix on
# first use. The program's exit code is passed through.
#
# Its output goes to a file first and is shown when it ends: a Wine process
# that the program starts in the background (the virtual desktop's
# explorer.exe when the program opens the first window) inherits the
# program's output, and a test runner reading it through a pipe would wait
# for that process too.
set -euo pipefail
prefix=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null &
pid=$!
trap 'kill "$pid" 2>/dev/null' TERM INT
rc=0
wait "$pid" || rc=$?  # (set -e would end the script here and hide the output)
cat "$out"
rm -f "$out"
exit "$rc"
