# Sourced by the comparison scripts in this folder.
#
# best_of COMMAND...: the best wall time in seconds (three decimals) of $runs
# runs of COMMAND, its output and failures ignored.
now() { date +%s.%N; }
best_of() {
  local best="" start end t
  for ((i = 0; i < runs; i++)); do
    start=$(now); "$@" >/dev/null 2>&1 || true; end=$(now)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    if [[ -z "$best" ]] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%.3f' "$best"
}
