#!/usr/bin/env bash
# A picture package built by nuvira-build plays full screen: the first picture is on the
# screen after about 2.5 s, the media are extracted to the private folder with the sizes
# of the package, and a key press ends a quit-rule-3 saver within a second.
# usage: runtime-pictures.sh NUVIRA-BUILD
set -euo pipefail
. "$(dirname "$0")/runtime-lib.sh"
e2e_under_xvfb
BUILD="$1"
e2e_setup

convert -size 1280x1024 xc:'#d02020' "$WORK/rojo.jpg"
convert -size 1000x800 xc:'#20c020' "$WORK/verde.bmp"
convert -size 640x480 xc:'#2020d0' "$WORK/azul.gif"
sox -n -r 22050 -c 1 "$WORK/tono.wav" synth 0.6 sine 440
"$BUILD" --music "$WORK/tono.wav" --quit 3 --delay 5 --screen 1280x1024 \
  -o "$WORK/fotos" "$WORK/rojo.jpg" "$WORK/verde.bmp" "$WORK/azul.gif" >/dev/null

start_saver "$WORK/fotos.scr"
sleep 2.5
running || fail "the saver ended by itself: $(cat "$WORK/saver.err")"
# The next picture comes only 4 to 5 s after the first transition, so a late paint on a
# busy machine may be waited for a little longer.
shows_within 2 640 512 "208,32,32" || fail "the first picture is not on the screen (centre is $SEEN)"
shows_within 1 3 3 "208,32,32" || fail "the picture does not cover the screen (corner is $SEEN)"
pass "first picture full screen after 2.5 s"

mapfile -t sizes < <(inspect_sizes "$WORK/fotos.scr")
[ "${#sizes[@]}" -eq 4 ] || fail "expected 4 pieces, got ${#sizes[@]}"
names=(fpics0.jpg fpics1.jpg fpics2.jpg fscreen0.wav)
for i in 0 1 2 3; do
  f="$EXTRACTED/${names[$i]}"
  [ -f "$f" ] || fail "missing $f"
  [ "$(file_size "$f")" -eq "${sizes[$i]}" ] || fail "${names[$i]} is $(file_size "$f") bytes, the package says ${sizes[$i]}"
done
[ "$(stat -c %a "$EXTRACTED")" = 700 ] || fail "the private folder is not private"
pass "extracted files and sizes"

# The music plays in a loop behind the pictures; the saver must still be running after
# the 0.6 s track has ended a few times.
sleep 2
running || fail "the saver ended while the music looped"

t0=$(date +%s%N)
xdotool key a
ends_within 1 || fail "a key did not end the saver within a second"
pass "a key ends it, after $(( ($(date +%s%N) - t0) / 1000000 )) ms"
ls "$EXTRACTED/fpics0.jpg" >/dev/null || fail "extracted media were removed at the end"
