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
# each command; the median is printed. COMPARE (default 1000) is the
# number of files of `-c -j 8`, whose first 300 mdtraj times. The phases
# (start-up, load, select, matrix, linkage, teardown) come from
# TOLVA_PHASE_TIMES. A wrong setting stops it with one line on standard
# error, before it makes anything; so does a structure tolva refuses. A run
# that fails stops it with tolva's line (or the timer's).
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
shift 2>/dev/null || true
sizes=${*:-600 1000 2000 5000}
runs=${RUNS:-3}
compare=${COMPARE:-1000}
tmp=${TMPDIR:-/tmp}
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
work=$tmp/tolva-cluster-bench/$(printf '%s %s' "$structure" "$chains" | cksum | cut -d' ' -f1)
[ -f "$structure" ] && [ -r "$structure" ] || { echo "no structure at $structure (set STRUCTURE)" >&2; exit 1; }
[ -x "$tolva" ] || { echo "no tolva at $tolva" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "no GNU time at /usr/bin/time to time the runs" >&2; exit 1; }
[ -d "$tmp" ] || { echo "TMPDIR is not a folder: $tmp" >&2; exit 1; }
# A leading 0 would be read as octal; one model has no pair.
for n in $sizes; do
  case $n in 0* | 1 | *[!0-9]*) echo "not a number of models, 2 or more: $n" >&2; exit 1 ;; esac
done
case $runs in 0* | *[!0-9]*) echo "RUNS is not a number of runs, 1 or more: $runs" >&2; exit 1 ;; esac
case $compare in 0* | 1 | *[!0-9]*) echo "COMPARE is not a number of files, 2 or more: $compare" >&2; exit 1 ;; esac

ensemble() {
  dir=$work/$1
  if [ ! -f "$dir/model$(printf %05d $(($1 - 1))).pdb" ]; then
    rm -rf "$dir"
    python3 "$here/make_ensemble.py" "$structure" "$1" "$dir" --chains "$chains" --copies 3
  fi
}

# The last line of a failed run's standard error: tolva's own, or the
# timer's when tolva could not run or was killed, never a phase time, the
# timer's statistics (after a tab) or its exit status (unless alone).
said() {
  awk '/^\t|^phase / {next}
    /^Command exited with non-zero status/ {if (last == "") last = $0; next}
    {last = $0}
    END {print (last == "" ? fallback : last)}' fallback="$2" "$1" >&2
}

# One run: wall seconds, peak MB, then the phase times, on one line.
measure() {
  log=$work/time.txt
  TOLVA_PHASE_TIMES=1 /usr/bin/time -v "$tolva" "$@" > "$work/out.txt" 2> "$log" || { said "$log"; return 1; }
  awk -F': ' '
    /Elapsed/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; wall = s}
    /Maximum resident/ {peak = $2 / 1024}
    /^phase / {split($0, p, " "); phases = phases sprintf(" %8.3f", p[3])}
    END {printf "%.2f %.0f%s\n", wall, peak, phases}' "$log"
}

# The median line of RUNS runs, by wall time. The runs go to a file, not
# a pipe, so that a failed one stops the script (the caller's `|| exit`).
median() {
  : > "$work/runs.txt"
  i=0
  while [ $i -lt "$runs" ]; do measure "$@" >> "$work/runs.txt" || return 1; i=$((i + 1)); done
  sort -n "$work/runs.txt" | sed -n "$(((runs + 1) / 2))p"
}

# Before anything is printed or kept (the load average is read before):
# two models in a folder of their own, removed whatever happens, so that a
# structure make_ensemble.py or tolva refuses gives its line alone; tolva
# runs in that folder, so that its line names the models alone. Then the
# first ensemble, so that the table starts whole.
load=$(cut -d' ' -f1-3 /proc/loadavg)
case $tolva in /*) ;; *) tolva=$PWD/$tolva ;; esac
check=$(mktemp -d "$tmp/tolva-cluster-bench.XXXXXX")
trap 'rm -rf "$check"' EXIT
python3 "$here/make_ensemble.py" "$structure" 2 "$check" --chains "$chains" --copies 3
status=0
# (`|| exit` keeps the subshell from handing itself over to tolva: it then
# writes its "Killed" into err.txt, not beside the line said.)
(cd "$check" && "$tolva" -R model00000.pdb model00001.pdb > out.txt 2> err.txt || exit) || status=$?
[ $status = 0 ] || { said "$check/err.txt" "tolva exited with status $status on 2 models of $structure"; exit 1; }
rm -rf "$check"
trap - EXIT
set -- $sizes
ensemble "$1"
echo "load average: $load"
printf "%6s %4s %8s %12s %9s %8s %8s %8s %8s %8s %8s\n" models jobs "wall(s)" "pairs/s" "peak(MB)" start load select matrix linkage teardown
for n in $sizes; do
  ensemble "$n"
  for jobs in 1 8; do
    result=$(median -R -j $jobs "$work/$n"/*.pdb) || exit 1
    set -- $result
    cp "$work/out.txt" "$work/out-$n-$jobs.txt"
    pairs=$((n * (n - 1) / 2))
    rate=$(awk -v p=$pairs -v w="$1" 'BEGIN {printf "%.0f", p / w}')
    printf "%6d %4d %8s %12s %9s %8s %8s %8s %8s %8s %8s\n" "$n" "$jobs" "$1" "$rate" "$2" "$3" "$4" "$5" "$6" "$7" "$8"
  done
  cmp -s "$work/out-$n-1.txt" "$work/out-$n-8.txt" || echo "  -j 1 and -j 8 printed different reports for $n models" >&2
done

ensemble "$compare"
result=$(median -c -j 8 "$work/$compare"/*.pdb) || exit 1
set -- $result
echo "compare: $compare files, -c -j 8: $1 s, $2 MB"

if [ -x "$build/bench/bench_cluster" ]; then
  "$build/bench/bench_cluster" --benchmark_filter='PairRmsd/1464$' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    awk '/_median/ {printf "tolva kernel: 1464 atoms, %.3f us a pair on one thread (median of 5)\n", $2 / 1000}'
fi
# mdtraj may be installed for the system's Python only: each is asked
# with the interpreter that would then run it. It times the first 300 of
# the compare run's models (all of them when fewer), made whatever the
# sizes, and the same as the 600's first 300 (the same seed).
for python in python3 /usr/bin/python3; do
  if "$python" -c "import mdtraj" 2>/dev/null; then
    "$python" "$here/mdtraj_pair.py" "$work/$compare" 300
    exit 0
  fi
done
echo "mdtraj: not installed, skipped"
