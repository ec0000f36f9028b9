#!/usr/bin/env bash
# Measures the folder scan against the minimal parallel walker (bench/walker),
# gdu, ncdu and du on a generated warm tree of 600,000 files, then times
# cancellation and file search.
#
#   bench/folderscan-vs-gdu.sh [BUILD_DIR] [FILES] [RUNS]
#
# BUILD_DIR holds bench/folderscan, bench/walker, bench/maketree and bench/search
# (default build/bench; configured and built when they are missing). The tree
# lives under /tmp and is removed at the end.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build/bench}
files=${2:-600000}
runs=${3:-5}
bench="$build/bench"
for tool in folderscan walker maketree search; do
  if [[ ! -x "$bench/$tool" ]]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BUILD_APP=OFF >/dev/null
    cmake --build "$build" --target folderscan walker maketree search >/dev/null
  fi
done
[[ -x /usr/bin/time ]] || apt-get install -y time >/dev/null
command -v gdu >/dev/null && command -v ncdu >/dev/null ||
  { apt-get update >/dev/null && apt-get install -y gdu ncdu >/dev/null; }

work=$(mktemp -d /tmp/folderscan-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"

echo "== building a tree of $files files in $tree"
"$bench/maketree" "$tree" "$files"
# Warm the caches the way a second scan finds them.
du -s -B1 "$tree" >/dev/null
"$bench/folderscan" "$tree" >/dev/null
"$bench/walker" "$tree" >/dev/null
gdu -n -s "$tree" >/dev/null

# measure LABEL COMMAND... -> "wall user system maxrss_kib" on stdout
measure() {
  local label=$1; shift
  local log="$work/time.$label"
  /usr/bin/time -v "$@" >"$work/out.$label" 2>"$log"
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); wall = (n == 3) ? p[1]*3600 + p[2]*60 + p[3] : p[1]*60 + p[2] }
    /User time/ { user = $2 }
    /System time/ { sys = $2 }
    /Maximum resident set size/ { rss = $2 }
    END { printf "%.3f %.2f %.2f %d\n", wall, user, sys, rss }' "$log"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A wall cpu rss
tools="folderscan walker gdu ncdu du"
for tool in $tools; do wall[$tool]=""; cpu[$tool]=""; rss[$tool]=""; done
for ((i = 1; i <= runs; i++)); do
  for tool in $tools; do
    case $tool in
      folderscan) read -r w u s m < <(measure folderscan "$bench/folderscan" "$tree") ;;
      walker) read -r w u s m < <(measure walker "$bench/walker" "$tree") ;;
      gdu) read -r w u s m < <(measure gdu gdu -n -s "$tree") ;;
      ncdu) read -r w u s m < <(measure ncdu ncdu -0 -x -o /dev/null "$tree") ;;
      du) read -r w u s m < <(measure du du -s -B1 "$tree") ;;
    esac
    wall[$tool]+="$w"$'\n'
    cpu[$tool]+="$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.2f", u + s }')"$'\n'
    rss[$tool]+="$m"$'\n'
  done
done

echo
echo "== median of $runs warm runs"
printf "%-11s %9s %9s %12s\n" tool "wall s" "cpu s" "peak KiB"
for tool in $tools; do
  printf "%-11s %9s %9s %12s\n" "$tool" "$(printf %s "${wall[$tool]}" | median)" \
    "$(printf %s "${cpu[$tool]}" | median)" "$(printf %s "${rss[$tool]}" | median)"
done

ours_wall=$(printf %s "${wall[folderscan]}" | median)
walker_wall=$(printf %s "${wall[walker]}" | median)
gdu_wall=$(printf %s "${wall[gdu]}" | median)
ours_cpu=$(printf %s "${cpu[folderscan]}" | median)
gdu_cpu=$(printf %s "${cpu[gdu]}" | median)
ours_rss=$(printf %s "${rss[folderscan]}" | median)
gdu_rss=$(printf %s "${rss[gdu]}" | median)

ours_bytes=$(awk '/total bytes/ { print $3 }' "$work/out.folderscan")
du_bytes=$(awk '{ print $1 }' "$work/out.du")
echo
echo "== totals: folderscan $ours_bytes bytes, du -s -B1 $du_bytes bytes, difference $((du_bytes - ours_bytes))"

echo
echo "== cancellation (cancel 0.1 s into the scan)"
"$bench/folderscan" --cancel-after 0.1 "$tree" | grep -E "files|cancel latency"
cancel_ms=$("$bench/folderscan" --cancel-after 0.1 "$tree" | awk '/cancel latency/ { print $3 }')

echo
echo "== search over a 250,000-entry and a 1,000,000-entry index"
"$bench/search" | tee "$work/search.out"
"$bench/search" 1000000 | tee "$work/search-1m.out"

verdict() { if awk "BEGIN { exit !($2) }"; then echo "  met     $1"; else echo "  NOT MET $1"; fi; }
echo
echo "== goals"
verdict "wall <= 1.15 x the minimal walker ($ours_wall s vs $walker_wall s)" "$ours_wall <= 1.15 * $walker_wall"
verdict "wall <= 0.6 x gdu ($ours_wall s vs $gdu_wall s)" "$ours_wall <= 0.6 * $gdu_wall"
verdict "cpu <= gdu ($ours_cpu s vs $gdu_cpu s)" "$ours_cpu <= $gdu_cpu"
verdict "peak memory <= 1/4 gdu ($ours_rss KiB vs $gdu_rss KiB)" "$ours_rss * 4 <= $gdu_rss"
verdict "total equals du -s -B1" "$ours_bytes == $du_bytes"
verdict "cancel within 20 ms (${cancel_ms:-none} ms)" "${cancel_ms:-1000} <= 20"
mkdir -p "$work/empty"
# Measured like the tree's run: a process's own figure before it exits misses
# pages its threads touched that the kernel had not counted yet.
empty_kib=$(for ((i = 1; i <= runs; i++)); do measure empty "$bench/folderscan" "$work/empty" | awk '{ print $4 }'; done | median)
entries=$(awk '/^files|^folders/ { n += $2 } END { print n }' "$work/out.folderscan")
per_entry=$(awk -v r="$ours_rss" -v e="$empty_kib" -v n="$entries" 'BEGIN { printf "%.1f", (r - e) * 1024 / n }')
verdict "peak memory <= 60 bytes per entry above an empty scan's ($per_entry)" "$per_entry <= 60"
slow=$(awk '/slowest query/ { print $3 }' "$work/search.out")
slow_1m=$(awk '/slowest query/ { print $3 }' "$work/search-1m.out")
ratio=$(awk '/slowest against the linear pass/ { print $6 }' "$work/search.out")
ratio_1m=$(awk '/slowest against the linear pass/ { print $6 }' "$work/search-1m.out")
verdict "search: every query within 20 ms of CPU over 250,000 entries ($slow ms)" "$slow <= 20"
verdict "search: every query within 60 ms of CPU over 1,000,000 entries ($slow_1m ms)" "$slow_1m <= 60"
verdict "search: every query within 2 x a linear pass over the same names, 250,000 entries (${ratio} x)" "$ratio <= 2"
verdict "search: every query within 2 x a linear pass over the same names, 1,000,000 entries (${ratio_1m} x)" "$ratio_1m <= 2"
