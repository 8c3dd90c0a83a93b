#!/bin/sh
# Each setting of bench/cluster_bench.sh runs, or stops with status 1 and
# one line on standard error and leaves nothing: it runs from a copy of the
# repository's bench/ and examples/ alone, with TMPDIR a fresh folder that
# must stay empty (a run leaves only its cache, checked below).
#   cluster_bench_settings.sh SOURCE_DIR BUILD_DIR
src=$1 build=$2 d=$(mktemp -d) && trap 'rm -rf "$d"' EXIT || exit 1
mkdir "$d/checkout" "$d/in" && cp -r "$src/bench" "$src/examples" "$d/checkout" || exit 1
bench=$d/checkout/bench/cluster_bench.sh examples=$d/checkout/bench/../examples failed=0
zcat "$src/examples/1lcd-model1.pdb.gz" > "$d/in/plain.pdb"
: > "$d/in/empty.pdb"
printf 'BZh91AY&SY\377\376' > "$d/in/model.pdb.bz2"
head -c 300 "$src/examples/1lcd-model1.pdb.gz" > "$d/in/cut.pdb.gz"
echo 'ATOM   1    P P   . DA B 1 1 ? 11.104 6.134 -6.504 1.00 0.00 ? 1 DA B P 1' > "$d/in/mmcif.cif"
for c in A B C D E F G H I; do printf 'ATOM      1  P    DA %s   1       0.000   0.000   0.000\n' $c; done > "$d/in/nine.pdb"
for r in 1 2 3; do printf 'HETATM%5d  O   HOH A%4d      10.000  10.000  10.000  1.00  0.00           O\n' $r $r; done > "$d/in/waters.pdb"
# Builds whose tolva does ACTION when its arguments match, else is the real one.
fake() {  # fake NAME PATTERN ACTION
  mkdir -p "$d/$1/tolva" && printf '#!/bin/sh\ncase " $* " in %s) %s ;; esac\nexec "%s" "$@"\n' "$2" "$3" \
    "$(cd "$build" && pwd)/tolva/tolva" > "$d/$1/tolva/tolva" && chmod +x "$d/$1/tolva/tolva"
}
fake fails '*' 'echo "tolva:4.0: made to fail" >&2; exit 1'
fake fails8 '*" -j 8 "*' 'echo "tolva:4.0: made to fail" >&2; echo "phase teardown 0.000 s, 0 page faults" >&2; exit 1'
fake killed '*" -j 1 "*' 'kill -9 $$'
fail() { echo "FAIL [$setting]: $*"; failed=1; }
# A run that fails after N lines of its table (STATUS 1:N) leaves those
# and its cache alone: no row of blanks.
row() {  # row STATUS[:N] LINE [NAME=VALUE...] SCRIPT [ARG...]; LINE is stderr's one line, or "ran"
  status=${1%:*} lines=${1#${1%:*}} line=$2 setting=$(shift 2; echo "$*"); shift 2
  rm -rf "$d/tmp" && mkdir "$d/tmp"
  env -u STRUCTURE -u CHAINS -u RUNS -u COMPARE TMPDIR="$d/tmp" "$@" > "$d/out" 2> "$d/err"
  got=$?; [ $got = "$status" ] || fail "status $got"
  [ "$line" = ran ] && { [ ! -s "$d/err" ] || fail "stderr: $(cat "$d/err")"; return; }
  printf '%s\n' "$line" | cmp -s - "$d/err" || fail "stderr: $(cat "$d/err")"
  if [ -z "$lines" ]; then [ ! -s "$d/out" ] && [ -z "$(ls -A "$d/tmp")" ]
  else [ "$(wc -l < "$d/out")" = "${lines#:}" ] && [ "$(ls -A "$d/tmp")" = tolva-cluster-bench ]
  fi || fail "stdout: $(cat "$d/out"); left: $(ls -A "$d/tmp")"
}
row 1 "no tolva at /nonexistent/tolva/tolva" "$bench" /nonexistent
row 1 "no structure at $d/in/none.pdb (set STRUCTURE)" STRUCTURE="$d/in/none.pdb" "$bench" "$build"
row 1 "no structure at $d/in (set STRUCTURE)" STRUCTURE="$d/in" "$bench" "$build"
row 1 "$d/in/empty.pdb holds no ATOM or HETATM record" STRUCTURE="$d/in/empty.pdb" "$bench" "$build" 3
row 1 "$d/in/model.pdb.bz2 holds no ATOM or HETATM record" STRUCTURE="$d/in/model.pdb.bz2" "$bench" "$build" 3
row 1 "$examples/1lcd-model1-dna.xml.gz holds no ATOM or HETATM record" STRUCTURE="$examples/1lcd-model1-dna.xml.gz" "$bench" "$build" 3
row 1 "$d/in/cut.pdb.gz is not a whole gzip file" STRUCTURE="$d/in/cut.pdb.gz" "$bench" "$build" 3
row 1 "$d/in/mmcif.cif, line 1: no coordinates in this atom record" STRUCTURE="$d/in/mmcif.cif" "$bench" "$build" 3
row 1 "$d/in/nine.pdb: 9 chains 3 times over need more than 26 chain letters" STRUCTURE="$d/in/nine.pdb" "$bench" "$build" 3
row 1 "$examples/1lcd-model1.pdb.gz holds no atom of chain X" CHAINS=X "$bench" "$build" 3
row 1 "$d/in/plain.pdb holds no atom of chain X" STRUCTURE="$d/in/plain.pdb" CHAINS=BX "$bench" "$build" 3
row 1 "not a number of models, 2 or more: 1" "$bench" "$build" 3 1
row 1 "not a number of models, 2 or more: 3a" "$bench" "$build" 3 3a
row 1 "RUNS is not a number of runs, 1 or more: 0" RUNS=0 "$bench" "$build" 3
row 1 "COMPARE is not a number of files, 2 or more: 1" COMPARE=1 "$bench" "$build" 3
row 1 "TMPDIR is not a folder: $d/in/plain.pdb" TMPDIR="$d/in/plain.pdb" "$bench" "$build" 3
row 1 "tolva:4.0: File model00000.pdb has no residue to compare." STRUCTURE="$d/in/waters.pdb" "$bench" "$build" 3
row 1 "tolva:4.0: made to fail" "$bench" "$d/fails" 3
row 1:3 "tolva:4.0: made to fail" RUNS=1 "$bench" "$d/fails8" 3
row 1:2 "Command terminated by signal 9" RUNS=1 "$bench" "$d/killed" 3
row 0 ran STRUCTURE= CHAINS= RUNS=1 COMPARE=3 "$bench" "$build" 3
# The run, on 3 models (no 600, and 3 compared): its table, and its models
# are those of model 1's chains B and C three times over, 66 nucleotides.
[ "$(grep -Ec '^     3    [18] |^compare: 3 files, -c -j 8: [0-9.]+ s, [0-9]+ MB$' "$d/out")" = 3 ] || fail "stdout: $(cat "$d/out")"
python3 "$src/bench/make_ensemble.py" "$src/examples/1lcd-model1.pdb.gz" 3 "$d/want" --chains BC --copies 3
models=$(echo "$d"/tmp/tolva-cluster-bench/*/3)
for m in 0 1 2; do cmp -s "$d/want/model0000$m.pdb" "$models/model0000$m.pdb" || fail "model $m is not from 1lcd-model1 B, C x3"; done
[ "$(cut -c18-26 "$models/model00000.pdb" | grep '^ D[ACGT]' | sort -u | wc -l)" = 66 ] || fail "not 66 nucleotides"
if python3 -c 'import mdtraj' 2>/dev/null || /usr/bin/python3 -c 'import mdtraj' 2>/dev/null; then
  grep -Eqx 'mdtraj: [0-9]+ atoms, [0-9.]+ us a pair on one thread \(median of 5\)' "$d/out" || fail "no mdtraj line"
else
  echo "skipped: the mdtraj step (mdtraj cannot be imported here)"
  grep -qx 'mdtraj: not installed, skipped' "$d/out" || fail "no mdtraj note"
fi
exit $failed
