#!/usr/bin/env bash
# Installs the Debian packages Spray Dash needs to build, test and run. Safe to run again:
# it only calls apt-get when something is missing, and uses sudo when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache git
  libsdl2-dev libsdl2-ttf-dev libxmp-dev libfontconfig-dev libpng-dev
  librsvg2-dev libcairo2-dev libsqlite3-dev
  libmicrohttpd-dev libpq-dev postgresql chromium systemd wrk
  libgtest-dev libbenchmark-dev
  fonts-liberation fonts-dseg
  clang libclang-rt-14-dev clang-format-14
  xvfb xdotool x11-utils imagemagick sox xdg-utils
  openbox wmctrl
  dpkg-dev lintian desktop-file-utils appstream file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
