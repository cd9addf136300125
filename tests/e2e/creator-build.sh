#!/usr/bin/env bash
# The creator builds a picture screensaver through its real window (creator-drive), the
# package holds what the pages chose, and the built file plays full screen and closes on
# a click, its closing rule.
# The program nuvira itself opens its window centred, with its caption, and writes the
# project file of the start-up state.
# usage: creator-build.sh CREATOR-DRIVE NUVIRA-BUILD NUVIRA [SHOTS-FOLDER]
set -euo pipefail
. "$(dirname "$0")/runtime-lib.sh"
e2e_under_xvfb "$0" "$@"
DRIVE="$1"
BUILD="$2"
CREATOR="$3"
e2e_setup
SHOTS="${4:-$WORK/shots}"
export XDG_CONFIG_HOME="$WORK/config"

start_saver "$CREATOR"
CREATOR_PID=$SAVER_PID
win=""
for _ in $(seq 200); do
  win=$(xdotool search --name '^NUVIRA  \[ 1\.0\. Version \]$' 2>/dev/null | head -1) && [ -n "$win" ] && break
  running || break
  sleep 0.1
done
[ -n "$win" ] || fail "the creator's window did not appear: $(cat "$WORK/saver.err")"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" = 448 ] && [ "$HEIGHT" = 338 ] || fail "the window is ${WIDTH}x${HEIGHT}"
[ "$X" = $(( (1280 - 448) / 2 )) ] && [ "$Y" = $(( (1024 - 338) / 2 )) ] || fail "the window is not centred: $X,$Y"
grep -qx 'type=pic' "$XDG_CONFIG_HOME/nuvira/temp.smp" || fail "no project file at start-up"
grep -qx 'quitMode=-1' "$XDG_CONFIG_HOME/nuvira/temp.smp" || fail "the project file is not the start-up state"
kill "$CREATOR_PID"
wait "$CREATOR_PID" 2>/dev/null || true
pass "nuvira opens its 448x338 window centred and writes temp.smp"

mkdir -p "$WORK/media" "$WORK/out"
convert -size 1600x1200 xc:'#d02020' "$WORK/media/rojo.jpg"
convert -size 900x700 xc:'#20c020' "$WORK/media/verde.bmp"
convert -size 800x600 xc:'#2020d0' "$WORK/media/azul.jpg"
sox -n -r 22050 -c 1 "$WORK/media/tono.wav" synth 0.6 sine 440

"$DRIVE" "$WORK/media" "$WORK/out" "$SHOTS" >"$WORK/drive.out" 2>"$WORK/drive.err" ||
  fail "the creator did not build: $(cat "$WORK/drive.out" "$WORK/drive.err")"
grep -q "^progress: Imagen [1-3] de 3$" "$WORK/drive.out" || fail "no build progress was shown: $(cat "$WORK/drive.out")"
grep -qx 'message: Informacion | Proceso hecho ' "$WORK/drive.out" || fail "no \"Proceso hecho \": $(cat "$WORK/drive.out")"
SAVER="$WORK/out/Playa.scr"
grep -qx "built: $SAVER" "$WORK/drive.out" || fail "built elsewhere: $(cat "$WORK/drive.out")"
[ -x "$SAVER" ] || fail "$SAVER is missing or not executable"
for page in page0-tipo page1-archivos page2-sonidos page3-opciones page4-efectos page5-crear; do
  [ -s "$SHOTS/$page.png" ] || fail "no picture of $page"
done
pass "the creator built $SAVER through its window"

info="$("$BUILD" --inspect "$SAVER")" || fail "nuvira-build cannot read the package"
expect() { grep -qx "$1" <<<"$info" || fail "inspect lacks \"$1\": $info"; }
expect "saver type: 14 (pictures)"
expect "file count: 3"
expect "quit mode: 2"
expect "music count: 1"
expect "music kinds: 2"
expect "interval: 5"
expect "effects: 1 8"
pass "the package holds three pictures, one tune, quit rule 2, interval 5, effects 1 and 8"


start_saver "$SAVER"
sleep 2.5
running || fail "the saver ended by itself: $(cat "$WORK/saver.err")"
c=$(pixel 640 512)
near "$c" "208,32,32" || fail "the first picture is not on the screen (centre is $c)"
pass "the built saver shows the first picture"
xdotool mousemove 600 500 click 1
ends_within 3 || fail "a click did not end the saver"
pass "a click ends it"
