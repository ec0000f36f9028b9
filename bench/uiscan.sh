#!/usr/bin/env bash
# Measures the real window over a folder scan of a generated tree of 600,000
# files (offscreen), against the core's folder scan on the same tree.
#
#   bench/uiscan.sh [BUILD_DIR] [FILES] [RUNS]
#
# BUILD_DIR holds bench/uiscan, bench/folderscan and bench/maketree (default
# build; built when missing). The tree lives under /tmp and is removed at the end.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build}
files=${2:-600000}
runs=${3:-5}
cmake --build "$build" --target uiscan folderscan maketree >/dev/null
[[ -x /usr/bin/time ]] || apt-get install -y time >/dev/null

work=$(mktemp -d /tmp/uiscan-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
echo "== building a tree of $files files in $tree"
"$build/bench/maketree" "$tree" "$files"
du -s -B1 "$tree" >/dev/null
"$build/bench/folderscan" "$tree" >/dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak() { awk -F': ' '/Maximum resident set size/ { print $2 }' "$1"; }

core_wall="" core_rss="" shown="" stall="" rss="" typing="" worst=""
for ((i = 1; i <= runs; i++)); do
  /usr/bin/time -v "$build/bench/folderscan" "$tree" >"$work/core.out" 2>"$work/core.time"
  core_wall+="$(awk '/wall seconds/ { print $3 }' "$work/core.out")"$'\n'
  core_rss+="$(peak "$work/core.time")"$'\n'
  QT_QPA_PLATFORM=offscreen /usr/bin/time -v "$build/bench/uiscan" "$tree" >"$work/ui.out" 2>"$work/ui.time"
  shown+="$(awk '/scan to tree shown/ { print $5 }' "$work/ui.out")"$'\n'
  stall+="$(awk '/longest event-loop stall/ { print $7 }' "$work/ui.out")"$'\n'
  typing+="$(awk '/per keystroke/ { print $4 }' "$work/ui.out")"$'\n'
  worst+="$(awk '/per keystroke/ { print $7 }' "$work/ui.out")"$'\n'
  rss+="$(peak "$work/ui.time")"$'\n'
done
cat "$work/ui.out"

m_core=$(printf %s "$core_wall" | median); m_core_rss=$(printf %s "$core_rss" | median)
m_shown=$(printf %s "$shown" | median); m_stall=$(printf %s "$stall" | median)
m_rss=$(printf %s "$rss" | median); m_typing=$(printf %s "$typing" | median); m_worst=$(printf %s "$worst" | median)
echo
echo "== median of $runs runs"
echo "core folderscan           $m_core s, peak $m_core_rss KiB"
echo "Scan to tree shown        $m_shown s"
echo "longest stall             $m_stall ms"
echo "peak memory               $m_rss KiB"
echo "search per keystroke      $m_typing ms mean, $m_worst ms worst"

verdict() { if awk "BEGIN { exit !($2) }"; then echo "  met     $1"; else echo "  NOT MET $1"; fi; }
echo
echo "== goals"
verdict "longest stall under 50 ms ($m_stall ms)" "$m_stall < 50"
verdict "Scan to tree shown within 1.3 x folderscan ($m_shown s vs $m_core s)" "$m_shown <= 1.3 * $m_core"
verdict "peak memory under 2 x folderscan + 80 MB ($m_rss KiB vs $m_core_rss KiB)" "$m_rss < 2 * $m_core_rss + 81920"
verdict "search under 30 ms per keystroke (worst $m_worst ms)" "$m_worst < 30"
