#!/usr/bin/env bash
# Peak memory of nuvira-build for a package of 40 pictures against one of 1 picture
# (4000x3000 JPEGs prepared for 1920x1080). Prints both and their ratio.
# Usage: bench/builder/memory.sh [build-dir]
set -euo pipefail
build="${1:-build}"
tool="$build/cli/nuvira-build"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
convert -size 4000x3000 plasma:fractal -quality 90 "$work/src.jpg"
pics=(); for i in $(seq 1 40); do cp "$work/src.jpg" "$work/p$i.jpg"; pics+=("$work/p$i.jpg"); done
peak() { /usr/bin/time -f '%M' "$tool" --screen 1920x1080 -o "$work/out" "$@" 2>&1 >/dev/null | tail -1; }
one=$(peak "${pics[0]}")
forty=$(peak "${pics[@]}")
awk -v a="$one" -v b="$forty" 'BEGIN { printf "peak RSS: 1 picture %d KiB, 40 pictures %d KiB, ratio %.3f (target <= 1.2)\n", a, b, b / a }'
