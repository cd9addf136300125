#!/usr/bin/env bash
# The runtime's switches: /c (and /C, -c) shows the configure message and ends when it
# is dismissed; "/p <window>" puts the fading-text preview inside the host window, which
# it fills, and ends when the host goes away.
# usage: runtime-modes.sh VUVIVEVID PREVIEW-HOST
set -euo pipefail
. "$(dirname "$0")/runtime-lib.sh"
e2e_under_xvfb
RUNTIME="$1"
HOST="$2"
e2e_setup

for sw in /c:1234 /C -c; do
  start_saver "$RUNTIME" "$sw"
  win=$(timeout 10 xdotool search --sync --onlyvisible --name '^Información$' | head -1) ||
    fail "no configure message for $sw"
  [ -n "$win" ] || fail "no configure message for $sw"
  sleep 0.3
  running || fail "$sw ended before the message was dismissed"
  xdotool windowfocus --sync "$win"
  xdotool key Return
  ends_within 3 || fail "$sw did not end after its message"
done
pass "configure message for /c:1234, /C and -c"

"$HOST" >"$WORK/host.out" 2>/dev/null &
HOST_PID=$!
PIDS+=("$HOST_PID")
for _ in $(seq 50); do [ -s "$WORK/host.out" ] && break; sleep 0.1; done
id=$(head -1 "$WORK/host.out")
[ -n "$id" ] || fail "the preview host did not start"
sleep 0.5
c=$(pixel 260 220)
near "$c" "51,102,153" || fail "the host window is not there (got $c)"

start_saver "$RUNTIME" /p "$id"
sleep 1.5
running || fail "the preview ended by itself: $(cat "$WORK/saver.err")"
# The preview fills the host from its corner: white where the host was blue.
for pt in "101 101" "260 220" "418 338"; do
  c=$(pixel $pt)
  near "$c" "255,255,255" 40 || fail "the preview does not fill the host at $pt (got $c)"
done
c=$(pixel 430 350)
near "$c" "51,102,153" 40 && fail "the preview spills out of the host"
# Its text is drawn: some dark pixels in the fading-text line.
dark=$(convert "$WORK/shot.png" -crop 145x34+100+124 -threshold 60% -negate -format "%[fx:int(mean*w*h)]" info:)
[ "$dark" -gt 0 ] || fail "no text in the preview"
pass "the preview fills its host and shows text"

kill "$HOST_PID"
ends_within 3 || fail "the preview did not end when its host went away"
pass "the preview ends with its host"
