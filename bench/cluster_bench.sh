#!/bin/sh
# Wall time, pair rate and peak memory of `tolva -R` on ensembles of a
# 69-nucleotide RNA (three copies of one 23-nucleotide strand of the
# RNA-Puzzles rp01 solution), for 500 to 5,000 models, with 1 and 8 jobs.
#
#   bench/cluster_bench.sh [BUILD_DIR] [SIZES...]
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
shift 2>/dev/null || true
sizes=${*:-500 1000 2000 5000}
structure=${STRUCTURE:-$here/../../shared/data/rna-puzzles/rp01/1_solution_0_rpr.pdb}
tolva=$build/tolva/tolva
work=${TMPDIR:-/tmp}/tolva-cluster-bench
[ -r "$structure" ] || { echo "no structure at $structure (set STRUCTURE)" >&2; exit 1; }
[ -x "$tolva" ] || { echo "no tolva at $tolva" >&2; exit 1; }

printf "%6s %4s %10s %14s %10s\n" models jobs "wall (s)" "pairs/s" "peak (MB)"
for n in $sizes; do
  dir=$work/$n
  if [ ! -f "$dir/model$(printf %05d $((n - 1))).pdb" ]; then
    rm -rf "$dir"
    python3 "$here/make_ensemble.py" "$structure" "$n" "$dir" --chains A --copies 3
  fi
  for jobs in 1 8; do
    log=$work/time-$n-$jobs.txt
    /usr/bin/time -v "$tolva" -R -j $jobs "$dir"/*.pdb > "$work/out-$n-$jobs.txt" 2> "$log"
    wall=$(awk -F': ' '/Elapsed/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$log")
    peak=$(awk -F': ' '/Maximum resident/ {printf "%.0f", $2 / 1024}' "$log")
    pairs=$((n * (n - 1) / 2))
    rate=$(awk -v p=$pairs -v w="$wall" 'BEGIN {printf "%.0f", p / w}')
    printf "%6d %4d %10s %14s %10s\n" "$n" "$jobs" "$wall" "$rate" "$peak"
  done
  cmp -s "$work/out-$n-1.txt" "$work/out-$n-8.txt" || echo "  -j 1 and -j 8 printed different reports for $n models" >&2
done
