# Shared pieces of the runtime's end-to-end scripts. Source it; the caller sets BUILD
# (nuvira-build) before use. Every script runs on a private Xvfb with a 1280x1024 screen.

e2e_under_xvfb() {
  # usage: e2e_under_xvfb  - starts a private Xvfb and points DISPLAY at it.
  # The server picks a free display number itself (-displayfd), so runs in parallel
  # (ctest -j) never race for the same number as "xvfb-run -a" can. -noreset: by
  # default the server resets each time its last client leaves, and a program that
  # connects during that reset is refused ("could not connect to display").
  XVFB_DIR="$(mktemp -d)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$XVFB_DIR/display" 2>"$XVFB_DIR/log" &
  XVFB_PID=$!
  trap 'e2e_cleanup' EXIT
  for _ in $(seq 100); do
    [ -s "$XVFB_DIR/display" ] && break
    sleep 0.1
  done
  [ -s "$XVFB_DIR/display" ] || { cat "$XVFB_DIR/log" >&2; echo "FAIL: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -1 "$XVFB_DIR/display")"
  # Wait until the server really takes connections (a loaded machine can be slow).
  for _ in $(seq 100); do
    xvfb_reachable && break
    sleep 0.1
  done
  xvfb_reachable || { cat "$XVFB_DIR/log" >&2; echo "FAIL: cannot reach Xvfb on $DISPLAY" >&2; exit 1; }
  # The runtime must talk to the X server, whatever the test runner chose.
  unset QT_QPA_PLATFORM
  export SDL_AUDIODRIVER=dummy
}

xvfb_reachable() { xdotool getmouselocation >/dev/null 2>&1; }

e2e_setup() {
  WORK="$(mktemp -d)"
  trap 'e2e_cleanup' EXIT
  # A private runtime folder: the extracted media land in $WORK/run/nuvira/.
  export XDG_RUNTIME_DIR="$WORK/run"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  EXTRACTED="$XDG_RUNTIME_DIR/nuvira"
  PIDS=()
}

e2e_cleanup() {
  for p in ${PIDS[@]+"${PIDS[@]}"}; do
    [ -n "$p" ] && kill "$p" 2>/dev/null || true
  done
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    rm -rf "$XVFB_DIR"
  fi
  if [ -n "${WORK:-}" ]; then
    if [ -n "${KEEP_E2E:-}" ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
  fi
}

fail() {
  echo "FAIL: $*" >&2
  # The state of the private X server, which most failures depend on.
  if [ -n "${XVFB_PID:-}" ]; then
    if kill -0 "$XVFB_PID" 2>/dev/null; then
      local reach=no
      xvfb_reachable && reach=yes
      echo "Xvfb on $DISPLAY: running, reachable: $reach" >&2
    else
      echo "Xvfb on $DISPLAY: no longer running" >&2
    fi
    sed 's/^/  Xvfb: /' "$XVFB_DIR/log" >&2
  fi
  exit 1
}
pass() { echo "ok: $*"; }

# start_saver FILE [ARGS...]: starts it in the background, sets SAVER_PID.
start_saver() {
  "$@" >"$WORK/saver.out" 2>"$WORK/saver.err" &
  SAVER_PID=$!
  PIDS+=("$SAVER_PID")
}

running() { kill -0 "$SAVER_PID" 2>/dev/null; }

# ends_within SECONDS: true when the saver process has ended within that time.
ends_within() {
  local tenths=$(( $1 * 10 ))
  for _ in $(seq "$tenths"); do
    running || { wait "$SAVER_PID" 2>/dev/null || true; return 0; }
    sleep 0.1
  done
  return 1
}

# pixel X Y: the screen's colour at a point, as "R,G,B".
pixel() {
  import -window root "$WORK/shot.png"
  convert "$WORK/shot.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# shows_within SECONDS X Y "R,G,B": polls the screen until the point has that colour
# (a loaded machine may paint late). Sets SEEN to the last colour read.
shows_within() {
  local end=$(( $(date +%s%N) + $1 * 1000000000 ))
  while :; do
    SEEN=$(pixel "$2" "$3")
    near "$SEEN" "$4" && return 0
    [ "$(date +%s%N)" -lt "$end" ] || return 1
    sleep 0.2
  done
}

# near "R,G,B" "R,G,B" [tolerance]: the two colours differ by at most tolerance per channel.
near() {
  local tol="${3:-24}"
  IFS=, read -r r1 g1 b1 <<<"$1"
  IFS=, read -r r2 g2 b2 <<<"$2"
  for d in $((r1 - r2)) $((g1 - g2)) $((b1 - b2)); do
    [ "${d#-}" -le "$tol" ] || return 1
  done
}

# inspect_sizes PACKAGE: the piece sizes of its trailer, one per line.
inspect_sizes() {
  "$BUILD" --inspect "$1" 2>/dev/null | sed -n 's/^sizes: //p' | tr ' ' '\n' | sed '/^$/d'
}

file_size() { stat -c %s "$1"; }

# swf FILE FRAMES RATE R G B: an uncompressed Flash movie header (550x400 stage, RATE
# whole frames per second) with a background colour and an end tag.
swf() {
  local path="$1" frames="$2" rate="$3" r="$4" g="$5" b="$6"
  local bits="10000" v i
  for v in 0 11000 0 8000; do
    for ((i = 15; i >= 0; i--)); do bits+=$(( (v >> i) & 1 )); done
  done
  while (( ${#bits} % 8 )); do bits+=0; done
  local hex=""
  for ((i = 0; i < ${#bits}; i += 8)); do hex+=$(printf '%02x' "$((2#${bits:i:8}))"); done
  le16() { printf '%02x%02x' $(( $1 & 255 )) $(( ($1 >> 8) & 255 )); }
  hex+=$(le16 $((rate * 256)))$(le16 "$frames")$(le16 $(( (9 << 6) | 3 )))
  hex+=$(printf '%02x%02x%02x' "$r" "$g" "$b")0000
  local len=$(( 8 + ${#hex} / 2 ))
  hex="4657530a"$(le16 $((len & 65535)))$(le16 $((len >> 16)))$hex  # "FWS", version 10
  local out="" j
  for ((j = 0; j < ${#hex}; j += 2)); do out+="\\x${hex:j:2}"; done
  printf "$out" >"$path"
}
