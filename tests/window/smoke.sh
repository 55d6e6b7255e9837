#!/usr/bin/env bash
# Real-window smoke test: starts the built game in a virtual X display, walks the menu tour with
# xdotool, checks each screen against the headless game's picture of it, leaves through the exit
# question and checks the exit status and the save files.
#
#   smoke.sh <spraydash> <window_probe> <window_close or ""> <tour file> <data folder> <build folder>
#
# Exit status 77 (skipped) when Xvfb, xdotool or ImageMagick's import is missing.
set -u

game=$1 probe=$2 closer=$3 tour=$4 data=$5 build=$6

for tool in Xvfb xdotool import; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: the real-window smoke test needs $tool (scripts/setup.sh installs it)"
    exit 77
  fi
done

scratch=$build/test-scratch/window-smoke
output=$build/test-output
rm -rf "$scratch"
mkdir -p "$scratch/Data/Save" "$scratch/reference" "$output"
for sub in Res Music Fonts Icon; do
  [ -e "$data/$sub" ] && ln -s "$data/$sub" "$scratch/Data/$sub"
done

xvfb_pid= game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  if [ -s "$scratch/game.log" ]; then echo "--- the game's output:"; cat "$scratch/game.log"; fi
  exit 1
}

# Every wait is on a condition, polled, with a limit far above what an idle machine needs: on a
# machine busy with builds the game may take many times longer to start or to draw a screen.
limit=60

# Runs the command until it succeeds or limit seconds have passed; false on time-out.
wait_until() {
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# Every "shot" of the tour as the headless game draws it.
SDL_AUDIODRIVER=dummy "$probe" reference "$tour" "$scratch/reference" || fail "cannot make the reference pictures"

# A private virtual display: Xvfb picks a free number and tells it through file descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
wait_until test -s "$scratch/display" || fail "Xvfb did not start within $limit s: $(cat "$scratch/xvfb.log")"
export DISPLAY=:$(head -n1 "$scratch/display")

# The real program in its folder, with a real window (no dummy video driver), sound muted.
(cd "$scratch" && exec env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "$game") >"$scratch/game.log" 2>&1 &
game_pid=$!

window=
window_open() {
  window=$(xdotool search --name '^Spray Dash$' 2>/dev/null | head -n1)
  [ -n "$window" ] && return 0
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended before its window opened"
  return 1
}
wait_until window_open || fail "no window named \"Spray Dash\" within $limit s"
xdotool windowfocus --sync "$window" 2>/dev/null || true
echo "window $window: $(xdotool getwindowgeometry "$window" | tr '\n' ' ')"
if command -v xprop >/dev/null 2>&1; then
  case $(xprop -id "$window" _NET_WM_ICON 2>/dev/null) in
    *"= "*) echo "window icon: set" ;;
    *) echo "window icon: not set" ;;
  esac
fi

# Captures the window until it shows the reference picture (bounded) and keeps the last capture.
shot() {
  local name=$1 capture=$scratch/capture.png report="no capture" ok= deadline=$((SECONDS + limit))
  while :; do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before showing $name"
    if import -window "$window" "$capture" 2>/dev/null; then
      if report=$("$probe" compare "$capture" "$scratch/reference/$name.png"); then ok=yes; break; fi
    fi
    [ "$SECONDS" -lt "$deadline" ] || break
    sleep 0.2
  done
  cp "$capture" "$output/window-$name.png" 2>/dev/null
  echo "$name: $report"
  [ -n "$ok" ] || fail "$name: the window does not show the expected screen (see $output/window-$name.png)"
}

# The game reads some keys from the keyboard state once a frame, so a key must stay down until a
# frame has seen it. It is held for at least a moment and released only when the next tour step
# begins: when that step is a shot, the key stays down until the screen shows its effect, however
# slowly the game draws.
held=
press() {
  xdotool keydown --window "$window" "$1" || fail "cannot press $1"
  held=$1
  sleep 0.15
}
release() {
  [ -n "$held" ] || return 0
  xdotool keyup --window "$window" "$held"
  held=
}

close_request() {
  [ -n "$closer" ] || fail "window_close was not built (libx11 missing), the close button cannot be pressed"
  "$closer" "$window" || fail "cannot send the close request"
}

exited=
while read -r step a b _; do
  case $step in
    '' | '#'*) continue ;;
  esac
  [ "$step" = shot ] || release
  case $step in
    move) xdotool mousemove --window "$window" "$a" "$b" ;;
    click) xdotool click 1 ;;
    key) press "$a" ;;
    close) close_request ;;
    shot) shot "$a"; release ;;
    exit) exited=yes ;;
    *) fail "unknown tour step $step" ;;
  esac
  sleep 0.1
done < <(sed 's/#.*//' "$tour")
[ -n "$exited" ] || fail "the tour does not end with exit"

release
game_ended() { ! kill -0 "$game_pid" 2>/dev/null; }
wait_until game_ended || fail "the game did not end within $limit s of the exit question's Yes"
wait "$game_pid"
status=$?
game_pid=
[ "$status" -eq 0 ] || fail "the game ended with status $status"

# The saves: the high-score table (40 lines) and the options (5 lines), CR LF line ends.
check_save() {
  local file=$scratch/Data/Save/$1 lines=$2
  [ -f "$file" ] || fail "Data/Save/$1 was not written"
  local total crlf
  total=$(tr -cd '\n' <"$file" | wc -c)
  crlf=$(grep -c $'\r$' "$file")
  [ "$total" -eq "$lines" ] && [ "$crlf" -eq "$lines" ] ||
    fail "Data/Save/$1 has $total lines ($crlf with CR LF), expected $lines"
}
check_save hs 40
check_save options 5

echo "PASSED: menu tour in the real window, exit status 0, saves written; pictures in $output/window-*.png"
