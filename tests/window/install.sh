#!/usr/bin/env bash
# Installs the built game into a scratch folder (DESTDIR) and checks the layout, then starts the
# installed program headless twice: from an empty folder, and from its data folder. Each run must
# find the data, end with status 0 on SIGTERM and write its saves into the user's folder
# ($XDG_DATA_HOME/spraydash or ~/.local/share/spraydash), never into the install.
# Then the Debian package of the same build: cpack makes it, lintian and the desktop-entry and
# AppStream validators check it, dpkg -x unpacks it into a throwaway root, and the game installed
# there runs with an empty home and must write nothing but its saves (and caches).
#
#   install.sh <cmake> <build folder> <prefix> <bin dir> <data dir of the game> <share dir> <cpack> <app id>
set -u

cmake=$1 build=$2 prefix=$3 bindir=$4 gamedata=$5 sharedir=$6 cpack=$7 appid=$8

for tool in desktop-file-validate appstreamcli lintian dpkg-deb dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAILED: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done

stage=$build/test-scratch/install
rm -rf "$stage"
mkdir -p "$stage"
fail() { echo "FAILED: $*"; exit 1; }

DESTDIR=$stage "$cmake" --install "$build" >"$stage/install.log" 2>&1 || { cat "$stage/install.log"; fail "cmake --install"; }
root=$stage$prefix
program=$root/$bindir/spraydash
data=$root/$gamedata

[ -x "$program" ] || fail "no program at $program"
for f in Data/Res/Res1.dxg Data/Res/Res3.dxg Data/Res/Sounds.dxw Data/Music/Menu.xm Data/Music/Race.xm \
         Data/Fonts/fonts.conf; do
  [ -s "$data/$f" ] || fail "$f missing in $data"
done
[ ! -e "$data/Data/Save" ] || fail "the install carries a Save folder"
find "$data" -name '*.stamp' | grep -q . && fail "build stamps were installed"

entry=$root/$sharedir/applications/spraydash.desktop
[ -f "$entry" ] || fail "no desktop entry at $entry"
grep -qx 'Exec=spraydash' "$entry" || fail "the desktop entry does not start spraydash from the PATH"
grep -qx 'Icon=spraydash' "$entry" || fail "the desktop entry does not name the themed icon"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
icons=$(find "$root/$sharedir/icons/hicolor" -path '*/apps/spraydash.png' 2>/dev/null | wc -l)
[ "$icons" -gt 0 ] || fail "no icon in the hicolor theme"

# True once process $1 catches SIGTERM: the display layer turns it into a quit from then on.
catches_term() {
  local mask
  mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (( (16#$mask >> 14) & 1 ))
}

# One headless run of the installed program: folder to start in, then environment settings. It is
# asked to stop (SIGTERM) once it is ready for it, not after a fixed time, so a busy machine that
# starts it slowly does not kill it half way; the limits are only there to end a hung run.
run() {
  local where=$1 limit=120
  shift
  (cd "$where" && exec env -u XDG_DATA_HOME "$@" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
      "$program") >"$stage/run.log" 2>&1 &
  local pid=$! deadline=$((SECONDS + limit))
  until catches_term "$pid"; do
    kill -0 "$pid" 2>/dev/null || break
    [ "$SECONDS" -lt "$deadline" ] || { kill -KILL "$pid"; cat "$stage/run.log"; fail "the installed program (started in $where) was not ready within $limit s"; }
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null
  wait "$pid"
  local status=$?
  [ "$status" -eq 0 ] || { cat "$stage/run.log"; fail "the installed program (started in $where) ended with status $status"; }
}

check_user_folder() {
  local folder=$1
  for f in hs options; do [ -s "$folder/Data/Save/$f" ] || fail "no Data/Save/$f in $folder"; done
  [ -L "$folder/Data/Res" ] || fail "$folder/Data/Res is not a link to the installed data"
}

mkdir -p "$stage/home" "$stage/empty"
run "$stage/empty" HOME="$stage/home"
check_user_folder "$stage/home/.local/share/spraydash"
[ -z "$(ls -A "$stage/empty")" ] || fail "the run wrote into the folder it was started in"

run "$data" HOME="$stage/home" XDG_DATA_HOME="$stage/xdg"
check_user_folder "$stage/xdg/spraydash"
[ ! -e "$data/Data/Save" ] || fail "the run wrote saves into the installed data"

echo "install: the program found its data and saved into the user's folder"

# --- The Debian package ---
packages=$stage/packages
(cd "$build" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$packages") >"$stage/cpack.log" 2>&1 ||
  { cat "$stage/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$packages"/spraydash_*_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || { cat "$stage/cpack.log"; fail "no spraydash_<version>_<arch>.deb in $packages"; }
echo "package: $(basename "$deb")"
ls "$packages"/*.deb "$packages"/*.ddeb 2>/dev/null | sed 's|.*/|  made |'
ls "$packages"/spraydash-dbgsym_*.ddeb >/dev/null 2>&1 || fail "no debug-symbol package beside the game's"

lintian_root=()
[ "$(id -u)" -eq 0 ] && lintian_root=(--allow-root)
echo "--- lintian"
lintian "${lintian_root[@]}" --fail-on error,warning --display-info "$deb"
lintian_status=$?
[ "$lintian_status" -eq 0 ] || fail "lintian found errors or warnings in $(basename "$deb")"

# The score service's package, made from the same build once its install component exists.
scores=$(ls "$packages"/spraydash-scores_*_*.deb 2>/dev/null | head -n1)
if [ -n "$scores" ]; then
  echo "--- lintian $(basename "$scores")"
  lintian "${lintian_root[@]}" --fail-on error,warning --display-info "$scores" ||
    fail "lintian found errors or warnings in $(basename "$scores")"
  contents=$(dpkg-deb -c "$scores")
  grep -q '/usr/bin/spraydash-scores$' <<<"$contents" || fail "no /usr/bin/spraydash-scores in $(basename "$scores")"
  grep -q 'lib/systemd/system/.*\.service$' <<<"$contents" || fail "no systemd unit in $(basename "$scores")"
  grep -q '/usr/share/man/man1/spraydash-scores\.1' <<<"$contents" || fail "no spraydash-scores(1) in $(basename "$scores")"
else
  echo "score service: no package (this build has no install component \"scores\")"
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libsdl2 libxmp fonts-liberation fonts-dseg xdg-utils; do
  case $depends in *"$d"*) ;; *) fail "the package does not depend on $d" ;; esac
done

pkgroot=$stage/deb-root
dpkg -x "$deb" "$pkgroot" || fail "dpkg -x"
game=$pkgroot/usr/games/spraydash
pdata=$pkgroot/usr/share/games/spraydash
[ -x "$game" ] || fail "no program at /usr/games/spraydash"
case $(file -b "$game") in *", stripped"*) ;; *) fail "/usr/games/spraydash is not stripped: $(file -b "$game")" ;; esac
for f in Data/Res/Res1.dxg Data/Res/Res3.dxg Data/Res/Sounds.dxw Data/Music/Menu.xm Data/Fonts/fonts.conf; do
  [ -s "$pdata/$f" ] || fail "$f missing in /usr/share/games/spraydash"
done
for f in usr/share/applications/spraydash.desktop usr/share/metainfo/$appid.metainfo.xml \
         usr/share/man/man6/spraydash.6.gz usr/share/doc/spraydash/copyright usr/share/doc/spraydash/changelog.gz \
         usr/share/icons/hicolor/48x48/apps/spraydash.png usr/share/icons/hicolor/256x256/apps/spraydash.png \
         usr/share/icons/hicolor/scalable/apps/spraydash.svg; do
  [ -s "$pkgroot/$f" ] || fail "/$f missing in the package"
done
echo "--- desktop-file-validate"
desktop-file-validate "$pkgroot/usr/share/applications/spraydash.desktop" || fail "the packaged desktop entry does not validate"
echo "--- appstreamcli validate --no-net"
appstreamcli validate --no-net "$pkgroot/usr/share/metainfo/$appid.metainfo.xml" ||
  fail "the AppStream metainfo does not validate"

# The packaged game, headless, with an empty home: only the saves (and caches) may appear.
phome=$stage/deb-home ptmp=$stage/deb-tmp pwhere=$stage/deb-cwd
mkdir -p "$phome" "$ptmp" "$pwhere"
marker=$stage/deb-marker
touch "$marker"
program=$game
run "$pwhere" -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$phome" TMPDIR="$ptmp"
saves=$phome/.local/share/spraydash
check_user_folder "$saves"
[ "$(readlink "$saves/Data/Res")" = "$pdata/Data/Res" ] || fail "the saves folder does not link the packaged data"
stray=$( (find "$phome" -mindepth 1 -newer "$marker" -not -path "$saves" -not -path "$saves/*" \
           -not -path "$phome/.local" -not -path "$phome/.local/share" \
           -not -path "$phome/.cache" -not -path "$phome/.cache/*"
          find "$pkgroot" "$pwhere" "$ptmp" -mindepth 1 -newer "$marker") 2>/dev/null)
[ -z "$stray" ] || fail "the packaged game wrote outside its saves folder: $stray"

echo "PASSED: installed under $root and packaged as $(basename "$deb"); both found their data and saved into the user's folder only"
