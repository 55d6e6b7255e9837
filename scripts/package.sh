#!/usr/bin/env bash
# Builds the release packages from a clean build folder with Debian's hardening flags and checks
# them: spraydash_<version>_<arch>.deb (and spraydash-scores_… when the score service is part of the
# build) plus their -dbgsym packages, in <build folder>/packages.
# Usage: bash scripts/package.sh [build folder]   (default: build-deb)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
bash scripts/setup.sh
rm -rf "$build"
# Debian's hardening flags, all of them (fortify, stack protector, relro, bind now); CMake reads
# CFLAGS, CXXFLAGS and LDFLAGS.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CFLAGS CXXFLAGS LDFLAGS
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPRAYDASH_WERROR=ON -DSPRAYDASH_TESTS=OFF \
      -DSPRAYDASH_BENCH=OFF >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB)
root=()
[ "$(id -u)" -eq 0 ] && root=(--allow-root)
status=0
for deb in "$build"/packages/*.deb; do
  echo "--- lintian $(basename "$deb")"
  lintian "${root[@]}" --fail-on error,warning --display-info "$deb" || status=1
done
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg -x "$build"/packages/spraydash_*.deb "$unpacked"
echo "--- desktop-file-validate"
desktop-file-validate "$unpacked"/usr/share/applications/spraydash.desktop || status=1
echo "--- appstreamcli validate --no-net"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml || status=1
ls -l "$build"/packages/*.deb "$build"/packages/*.ddeb
exit $status
