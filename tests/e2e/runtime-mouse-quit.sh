#!/usr/bin/env bash
# A quit-rule-1 package ignores the first three pointer moves, then closes on the first
# move more than 20 pixels right of (or below) where the pointer was while loading;
# moves to the left or up, a click and a key do not close it.
# usage: runtime-mouse-quit.sh NUVIRA-BUILD
set -euo pipefail
. "$(dirname "$0")/runtime-lib.sh"
e2e_under_xvfb
BUILD="$1"
e2e_setup

convert -size 640x480 xc:'#c0c000' "$WORK/a.jpg"
# Interval 150: the screen stays black for the whole run, no transition competes with
# the input.
"$BUILD" --quit 1 --delay 150 --screen 1280x1024 -o "$WORK/raton" "$WORK/a.jpg" >/dev/null

# Where the pointer is while the package loads (Xvfb moves it only once a window exists).
eval "$(xdotool getmouselocation --shell)"
X0=$X; Y0=$Y
start_saver "$WORK/raton.scr"
timeout 20 xdotool search --sync --onlyvisible --name '^NUVIRA $' >/dev/null || fail "no window"
sleep 0.5
running || fail "the saver ended by itself: $(cat "$WORK/saver.err")"

step() { xdotool mousemove "$1" "$2"; sleep 0.4; }
step 1270 1010   # moves 1 to 3: far right and below, ignored
step 1200 1000
step $((X0 + 200)) $((Y0 + 200))
running || fail "one of the first three moves closed the saver"
xdotool click 1; sleep 0.3
xdotool key a; sleep 0.3
running || fail "a click or a key closed a quit-rule-1 saver"
step $((X0 - 300)) $((Y0 - 300))   # move 4: left and up
step $((X0 + 20)) $((Y0 + 20))     # move 5: exactly 20 right and 20 below
running || fail "a move left/up or of only 20 pixels closed the saver"
pass "the first three moves, left/up moves, a click and a key leave it running"
xdotool mousemove $((X0 + 21)) $((Y0 - 5))
ends_within 3 || fail "a move 21 pixels right did not close the saver"
pass "21 pixels right closes it"
