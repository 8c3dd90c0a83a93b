#!/bin/sh
# Wall time, pair rate, peak memory and the time of each phase of
# `tolva -R` on ensembles of one structure, for 600 to 5,000 models with 1
# and 8 jobs; then `-c -j 8` on 1,000 files, the kernel's time a pair on
# one thread, and mdtraj's beside it when it is installed.
#
#   bench/cluster_bench.sh [BUILD_DIR] [SIZES...]
#
# STRUCTURE is the PDB file the models are made from (plain, or gzip named
# .gz), by default the first model of examples/ with its two DNA strands
# (CHAINS, default BC) three times over: 66 nucleotides; a STRUCTURE given
# keeps all its chains unless CHAINS names some. RUNS (default 3) runs of
# each command; the median is printed. The phases (start-up, load, select,
# matrix, linkage, teardown) come from TOLVA_PHASE_TIMES. A wrong setting
# stops it with one line on standard error, before it makes anything.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
shift 2>/dev/null || true
sizes=${*:-600 1000 2000 5000}
runs=${RUNS:-3}
if [ -n "${STRUCTURE:-}" ]; then
  structure=$STRUCTURE chains=${CHAINS:-}
else
  structure=$here/../examples/1lcd-model1.pdb.gz chains=${CHAINS:-BC}
fi
tolva=$build/tolva/tolva
# Ensembles are kept between runs, one folder per structure and chains.
# make_ensemble.py makes it only once it has read the structure and found
# its chains; the other settings are checked here first: a wrong setting
# leaves nothing.
work=${TMPDIR:-/tmp}/tolva-cluster-bench/$(printf '%s %s' "$structure" "$chains" | cksum | cut -d' ' -f1)
[ -f "$structure" ] && [ -r "$structure" ] || { echo "no structure at $structure (set STRUCTURE)" >&2; exit 1; }
[ -x "$tolva" ] || { echo "no tolva at $tolva" >&2; exit 1; }
# A leading 0 would be read as octal; one model has no pair.
for n in $sizes; do
  case $n in 0* | 1 | *[!0-9]*) echo "not a number of models, 2 or more: $n" >&2; exit 1 ;; esac
done
case $runs in 0* | *[!0-9]*) echo "RUNS is not a number of runs, 1 or more: $runs" >&2; exit 1 ;; esac

ensemble() {
  dir=$work/$1
  if [ ! -f "$dir/model$(printf %05d $(($1 - 1))).pdb" ]; then
    rm -rf "$dir"
    python3 "$here/make_ensemble.py" "$structure" "$1" "$dir" --chains "$chains" --copies 3
  fi
}

# One run: wall seconds, peak MB, then the phase times, on one line.
measure() {
  log=$work/time.txt
  TOLVA_PHASE_TIMES=1 /usr/bin/time -v "$tolva" "$@" > "$work/out.txt" 2> "$log"
  awk -F': ' '
    /Elapsed/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; wall = s}
    /Maximum resident/ {peak = $2 / 1024}
    /^phase / {split($0, p, " "); phases = phases sprintf(" %8.3f", p[3])}
    END {printf "%.2f %.0f%s\n", wall, peak, phases}' "$log"
}

# The median line of RUNS runs, by wall time.
median() {
  i=0
  while [ $i -lt "$runs" ]; do measure "$@"; i=$((i + 1)); done | sort -n | sed -n "$(((runs + 1) / 2))p"
}

# The first ensemble is made before anything is printed (the load average
# is read before it), so that a structure make_ensemble.py refuses gives
# its line alone.
load=$(cut -d' ' -f1-3 /proc/loadavg)
set -- $sizes
ensemble "$1"
echo "load average: $load"
printf "%6s %4s %8s %12s %9s %8s %8s %8s %8s %8s %8s\n" models jobs "wall(s)" "pairs/s" "peak(MB)" start load select matrix linkage teardown
for n in $sizes; do
  ensemble "$n"
  for jobs in 1 8; do
    set -- $(median -R -j $jobs "$work/$n"/*.pdb)
    cp "$work/out.txt" "$work/out-$n-$jobs.txt"
    pairs=$((n * (n - 1) / 2))
    rate=$(awk -v p=$pairs -v w="$1" 'BEGIN {printf "%.0f", p / w}')
    printf "%6d %4d %8s %12s %9s %8s %8s %8s %8s %8s %8s\n" "$n" "$jobs" "$1" "$rate" "$2" "$3" "$4" "$5" "$6" "$7" "$8"
  done
  cmp -s "$work/out-$n-1.txt" "$work/out-$n-8.txt" || echo "  -j 1 and -j 8 printed different reports for $n models" >&2
done

ensemble 1000
set -- $(median -c -j 8 "$work/1000"/*.pdb)
echo "compare: 1000 files, -c -j 8: $1 s, $2 MB"

if [ -x "$build/bench/bench_cluster" ]; then
  "$build/bench/bench_cluster" --benchmark_filter='PairRmsd/1464$' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    awk '/_median/ {printf "tolva kernel: 1464 atoms, %.3f us a pair on one thread (median of 5)\n", $2 / 1000}'
fi
# mdtraj may be installed for the system's Python only: each is asked
# with the interpreter that would then run it. It times the first 300 of
# the 1000 models, made whatever the sizes, and the same as the 600's
# first 300 (the same seed).
for python in python3 /usr/bin/python3; do
  if "$python" -c "import mdtraj" 2>/dev/null; then
    "$python" "$here/mdtraj_pair.py" "$work/1000" 300
    exit 0
  fi
done
echo "mdtraj: not installed, skipped"
