#!/usr/bin/env bash
# Compares the single-threaded FastSizer with `du -s -B1` (and gdu when
# available) on the same warm tree.
#
#   bench/sizer-vs-du.sh [TREE]
#
# Without TREE a tree of $FILES (default 500000) files is generated under
# /tmp and deleted afterwards. BUILD names the build folder (default
# build/bench); it is configured and the sizer program built when missing.
# RUNS (default 3) runs of each tool; the best time counts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=${BUILD:-$repo/build/bench}
files=${FILES:-500000}
runs=${RUNS:-3}

if [[ ! -x "$build/bench/sizer" ]]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BUILD_APP=OFF >/dev/null
  cmake --build "$build" --target sizer >/dev/null
fi
sizer="$build/bench/sizer"

if ! command -v gdu >/dev/null 2>&1 && [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null 2>&1; then
  apt-get install -y -qq gdu >/dev/null 2>&1 || true
fi

tree=${1:-}
if [[ -z "$tree" ]]; then
  tree=$(mktemp -d /tmp/korvane-sizer-bench-XXXXXX)
  trap 'rm -rf "$tree"' EXIT
  echo "generating $files files under $tree ..."
  python3 "$here/make-tree.py" "$tree" "$files"
fi

# Warm the caches: every tool then reads the same cached metadata.
du -s -B1 "$tree" >/dev/null 2>&1 || true
"$sizer" "$tree" >/dev/null

# shellcheck source=bench/best-of.sh
source "$here/best-of.sh"

sizer_out=$("$sizer" "$tree")
sizer_bytes=$(awk '/^bytes/ {print $2}' <<<"$sizer_out")
sizer_time=$(best_of "$sizer" "$tree")
du_bytes=$(du -s -B1 "$tree" 2>/dev/null | cut -f1)
du_time=$(best_of du -s -B1 "$tree")

echo
echo "tree: $tree"
echo "$sizer_out" | sed -n '1,4p' | sed 's/^/  sizer /'
printf '  %-22s %12s bytes  %8ss\n' "FastSizer (1 thread)" "$sizer_bytes" "$sizer_time"
printf '  %-22s %12s bytes  %8ss\n' "du -s -B1" "$du_bytes" "$du_time"
if command -v gdu >/dev/null 2>&1; then
  gdu_bytes=$(gdu -n -s -p --no-prefix "$tree" 2>/dev/null | awk '{print $1}')
  gdu_time=$(best_of gdu -n -s -p --no-prefix "$tree")
  gdu1_time=$(best_of gdu -n -s -p --no-prefix -m 1 "$tree")
  printf '  %-22s %12s bytes  %8ss\n' "gdu -n -s (all cores)" "$gdu_bytes" "$gdu_time"
  printf '  %-22s %12s bytes  %8ss\n' "gdu -n -s -m 1" "$gdu_bytes" "$gdu1_time"
fi
echo
awk -v s="$sizer_time" -v d="$du_time" 'BEGIN { printf "time FastSizer / du: %.2f\n", s / d }'
if [[ "$sizer_bytes" == "$du_bytes" ]]; then
  echo "bytes: equal to du -s -B1"
else
  # The sizer never reads .Trash, .Spotlight-V100, .fseventsd and
  # .DocumentRevisions-V100 folders, stops 64 levels below the root and does
  # not enter pseudo file systems; du counts all of these.
  echo "bytes: differ by $((du_bytes - sizer_bytes)) (du - sizer); see the skipped names and the depth limit"
fi
