#!/usr/bin/env bash
# A Flash package: the movie covers the screen with its stage colour, movies follow in
# package order (a 15-frame movie gives way at the first tick), and a key ends it.
# usage: runtime-flash.sh NUVIRA-BUILD
set -euo pipefail
. "$(dirname "$0")/runtime-lib.sh"
e2e_under_xvfb
BUILD="$1"
e2e_setup

swf "$WORK/corta.swf" 15 12 200 40 160
swf "$WORK/larga.swf" 3000 12 30 170 90
"$BUILD" --flash --quit 3 -o "$WORK/peli" "$WORK/corta.swf" "$WORK/larga.swf" >/dev/null

start_saver "$WORK/peli.scr"
# As soon as the window is there: the first tick (1 s after start-up) has not come yet.
timeout 10 xdotool search --sync --onlyvisible --name '^NUVIRA $' >/dev/null || fail "no window"
running || fail "the saver ended by itself: $(cat "$WORK/saver.err")"
c=$(pixel 640 512)
near "$c" "200,40,160" || fail "movie 0 is not on the screen (centre is $c)"
pass "movie 0 covers the screen"
shows_within 4 1270 1010 "30,170,90" || fail "movie 1 did not follow the short movie 0 (corner is $SEEN)"
pass "the short movie gave way to the next"

mapfile -t sizes < <(inspect_sizes "$WORK/peli.scr")
for i in 0 1; do
  f="$EXTRACTED/fscreen$i.swf"
  [ -f "$f" ] || fail "missing $f"
  [ "$(file_size "$f")" -eq "${sizes[$i]}" ] || fail "fscreen$i.swf has the wrong size"
done
pass "extracted movies"
xdotool key Shift_L
ends_within 3 || fail "Shift alone did not end a quit-rule-3 saver"
pass "Shift alone ends it"
