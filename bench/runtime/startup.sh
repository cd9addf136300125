#!/usr/bin/env bash
# Start-up of a real package as a user sees it: from starting the process to its window on
# the screen, and to the first picture fully shown (the first timer tick comes one second
# after start-up, then a transition of about a second). A 1-picture package against a
# 40-picture one shows what extracting the pictures costs.
# usage: bench/runtime/startup.sh BUILD-DIR   (the build's cli/nuvira-build is used)
set -euo pipefail
BUILD="$1/cli/nuvira-build"
if [ -z "${NUVIRA_STARTUP_XVFB:-}" ]; then
  export NUVIRA_STARTUP_XVFB=1
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash "$0" "$@"
fi
unset QT_QPA_PLATFORM
export SDL_AUDIODRIVER=dummy
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"

convert -size 1920x1080 gradient:'#203080'-'#f0a060' -attenuate 0.4 +noise Gaussian "$WORK/p.jpg"
pics=()
for i in $(seq 40); do cp "$WORK/p.jpg" "$WORK/p$i.jpg"; pics+=("$WORK/p$i.jpg"); done
"$BUILD" --quit 5 --delay 5 --effects 1 --screen 1920x1080 -o "$WORK/one" "${pics[0]}" >/dev/null
"$BUILD" --quit 5 --delay 5 --effects 1 --screen 1920x1080 -o "$WORK/forty" "${pics[@]}" >/dev/null

now() { date +%s%N; }
centre() {
  import -window root -crop 1x1+960+540 txt:- 2>/dev/null | tail -1 | grep -o '#[0-9A-F]\{6\}' | head -1
}
measure() {
  local pkg="$1" t0 tw tp
  t0=$(now)
  "$pkg" 2>/dev/null &
  local pid=$!
  until xdotool search --onlyvisible --name '^NUVIRA $' >/dev/null 2>&1; do sleep 0.01; done
  tw=$(now)
  while [ "$(centre)" = "#000000" ] || [ -z "$(centre)" ]; do sleep 0.02; done
  tp=$(now)
  kill "$pid"; wait "$pid" 2>/dev/null || true
  echo "$(( (tw - t0) / 1000000 )) $(( (tp - t0) / 1000000 ))"
}
for name in one forty; do
  ws=(); ps=()
  for run in 1 2 3 4 5; do
    read -r w p < <(measure "$WORK/$name.scr")
    ws+=("$w"); ps+=("$p")
  done
  printf '%-6s package %5d KB  window shown: %s ms   first picture pixel: %s ms\n' \
    "$name" "$(( $(stat -c %s "$WORK/$name.scr") / 1024 ))" "${ws[*]}" "${ps[*]}"
done
