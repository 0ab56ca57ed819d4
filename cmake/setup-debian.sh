#!/usr/bin/env bash
# setup-debian.sh
# Prepares a Debian 12 machine for building, running and testing: enables
# source packages (deb-src), installs the missing packages of
# cmake/debian-packages.txt and generates the zh_CN.UTF-8 locale.
# Idempotent and quick when nothing is missing. Needs root (or sudo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

SUDO=""
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root (or install sudo)" >&2; exit 1; }
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
updated=0
apt_update() {
  if [ $updated = 0 ]; then
    $SUDO apt-get update -qq || true
    updated=1
  fi
}

# 1. Source packages: id3lib and mpg123 are built from Debian's sources for Windows.
changed=0
if [ -f /etc/apt/sources.list.d/debian.sources ] &&
   grep -q '^Types: deb$' /etc/apt/sources.list.d/debian.sources; then
  $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  changed=1
fi
if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list &&
   ! grep -q '^deb-src ' /etc/apt/sources.list; then
  grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee -a /etc/apt/sources.list >/dev/null
  changed=1
fi
[ $changed = 1 ] && apt_update

# 2. Packages.
mapfile -t wanted < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$here/debian-packages.txt")
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The source index must be there even when nothing was missing.
if ! apt-get source --print-uris -qq id3lib3.8.3 2>/dev/null | grep -q "\.dsc"; then
  apt_update
fi

# 3. The Chinese locale: without it Wine silently runs in code page 1252.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  if grep -q 'zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  else
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
