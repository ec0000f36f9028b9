#!/usr/bin/env bash
# Runs the folder scan and another program in turn on one tree, A B A B ...,
# and prints each one's medians and the medians of the ratios A/B taken pair
# by pair: on a machine other work shares, the ratio of two runs made side by
# side holds when absolute times wander.
#
#   bench/folderscan-pairs.sh TREE [RUNS] [A] [B]
#
# A defaults to build/rel/bench/folderscan, B to build/rel/bench/walker (the
# floor); either may be any program that takes the tree as its one argument,
# such as the folderscan of an earlier build. Each is run once first to warm
# the caches. Needs /usr/bin/time.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:?usage: folderscan-pairs.sh TREE [RUNS] [A] [B]}
runs=${2:-21}
a=${3:-$repo/build/rel/bench/folderscan}
b=${4:-$repo/build/rel/bench/walker}
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time" >&2; exit 2; }

# One run: "wall cpu peak_kib", times to the millisecond (the shell's own
# timer; /usr/bin/time, which reports the peak, counts only hundredths).
measure() {
  local out times
  out=$(mktemp)
  times=$( { TIMEFORMAT='%3R %3U %3S'; time /usr/bin/time -f '%M' -o "$out" "$1" "$tree" >/dev/null 2>&1; } 2>&1 )
  awk -v t="$times" -v m="$(tail -n 1 "$out")" 'BEGIN { split(t, p, " "); printf "%.3f %.3f %d\n", p[1], p[2] + p[3], m }'
  rm -f "$out"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure "$a" >/dev/null
measure "$b" >/dev/null
rows=""
for ((i = 1; i <= runs; i++)); do
  read -r aw ac am < <(measure "$a")
  read -r bw bc bm < <(measure "$b")
  rows+="$aw $ac $am $bw $bc $bm"$'\n'
done

column() { printf %s "$rows" | awk -v c="$1" 'NF { print $c }' | median; }
ratio() { printf %s "$rows" | awk -v x="$1" -v y="$2" 'NF && $y > 0 { printf "%.4f\n", $x / $y }' | median; }
echo "load average $(cut -d' ' -f1-3 /proc/loadavg), $runs pairs"
printf '%-4s %9s %9s %12s\n' "" "wall s" "cpu s" "peak KiB"
printf '%-4s %9s %9s %12s\n' A "$(column 1)" "$(column 2)" "$(column 3)"
printf '%-4s %9s %9s %12s\n' B "$(column 4)" "$(column 5)" "$(column 6)"
echo "A/B pair by pair (medians): wall $(ratio 1 4), cpu $(ratio 2 5)"
