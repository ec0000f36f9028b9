#!/usr/bin/env bash
# Runs a developer scan of a generated home folder beside `du -s` of the same
# folder (warm cache), then measures how fast a scan stops after cancel().
#
#   bench/devscan-vs-du.sh [HOME_TREE]
#
# Without HOME_TREE a home with 300 projects is generated under /tmp
# (bench/make-devhome.py) and deleted afterwards. BUILD names the build folder
# (default build/bench); it is configured and devscan built when missing.
# RUNS (default 3) runs of each tool; the best time counts. CANCEL_POINTS lists
# the seconds after start at which cancel() is tried (default
# "0 0.01 0.05 0.1 0.2 0.4").
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=${BUILD:-$repo/build/bench}
runs=${RUNS:-3}
points=${CANCEL_POINTS:-0 0.01 0.05 0.1 0.2 0.4}

if [[ ! -x "$build/bench/devscan" ]]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BUILD_APP=OFF >/dev/null
  cmake --build "$build" --target devscan >/dev/null
fi
devscan="$build/bench/devscan"

tree=${1:-}
if [[ -z "$tree" ]]; then
  tree=$(mktemp -d /tmp/korvane-devhome-XXXXXX)
  trap 'rm -rf "$tree"' EXIT
  echo "generating a developer home under $tree ..."
  python3 "$here/make-devhome.py" "$tree"
fi

# Warm the caches: both tools then read the same cached metadata.
du -s -B1 "$tree" >/dev/null 2>&1 || true
HOME="$tree" "$devscan" >/dev/null

# shellcheck source=bench/best-of.sh
source "$here/best-of.sh"

du_time=$(best_of du -s -B1 "$tree")
scan_time=$(best_of env HOME="$tree" "$devscan")

echo
echo "home: $tree ($(du -s -B1 "$tree" | cut -f1) bytes by du)"
HOME="$tree" "$devscan" | sed 's/^/  /'
echo
echo "du -s       $du_time s"
echo "devscan     $scan_time s (process, best of $runs)"
awk -v s="$scan_time" -v d="$du_time" 'BEGIN { printf "ratio       %.2f x du (goal <= 1.5)\n", s / d }'

echo
echo "cancel():"
for point in $points; do
  line=$(HOME="$tree" "$devscan" --cancel-after "$point" | grep -E '^(cancel latency|wall time)' | tr -s ' ' | paste -sd ';' -)
  echo "  after $point s: $line"
done
