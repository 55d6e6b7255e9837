#!/usr/bin/env bash
# Installs the built game into a scratch folder (DESTDIR) and checks the layout, then starts the
# installed program headless twice: from an empty folder, and from its data folder as the desktop
# entry does. Each run must find the data, end with status 0 on SIGTERM and write its saves into
# the user's folder ($XDG_DATA_HOME/spraydash or ~/.local/share/spraydash), never into the install.
#
#   install.sh <cmake> <build folder> <prefix> <bin dir> <data dir of the game> <share dir>
set -u

cmake=$1 build=$2 prefix=$3 bindir=$4 gamedata=$5 sharedir=$6

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
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$entry" || fail "the desktop entry does not validate"
fi
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

echo "PASSED: installed under $root; the program found its data and saved into the user's folder"
