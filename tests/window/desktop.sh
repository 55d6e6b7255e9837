#!/usr/bin/env bash
# The resizable window on a desktop: the built game in a 1920 x 1080 virtual X display with a real
# window manager (openbox, which offers maximise, full screen and a work area; bare Xvfb has none).
# Checks the first window size, a resize with the picture letterboxed (also while the game is
# inactive and its frame loop frozen), full screen with Alt+Enter
# and back at the earlier size, a maximise, and a restart that restores the maximised window and,
# once un-maximised, its earlier size. A screenshot of the screen at each step goes to
# build/test-output/desktop-*.png for reviewers.
#
#   desktop.sh <spraydash> <data folder> <build folder>
#
# Exit status 77 (skipped) when Xvfb, openbox, xdotool, wmctrl, xprop or ImageMagick is missing.
set -u

game=$1 data=$2 build=$3

for tool in Xvfb openbox xdotool wmctrl xprop import convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: the desktop window test needs $tool (scripts/setup.sh installs it)"
    exit 77
  fi
done

scratch=$build/test-scratch/window-desktop
output=$build/test-output
rm -rf "$scratch"
mkdir -p "$scratch/Data/Save" "$output"
rm -f "$output"/desktop-*.png
for sub in Res Music Fonts Icon; do
  [ -e "$data/$sub" ] && ln -s "$data/$sub" "$scratch/Data/$sub"
done

xvfb_pid= wm_pid= game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill -TERM "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  if [ -s "$scratch/game.log" ]; then echo "--- the game's output:"; cat "$scratch/game.log"; fi
  exit 1
}

# Polls a condition (a shell command) every 50 ms for at most $1 seconds.
wait_for() {
  local seconds=$1
  shift
  local tries=$((seconds * 20))
  for _ in $(seq "$tries"); do
    eval "$@" && return 0
    sleep 0.05
  done
  return 1
}

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
wait_for 10 '[ -s "$scratch/display" ]' || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
export DISPLAY=:$(head -n1 "$scratch/display")

# openbox with its stock settings, no session manager; it is ready once it has claimed the screen.
HOME=$scratch openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
wm_pid=$!
wait_for 10 'xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= "' ||
  fail "openbox did not start: $(cat "$scratch/openbox.log")"
echo "work area: $(xprop -root _NET_WORKAREA | sed 's/.*= //')"

window=
start_game() {
  (cd "$scratch" && exec env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "$game") >>"$scratch/game.log" 2>&1 &
  game_pid=$!
  window=
  wait_for 10 'window=$(xdotool search --onlyvisible --name "^Spray Dash$" 2>/dev/null | head -n1); [ -n "$window" ]' ||
    fail "no window named \"Spray Dash\" within 10 s"
  xdotool windowactivate --sync "$window" 2>/dev/null || true
}

# The client area's size and position ("W H X Y") and the window manager's state words.
geometry() {
  xdotool getwindowgeometry "$window" |
    awk '/Position:/ { split($2, p, ","); x = p[1]; y = p[2] } /Geometry:/ { split($2, g, "x"); print g[1], g[2], x, y }'
}
size() { geometry | awk '{ print $1 "x" $2 }'; }
state() { xprop -id "$window" _NET_WM_STATE 2>/dev/null; }

# Whether the window shows the picture drawn at its current size: a 4:3 picture that fills the
# window's width or height (a picture left from the old size is smaller, or cut to the window's
# own shape).
picture_fits() {
  import -window "$window" "$scratch/window.png" 2>/dev/null || return 1
  local pw ph ww wh
  read -r pw ph _ _ <<<"$(picture_box)"
  read -r ww wh _ _ <<<"$(geometry)"
  [ -n "$pw" ] && [ -n "$ph" ] || return 1
  [ $((pw * 3)) -ge $((ph * 4 - 4)) ] && [ $((pw * 3)) -le $((ph * 4 + 4)) ] || return 1
  [ "$pw" -ge $((ww - 1)) ] || [ "$ph" -ge $((wh - 1)) ]
}

# Waits until the window has the given size and shows the picture drawn at it.
wait_size() {
  want=$1
  wait_for 10 '[ "$(size)" = "$want" ]' || fail "$2: the window is $(size), expected $want"
  wait_for 10 picture_fits || fail "$2: the picture was not drawn again at $want"
}

# A screenshot of the whole screen, and the picture's shape in it: inside the window the picture
# must fill W x H exactly at 4:3 with black bars (checked on the window's own capture).
shot() {
  local name=$1
  import -window root "$output/desktop-$name.png" || fail "cannot take the screenshot $name"
  import -window "$window" "$scratch/window.png" || fail "cannot capture the window at $name"
  echo "$name: $(geometry | awk '{ print $1 "x" $2 " at " $3 "," $4 }'); screenshot $output/desktop-$name.png"
}

# The picture rectangle inside the window capture: the bounding box of everything not black.
picture_box() {
  convert "$scratch/window.png" -fuzz 2% -trim -format '%w %h %X %Y' info: | tr -d '+'
}

press() { xdotool key --clearmodifiers "$1"; }
# Held for a moment: the game reads the answer keys from the keyboard state each frame.
hold() { xdotool keydown "$1" && sleep 0.15 && xdotool keyup "$1"; }

leave() {
  wmctrl -i -c "$window" || fail "cannot ask the window to close"
  # Y answers the exit question once it is up (before that, Y does nothing in the menu): answer
  # until the game has ended.
  for _ in $(seq 40); do
    hold y
    wait_for 1 '! kill -0 "$game_pid" 2>/dev/null' && break
  done
  kill -0 "$game_pid" 2>/dev/null && fail "the game did not end after the exit question's Yes"
  wait "$game_pid"
  local status=$?
  game_pid=
  [ "$status" -eq 0 ] || fail "the game ended with status $status"
}

# --- First start: 85 % of 1920 x 1080 holds 800 x 600 once (1632 x 918).
start_game
wait_size 800x600 "first start"
shot 1-first-start

# --- A resize to 1000 x 700: 4:3 in it is 933 x 700, bars of 33 on the left and 34 on the right.
xdotool windowsize "$window" 1000 700
wait_size 1000x700 "resize"
shot 2-resized
box=$(picture_box)
read -r bw bh bx by <<<"$box"
[ "$bh" -eq 700 ] && [ "$bw" -ge 931 ] && [ "$bw" -le 933 ] && [ "$bx" -ge 33 ] && [ "$bx" -le 35 ] ||
  fail "resize: the picture sits at $box in the 1000x700 window, expected about 933 700 33 0"
read -r _ _ normal_x normal_y <<<"$(geometry)"

# --- Inactive, the frame loop is frozen: a resize must still show the last frame at the new size
# (1200 x 700: 933 x 700 with bars of 133 and 134).
xmessage -name other -geometry +0+0 "another window" >/dev/null 2>&1 &
other_pid=$!
other=
wait_for 10 'other=$(xdotool search --onlyvisible --classname "^other$" 2>/dev/null | head -n1); [ -n "$other" ]' ||
  fail "the other window did not open"
xdotool windowactivate --sync "$other" 2>/dev/null
wait_for 10 '[ "$(xdotool getactivewindow)" = "$other" ]' || fail "the game window kept the focus"
xdotool windowsize "$window" 1200 700
wait_size 1200x700 "resize while inactive"
shot 2b-resized-inactive
box=$(picture_box)
read -r bw bh bx by <<<"$box"
[ "$bh" -eq 700 ] && [ "$bw" -ge 931 ] && [ "$bw" -le 933 ] && [ "$bx" -ge 133 ] && [ "$bx" -le 135 ] ||
  fail "resize while inactive: the picture sits at $box in the 1200x700 window, expected about 933 700 133 0"
kill "$other_pid" 2>/dev/null
wait "$other_pid" 2>/dev/null
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool windowsize "$window" 1000 700
wait_size 1000x700 "resize back"

# --- Full screen with Alt+Enter, and back: the earlier 1000 x 700, centred.
press alt+Return
wait_for 10 'state | grep -q _NET_WM_STATE_FULLSCREEN' || fail "Alt+Enter: no full screen ($(state))"
wait_size 1920x1080 "full screen"
shot 3-full-screen
box=$(picture_box)
[ "$box" = "1440 1080 240 0" ] || fail "full screen: the picture sits at $box, expected 1440 1080 240 0"
press alt+Return
wait_for 10 '! state | grep -q _NET_WM_STATE_FULLSCREEN' || fail "Alt+Enter: still full screen"
wait_size 1000x700 "back from full screen"
read -r _ _ cx cy <<<"$(geometry)"
echo "back in a window at $cx,$cy"
[ "$cx" -ge 440 ] && [ "$cx" -le 480 ] || fail "back from full screen: the window is at x $cx, not centred (about 460)"
read -r _ _ normal_x normal_y <<<"$(geometry)"

# --- Maximised: the work area less the frame; the picture stays 4:3, centred.
wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
wait_for 10 'state | grep -q _NET_WM_STATE_MAXIMIZED_VERT' || fail "maximise: the window manager did not maximise"
wait_for 10 '[ "$(size | cut -dx -f1)" -gt 1000 ]' || fail "maximise: the window stayed $(size)"
maximised=$(size)
wait_for 10 picture_fits || fail "maximise: the picture was not drawn again at $maximised"
shot 4-maximised
read -r bw bh _ _ <<<"$(picture_box)"
[ $((bw * 3)) -ge $((bh * 4 - 4)) ] && [ $((bw * 3)) -le $((bh * 4 + 4)) ] ||
  fail "maximised: the picture is ${bw}x${bh}, not 4:3"
leave

settings=$scratch/Data/Save/window
echo "--- Data/Save/window:"
cat "$settings" || fail "the window settings were not saved"
grep -qx 'width=1000' "$settings" && grep -qx 'height=700' "$settings" && grep -qx 'maximized=1' "$settings" ||
  fail "the saved settings do not hold the 1000 x 700 window, maximised"

# --- A restart: maximised again; un-maximised, the earlier size at the earlier place.
start_game
wait_for 10 'state | grep -q _NET_WM_STATE_MAXIMIZED_VERT' || fail "restart: the window is not maximised ($(state))"
wait_size "$maximised" "restart, maximised"
shot 5-restarted-maximised
wmctrl -i -r "$window" -b remove,maximized_vert,maximized_horz
wait_size 1000x700 "restart, un-maximised"
shot 6-restarted-window
read -r _ _ x y <<<"$(geometry)"
[ "$x" -eq "$normal_x" ] && [ "$y" -eq "$normal_y" ] ||
  fail "restart: the window came back at $x,$y, it was left at $normal_x,$normal_y"
leave

echo "PASSED: first size, resize, full screen and back, maximise and a restart that restores them; screenshots in $output/desktop-*.png"
