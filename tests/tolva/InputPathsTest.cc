// Inputs as other programs hand them over, end to end: residues paired by
// order past one that validation or reading leaves out, a file that fails
// ahead of a FIFO nobody writes, documents through pipes, one pipe named
// twice, names that look like patterns, an -o path that is an input or
// cannot be made, and a standard output that fails or has no reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "RunTool.h"
#include "StructureFiles.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

// Far beyond the longest row, run under the address checker on a core
// shared with seven other tests.
const char* const kRowSeconds = "300";

std::string resolved(std::string text, const TempDir& dir)
{
  for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir.path() + "/");
  return text;
}

typedef std::vector<AtomLine> Atoms;

bool at(const AtomLine& a, char chain, int number) { return a.chain() == chain && a.number() == number; }

// The residue's lines as HETATM records of `residue` (name and id columns).
void as_hetero(Atoms& atoms, char chain, int number, const std::string& residue)
{
  for (AtomLine& a : atoms)
    if (at(a, chain, number)) a.text = "HETATM" + a.text.substr(6, 11) + residue + a.text.substr(26);
}

Atoms::iterator after_last(Atoms& atoms, const std::function<bool(const AtomLine&)>& which)
{
  return std::find_if(atoms.rbegin(), atoms.rend(), which).base();
}

bool beside_c5(const AtomLine& a) { return at(a, 'C', 4) || at(a, 'C', 6); }

// A ligand of those atoms (four-column names), put there as HETATM records
// of `residue` (name and id columns), far from every chain.
void add_ligand(Atoms& m, Atoms::iterator where, const std::string& residue, std::initializer_list<const char*> names)
{
  Atoms made;
  for (const char* name : names) {
    made.push_back({"HETATM 9000 " + std::string(name) + " " + residue + "      80.000  80.000  80.000"});
    made.back().set_xyz(80 + 1.5 * made.size(), 80, 80);
  }
  m.insert(where, made.begin(), made.end());
}

void two_segments(Atoms& m)
{
  for (AtomLine& a : m)
    if (a.chain() == 'A' && a.text[0] == 'A' && a.number() > 25) a.set_number(a.number() + 1000);
}

// B2..B6 numbered down, 6D 6C 6B 6A 6, as chymotrypsin numbering counts
// some runs, and B`modified` (unless 0) a 5IU.
void numbered_down(Atoms& m, int modified)
{
  if (modified) as_hetero(m, 'B', modified, "5IU B   " + std::to_string(modified));
  for (AtomLine& a : m)
    if (a.chain() == 'B' && a.number() >= 2 && a.number() <= 6) {
      a.text[26] = "DCBA "[a.number() - 2];
      a.set_number(6);
    }
}

void erase_range(Atoms& m, char chain, int first, int last)
{
  auto in = [&](const AtomLine& a) { return a.chain() == chain && a.number() >= first && a.number() <= last; };
  m.erase(std::remove_if(m.begin(), m.end(), in), m.end());
}

}  // namespace

TEST(ToolInputs, ReadOrRefusedAsFromOneThreadAndOneFile)
{
  TempDir dir;
  // Model 2 without C5' of B3: validation leaves B3 out, and by order the
  // gap is B3's place, after the 51 residues of chain A under -e (sorted
  // by id) and third under -f (the file starts with chain B).
  std::vector<AtomLine> atoms;
  std::set<int> chainA;
  for (const AtomLine& a : read_atoms(example(2))) {
    if (a.chain() == 'A' && a.text.compare(0, 4, "ATOM") == 0) chainA.insert(a.number());
    if (!(a.name() == " C5'" && a.chain() == 'B' && a.number() == 3)) atoms.push_back(a);
  }
  write_atoms(dir.file("m2.pdb"), atoms);
  for (AtomLine& a : atoms) a.set_number(a.number() + 100);
  write_atoms(dir.file("m2-renumbered.pdb"), atoms);
  const std::string sortedGap = std::to_string(chainA.size() + 3);
  // Residues demoted as they are read, for want of an atom of their frame
  // (a purine, a pyrimidine, an amino acid), in the first file and in the
  // second: by order each takes its number, so leaves its own gap.
  auto write_without = [&](int model, const std::set<std::string>& lost, int offset, const char* name) {
    std::vector<AtomLine> kept;
    for (AtomLine a : read_atoms(example(model)))
      if (lost.count(a.name() + a.chain() + std::to_string(a.number())) == 0) {
        a.set_number(a.number() + offset);
        kept.push_back(a);
      }
    write_atoms(dir.file(name), kept);
  };
  write_without(1, {" N9 B5", " C2 C3", " CA A4"}, 0, "p1.pdb");
  // A residue of the chain whatever it is named or flagged, and nothing
  // else, is a position: each class below edits both models, as first file
  // and as second, and -e/-f against the renumbered second file give the
  // RMSD by id.
  const std::map<std::string, std::function<void(Atoms&)>> classes = {
    // An alternate SER at A3: only its side chain, under location B.
    {"alt", [](Atoms& m) {
       auto cb_of_a3 = [](const AtomLine& a) { return at(a, 'A', 3) && a.name() == " CB "; };
       AtomLine cb = *std::find_if(m.begin(), m.end(), cb_of_a3);
       cb.text.replace(16, 4, "BSER");
       AtomLine og = cb;
       og.text.replace(12, 4, " OG ");
       og.set_xyz(cb.x() + 1.4, cb.y(), cb.z());
       m.insert(after_last(m, [](const AtomLine& a) { return at(a, 'A', 3); }), {cb, og});
     }},
    // Modified residues the tables do not know, linked into their chains.
    {"omg", [](Atoms& m) { as_hetero(m, 'B', 5, "OMG B   5"); }},
    {"mse", [](Atoms& m) { as_hetero(m, 'A', 1, "MSE A   1"); }},
    // A free adenine (an old name of the tables): the base of B1, after
    // chain A.
    {"ade", [](Atoms& m) {
       Atoms base;
       for (const AtomLine& a : m)
         if (at(a, 'B', 1) && a.name()[1] != 'H' && a.name().find_first_of("'P") == std::string::npos)
           base.push_back(a);
       as_hetero(base, 'B', 1, "ADE A 200");
       for (AtomLine& a : base) a.set_xyz(a.x() + 30, a.y(), a.z());
       auto chain_a = [](const AtomLine& a) { return a.chain() == 'A' && a.text[0] == 'A'; };
       m.insert(after_last(m, chain_a), base.begin(), base.end());
     }},
    // A10 and A12 unresolved: A11 is linked to neither neighbour.
    {"gap", [](Atoms& m) {
       auto unresolved = [](const AtomLine& a) { return at(a, 'A', 10) || at(a, 'A', 12); };
       m.erase(std::remove_if(m.begin(), m.end(), unresolved), m.end());
     }},
    // Found by their backbone alone: modified residues whose links are
    // beyond a bond's length (moved 5 A), one with waters and an ion listed
    // between it and its neighbours, one alone between two gaps.
    {"long", [](Atoms& m) {
       as_hetero(m, 'B', 5, "OMG B   5");
       as_hetero(m, 'A', 42, "MSE A  42");
       m = displaced(m, [](const AtomLine& a) { return at(a, 'B', 5) || at(a, 'A', 42); }, 5, 0, 0);
     }},
    {"waters", [](Atoms& m) {
       as_hetero(m, 'C', 5, "PSU C   5");
       auto c5 = [](const AtomLine& a) { return at(a, 'C', 5); };
       m.insert(after_last(m, c5), AtomLine{"HETATM 9997  O   HOH W   2      40.000  50.000  50.000"});
       m.insert(std::find_if(m.begin(), m.end(), c5), AtomLine{"HETATM 9998  O   HOH W   1      45.000  50.000  50.000"});
       m.insert(m.begin(), AtomLine{"HETATM 9999 NA    NA C   5      50.000  50.000  50.000"});
     }},
    {"gaps", [](Atoms& m) { m.erase(std::remove_if(m.begin(), m.end(), beside_c5), m.end()); }},
    {"alone", [](Atoms& m) {
       m.erase(std::remove_if(m.begin(), m.end(), beside_c5), m.end());
       as_hetero(m, 'C', 5, "PSU C   5");
     }},
    // Ligands that hold a backbone, and a phosphate, numbered in a gap or
    // between numbering segments (A26 on from 1026, as in fusion
    // constructs), listed in the gap, after the chains, or first in the
    // file under the id of a PSU in its place.
    {"gap30", [](Atoms& m) { erase_range(m, 'A', 30, 32); }},
    {"po4", [](Atoms& m) {
       erase_range(m, 'A', 30, 32);
       add_ligand(m, after_last(m, [](const AtomLine& a) { return at(a, 'A', 29); }), "PO4 A  31", {" P  ", " O1 "});
     }},
    {"gapb", [](Atoms& m) { erase_range(m, 'B', 5, 7); }},
    {"gtp", [](Atoms& m) {
       erase_range(m, 'B', 5, 7);
       add_ligand(m, m.end(), "GTP B   6", {" PA ", " C4'", " C3'", " O3'"});
     }},
    {"segments", two_segments},
    {"sam", [](Atoms& m) {
       two_segments(m);
       add_ligand(m, m.end(), "SAM A 401", {" N  ", " CA ", " C  ", " SD "});
     }},
    {"psu", [](Atoms& m) { as_hetero(m, 'C', 5, "PSU C   5"); }},
    {"gtpfirst", [](Atoms& m) {
       as_hetero(m, 'C', 5, "PSU C   5");
       add_ligand(m, m.begin(), "GTP C   5", {" C4'", " C3'", " O3'"});
     }},
    // Ids against the links: a 5IU between its neighbours' ids (6B, in
    // place or moved off its links), or linked to 6A, listed before it (6).
    {"down", [](Atoms& m) { numbered_down(m, 0); }},
    {"down5iu", [](Atoms& m) { numbered_down(m, 4); }},
    {"down6b", [](Atoms& m) {
       m = displaced(m, [](const AtomLine& a) { return at(a, 'B', 4); }, 5, 0, 0);
       numbered_down(m, 4);
     }},
    {"down6", [](Atoms& m) { numbered_down(m, 6); }},
    // Deuterium for every hydrogen, as neutron structures name them, and
    // no waters or ions, so that -n needs no other rule.
    {"deu", [](Atoms& m) {
       m.erase(std::remove_if(m.begin(), m.end(), [](const AtomLine& a) { return a.text[0] == 'H'; }), m.end());
       for (AtomLine& a : m)
         if (a.is_hydrogen()) a.text[12 + a.name().find('H')] = 'D';
     }},
  };
  for (const auto& c : classes)
    for (int model : {1, 2})
      for (int offset : {0, 100}) {
        Atoms atoms = read_atoms(example(model));
        c.second(atoms);
        for (AtomLine& a : atoms) a.set_number(a.number() + offset);
        write_atoms(dir.file(c.first + std::to_string(model) + (offset ? "r" : "") + ".pdb"), atoms);
      }
  write_without(2, {}, 100, "m2r.pdb");
  write_without(2, {" C4 B8", " C6 B6", " C  A5"}, 100, "p2r.pdb");
  const std::string critical = " is missing one or more critical atoms.\n";
  const std::string critical1 = "Residue G-B5" + critical + "Residue C-C3" + critical + "Residue VAL-A4" + critical;
  const std::string critical2 = "Residue T-B106" + critical + "Residue A-B108" + critical + "Residue THR-A105" + critical;
  ASSERT_EQ(symlink(example(2).c_str(), dir.file("x[1].pdb").c_str()), 0);
  ASSERT_EQ(symlink(example(3).c_str(), dir.file("x1.pdb").c_str()), 0);
  write_file(dir.file("a.pdb"), read_file(dir.file("m2.pdb")));
  ASSERT_EQ(symlink("a.pdb", dir.file("link.pdb").c_str()), 0);
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(dir.file("noreader").c_str(), 0600), 0);
  const std::string one = example(1), doc = std::string(TOLVA_SOURCE_DIR) + "/examples/1lcd-model1-dna.xml.gz";
  write_file(dir.file("list"), one + "\n" + resolved("@x[1].pdb\n", dir));
  write_file(dir.file("vptr.supp"), "vptr:*\n");

  struct Case
  {
    std::string command;  // a shell line; "tolva" runs the tool, '@' is the folder
    int status;
    std::string out;  // a pattern
    std::string err;  // exactly
  };
  auto unused = [](const std::string& k) {
    return "Residues " + k + " not used in alignment\nResidues " + k + " not used in comparison\n";
  };
  const std::string rmsd12 = "^\n  RMSD = 1\\.29253 Angstroms\n\n$", zero = "^\n  RMSD = 0 Angstroms\n\n$";
  const std::string gapped = "^\n  RMSD = 1\\.30276 Angstroms\n\n$";
  const std::string lost1Rmsd = "^\n  RMSD = 1\\.32036 Angstroms\n\n$", lost2Rmsd = "^\n  RMSD = 1\\.30018 Angstroms\n\n$";
  // Thirty-two pipes, the first named again last: under 64, 29 descriptors
  // are free, too few to keep every copy, enough for eight in flight. Each
  // copy must go once its last naming is loaded, the first stay to the end.
  std::string pipes;
  for (int k = 0; k < 32; ++k) pipes += " <(cat " + one + ")";
  const std::string noCopy = "tolva:4.0: File /dev/stdin could not be read: no copy of the pipe could be made: no "
                             "file descriptor is left (Too many open files).\n";
  const std::string pipeZeros = "^\nResults of comparison with /dev/stdin:\n(  /dev/fd/[0-9]+: 0 Angstroms\n){33}\n?$";
  const std::string shim = "ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 LD_PRELOAD=" TOLVA_CALL_SHIM " ";
  // A FIFO's writer in the background ends with its row: a run that never
  // opens the FIFO leaves no writer to feed a later row's run.
  const std::string reaped = "; s=$?; kill $! 2>&-; wait; exit $s";
  std::string throughStdin;
  for (const char* p : {"/dev/stdin@a.pdb", "/dev/stdin/", "/proc/self/fd/0/.", "/proc/self/fd/0/*.pdb"})
    throughStdin += "tolva:4.0: File " + std::string(p) + " could not be read: Bad file descriptor.\n";
  // Runs its arguments where /proc is not mounted. The sanitizers read
  // their options and the process's maps there: for them /proc holds the
  // run's own entries, but for its descriptors, which no name reaches.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  write_file(dir.file("noproc"),
    "r=" + dir.file("realproc") + "; [ -d $r/self ] || { mkdir -p $r && mount --rbind /proc $r; } || exit 1\n"
    "mount -t tmpfs tmpfs /proc && mkdir /proc/$$ && ln -s $$ /proc/self || exit 1\n"
    "for e in $r/$$/*; do n=${e##*/}; case $n in fd | fdinfo) continue ;; esac\n"
    "  if [ -L $e ]; then ln -s \"$(readlink $e)\" /proc/$$/$n\n"
    "  elif [ -d $e ]; then mkdir /proc/$$/$n && mount --bind $e /proc/$$/$n\n"
    "  else : > /proc/$$/$n && mount --bind $e /proc/$$/$n; fi\n"
    "done\nexec \"$@\"\n");
#else
  write_file(dir.file("noproc"), "mount -t tmpfs tmpfs /proc && exec \"$@\"\n");
#endif
  const Case cases[] = {
    // By order, the residue validation leaves out leaves its own gap: the
    // RMSD is the one by id.
    {"tolva " + one + " @m2.pdb", 0, gapped, unused("B3")},
    {"tolva -e " + one + " @m2-renumbered.pdb", 0, gapped, unused(sortedGap)},
    {"tolva -f " + one + " @m2-renumbered.pdb", 0, gapped, unused("3")},
    {"tolva @p1.pdb " + example(2), 0, lost1Rmsd, critical1},
    {"tolva -e @p1.pdb @m2r.pdb", 0, lost1Rmsd, critical1},
    // 1.30018 A by id; the file holds chains B and C, of 11 nucleotides
    // each, before chain A.
    {"tolva -f " + one + " @p2r.pdb", 0, lost2Rmsd, critical2 + unused("6,8,27")},
    {"tolva -e @alt1.pdb @omg2r.pdb", 0, "RMSD = 1\\.30584 ", "Residue SER-A3" + critical + unused("56")},
    {"tolva -f @omg1.pdb @mse2r.pdb", 0, "RMSD = 1\\.28291 ", unused("23")},
    {"tolva -e @mse1.pdb @ade2r.pdb", 0, "RMSD = 1\\.26997 ", ""},
    {"tolva -f @ade1.pdb @alt2r.pdb", 0, "RMSD = 1\\.29253 ", "Residue SER-A103" + critical},
    {"tolva -e @gap1.pdb @gap2r.pdb", 0, "RMSD = 1\\.29188 ", ""},
    // Hydrogens never count, however named: the RMSD of the models with H.
    {"tolva -n @deu1.pdb @deu2.pdb", 0, "RMSD = 1\\.28916 ", ""},
    // Two molecules by order: the user's mistake. Residue 1 of the DNA
    // document lacks its phosphate, so its gap pairs nothing with MET A1.
    {"tolva -e " + doc + " " + one, 1, "^$", "tolva:4.0: Unsupported type correspondence: dA with LYS\n"},
    // A FIFO without writer after a file that fails: -j 8 ends as -j 1 does.
    {"tolva -c -j 8 " + one + " @nosuch.pdb @fifo", 1, "^$",
     "File @nosuch.pdb No such file or directory\ntolva:4.0: File @nosuch.pdb not found.\n"},
    // Pipes, read once: the document plain and gzip, and a gzip PDB file.
    {"zcat " + doc + " | tolva /dev/stdin " + one, 0, zero, ""},
    {"cat " + doc + " | tolva -j 4 /dev/stdin " + one, 0, zero, ""},
    {"tolva <(zcat " + doc + ") " + one, 0, zero, ""},
    {"dd status=none if=" + example(2) + " of=@fifo & tolva " + one + " @fifo" + reaped, 0, rmsd12, ""},
    // One pipe named twice, under one name or two, is read once, at -j 1
    // as at -j 8, and each copy is freed after its last naming; a copy
    // that cannot be made names its folder, or the want of a descriptor.
    {"cat " + one + " | tolva /dev/stdin /dev/stdin", 0, zero, ""},
    {"cat " + one + " | tolva -j 8 /dev/stdin /dev/fd/0", 0, zero, ""},
    {"dd status=none if=" + example(2) + " of=@fifo & tolva @fifo @fifo" + reaped, 0, zero, ""},
    {"cat " + one + " | prlimit --nofile=64:64 tolva -c /dev/stdin" + pipes + " /dev/fd/0", 0, pipeZeros, ""},
    {"cat " + one + " | prlimit --nofile=64:64 tolva -c -j 8 /dev/stdin" + pipes + " /dev/fd/0", 0, pipeZeros, ""},
    // Descriptor 3 alone is free: the pipe takes it, its copy finds none.
    // The undefined-behaviour checker needs two to check a type: off here.
    {"cat " + one + " | UBSAN_OPTIONS=suppressions=@vptr.supp prlimit --nofile=4:4 tolva /dev/stdin " + one, 1, "^$",
     noCopy},
    // So it is when the readers' opens of the copy find none (the shim's
    // doing: the RNAML reader's, then the PDB reader's).
    {"for n in 1 2; do cat " + one + " | ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 LD_PRELOAD=" +
       TOLVA_CALL_SHIM + " SHIM_EMFILE_AT=$n tolva /dev/stdin " + one + "; done", 1, "^$", noCopy + noCopy},
    // The RNAML reader's gzip stream takes a descriptor of its own.
    {"for f in " + doc + " /dev/stdin; do zcat " + doc + " | ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 "
       "LD_PRELOAD=" + TOLVA_CALL_SHIM + " SHIM_EMFILE_DUP=1 tolva $f " + one + "; done", 1, "^$",
     "tolva:4.0: File " + doc + " could not be read: Too many open files.\n" + noCopy},
    {"cat " + one + " | TMPDIR=@nosuch tolva /dev/stdin " + one, 1, "^$",
     "tolva:4.0: File /dev/stdin could not be read: no copy of the pipe could be made in @nosuch: No such file or "
     "directory.\n"},
    // A name of an existing file is no pattern.
    {"tolva " + one + " '@x[1].pdb'", 0, rmsd12, ""},
    {"tolva -o @list -i @list", 1, "^$", "tolva:4.0: Alignment file @list is one of the input files.\n"},
    {"tolva -i @list", 0, rmsd12, ""},
    // -o over an input, under its name or through a link.
    {"tolva -o @a.pdb @a.pdb " + one, 1, "^$", "tolva:4.0: Alignment file @a.pdb is one of the input files.\n"},
    {"tolva -o @link.pdb -j 4 " + one + " @a.pdb", 1, "^$",
     "tolva:4.0: Alignment file @link.pdb is one of the input files.\n"},
    {"tolva -o @out.pdb " + one + " @a.pdb", 0, gapped, unused("B3")},
    // An -o file that cannot be made is known before any input is read.
    {"tolva -o @nosuch/out.pdb " + one + " @fifo", 1, "^$",
     "tolva:4.0: Cannot write alignment file @nosuch/out.pdb: No such file or directory.\n"},
    // Through a link the file it names is made, not the link replaced; a
    // link into no folder, or round, fails as the file would, and stays.
    {"mkdir @sub && ln -s sub/new.pdb @lnk && tolva -c -o @lnk " + one + " @a.pdb >/dev/null 2>&1 && test -L @lnk && "
       "grep -c ^END @sub/new.pdb && ls @sub", 0, "^1\nnew.pdb\n$", ""},
    // Every name the kernel's open takes: an existing file through a link,
    // two links, an absolute one, 40 in a row, one whose folder and text
    // together are longer than a path (1,800 and 2,458 characters), a name
    // whose temporary's would be too long; the links stay, no temporary.
    {"mkdir @t && cd @t && d=$(printf %0199d 0 | tr 0 d) && f=$d/$d/$d/$d/$d/$d/$d/$d/$d && mkdir -p $f/x && "
       "n=$(printf %0250d 0 | tr 0 n) && for e in e1 e2 abs c40 $f/deep; do echo old > $e.pdb; done && ln -s e1.pdb e1 "
       "&& ln -s e2b e2 && ln -s e2.pdb e2b && ln -s @t/abs.pdb abs && ln -s c40.pdb l40 && for i in $(seq 39); do "
       "ln -s l$((41 - i)) l$((40 - i)); done && ln -s $(printf 'x/../%.0s' $(seq 490))deep.pdb $f/deep && for l in "
       "e1 e2 abs l1 $f/deep; do tolva -c -o $l " + one + " @a.pdb && test -L $l && grep -c ^END ${l%1}.pdb; done "
       ">/dev/null 2>&1; grep -c ^END e1.pdb e2.pdb abs.pdb c40.pdb $f/deep.pdb; tolva -c -o $n " + one + " @a.pdb "
       ">/dev/null 2>&1; grep -c ^END $n; find . -name '*.?????\?' | wc -l", 0, "^(.*:1\n){5}1\n0\n$", ""},
    // A descriptor whose file has no name (deleted while open, a memfd)
    // is written through the run's own, as a pipe is, and no file is made
    // after its link's text; another process's is refused.
    {"exec 3>@log && echo kept >&3 && rm @log && for o in /dev/stdout /dev/fd/1 /proc/self/fd/1; do tolva -c -o $o " +
       one + " " + example(2) + " >&3; done; grep -c -e ^END -e ^kept -e 'RMSD =' /proc/self/fd/3; python3 -c "
       "\"import os, subprocess as s; f = os.memfd_create('tolva-row'); s.run(['$T', '-c', '-o', '/dev/fd/%d' % f, '" +
       one + "', '" + example(2) + "'], pass_fds=[f], stdout=s.DEVNULL); print(os.pread(f, 1 << 20, 0).count(b'END "
       "  '))\"; ls -a @ / | grep -e 'log (deleted)' -e memfd:tolva-row | wc -l; exec 4>@log && rm @log && tolva -o "
       "/proc/$$/fd/4 " + one + " @fifo 4>&- 2>&1 | sed s/$$/PID/",
     0, "^7\n1\n0\ntolva:4.0: Cannot write alignment file /proc/PID/fd/4: Bad file descriptor\\.\n$", ""},
    // Nor 41 links, also where one of them is a folder's.
    {"ln -s nosuch/new.pdb @lnk2 && ln -s lnk3 @lnk4 && ln -s lnk4 @lnk3 && ln -s t/l1 @l0 && ln -s t @td && ln -s "
       "td/l2 @ld && for l in lnk2 lnk3 l0 ld; do tolva -c -o @$l " + one + " @fifo; test -L @$l || echo replaced; "
       "done", 0, "^$",
     "tolva:4.0: Cannot write alignment file @lnk2: No such file or directory.\ntolva:4.0: Cannot write alignment "
     "file @lnk3: Too many levels of symbolic links.\ntolva:4.0: Cannot write alignment file @l0: Too many levels of "
     "symbolic links.\ntolva:4.0: Cannot write alignment file @ld: Too many levels of symbolic links.\n"},
    // So /dev/stdout where /proc is not mounted (a private /dev and /proc).
    {"if unshare -rm true 2>&-; then unshare -rm sh -c 'mount -t tmpfs tmpfs /dev && ln -s /proc/self/fd/1 "
     "/dev/stdout && sh @noproc \"$T\" -c -o /dev/stdout " + one + " @fifo; test -L /dev/stdout && ls /dev'; "
     "else : > @no-unshare; echo stdout; echo \"$E\" >&2; fi",
     0, "^stdout\n$", "tolva:4.0: Cannot write alignment file /dev/stdout: No such file or directory.\n"},
    // A report that does not get through fails the run, and its -o file.
    {"tolva -o @full.pdb " + one + " @a.pdb > /dev/full", 1, "^$",
     unused("B3") + "tolva:4.0: Cannot write standard output: No space left on device.\n"},
    {"tolva -o @closed.pdb " + one + " @a.pdb >&-", 1, "^$",
     unused("B3") + "tolva:4.0: Cannot write standard output: Bad file descriptor.\n"},
    // A closed standard error: its lines go nowhere, above all not into -o.
    {"tolva -o @noerr.pdb " + one + " @a.pdb 2>&-", 0, gapped, ""},
    // A standard descriptor the run was started without is never read or
    // written, nor taken by another file, even without /dev/null (an empty
    // /dev where unshare is allowed); an -o file there fails at once.
    {"tolva -c -j 8 " + one + " @a.pdb /dev/stdin " + example(3) + " <&-", 1, "^$",
     "tolva:4.0: File /dev/stdin could not be read: Bad file descriptor.\n"},
    {"tolva -i /dev/stdin <&-", 1, "^$", "file named \"/dev/stdin\" failed to open: Bad file descriptor\n"},
    {"tolva -o /dev/stdout " + one + " @fifo >&-", 1, "^$",
     "tolva:4.0: Cannot write alignment file /dev/stdout: Bad file descriptor.\n"},
    {"tolva -o /dev/stderr " + one + " @fifo 2>&-", 1, "^$", ""},
    // Nor is any path that goes on through such a name, nor the folder
    // copies are made in; "/" and a link of one's own to it are no
    // stand-in.
    // So with no socket to stand in, where only links to "/" could be.
    {"cd / && for r in '' socket; do for p in /dev/stdin@a.pdb /dev/stdin/ /proc/self/fd/0/. "
       "'/proc/self/fd/0/*.pdb'; do " + shim + "SHIM_REFUSE=$r tolva " + one + " \"$p\" <&-; done; done", 1, "^$",
     throughStdin + throughStdin},
    {"cd / && tolva -i /proc/self/fd/0/.@list <&-", 1, "^$",
     "file named \"/proc/self/fd/0/.@list\" failed to open: Bad file descriptor\n"},
    {"cd / && for r in '' socket; do " + shim + "SHIM_REFUSE=$r tolva -c -o /dev/stderr@through.pdb " + one +
       " @a.pdb 2>&-; done", 1, "^$", ""},
    // No name opens a stand-in again, not even once its check is past.
    {"mkfifo @fifo2; \"$T\" @fifo2 " + one + " <&- >&- 2>&- & exec 4>@fifo2; for d in 0 1 2; do (: < /proc/$!/fd/$d) "
       "2>&- && echo $d read; (: > /proc/$!/fd/$d) 2>&- && echo $d written; done; exec 4>&-; wait $!", 1, "^$", ""},
    // A link of one's own to "/" is read and written as always, but where
    // no socket can be made: "/" stands in then, so a link to it (one's
    // own, /proc/self/root) may be a closed descriptor's name, and is
    // refused as one, while "/" itself is not.
    {"ln -s / @root2 && for r in '' socket; do for p in @root2@a.pdb /proc/self/root@a.pdb; do " + shim +
       "SHIM_REFUSE=$r tolva " + one + " \"$p\" <&- >/dev/null; done; " + shim + "SHIM_REFUSE=$r tolva -c -o "
       "@root2@refused$r.pdb " + one + " @a.pdb 2>&- >/dev/null || echo $r refused; done; grep -c ^END @refused.pdb",
     0, "^socket refused\n1\n$",
     unused("B3") + unused("B3") + "tolva:4.0: File @root2@a.pdb could not be read: Bad file descriptor.\n"
     "tolva:4.0: File /proc/self/root@a.pdb could not be read: Bad file descriptor.\n"},
    {"cat " + one + " | TMPDIR=/dev/stdout tolva /dev/stdin " + one + " >&-", 1, "^$",
     "tolva:4.0: File /dev/stdin could not be read: no copy of the pipe could be made in /dev/stdout: Bad file "
     "descriptor.\n"},
    {"tolva -o / " + one + " /dev/stdin <&-; tolva -o /dev/stdin " + one + " /dev/stdin <&-", 1, "^$",
     "tolva:4.0: Cannot write alignment file /: Is a directory.\ntolva:4.0: Cannot write alignment file /dev/stdin: "
     "Bad file descriptor.\n"},
    {"ln -s / @root && tolva " + one + " @root@a.pdb <&-", 0, gapped, unused("B3")},
    // Nor where /proc is not mounted (the address checker needs it).
    {"if unshare -rm true 2>&-; then unshare -rm sh -c 'sh @noproc \"$T\" " + one + " @root@a.pdb <&- >/dev/null && "
     "sh @noproc \"$T\" -c -o @root@noproc.pdb " + one + " @a.pdb 2>&- >/dev/null' && grep -c ^END @noproc.pdb; "
     "else : > @no-unshare; \"$T\" " + one + " @a.pdb >/dev/null; echo 1; fi",
     0, "^1\n$", unused("B3")},
    {"export n='-o @nonull.pdb -c " + one + " " + example(2) + " " + example(3) + "'; if unshare -rm true 2>&-; then "
     "unshare -rm sh -c 'mount -t tmpfs tmpfs /dev && tolva $n >&-'; else : > @no-unshare; tolva $n >&-; fi", 1, "^$",
     "tolva:4.0: Cannot write standard output: Bad file descriptor.\n"},
    // A reader gone (a FIFO whose only reader is closed): the run dies of
    // SIGPIPE, or ends quietly with status 1 when SIGPIPE is ignored.
    {"exec 3<>@noreader 4>@noreader 3<&-; tolva -c " + one + " " + example(2) + " >&4; exit $?", 141, "^$", ""},
    {"exec 3<>@noreader 4>@noreader 3<&-; trap '' PIPE; tolva -c " + one + " " + example(2) + " >&4", 1, "^$", ""},
  };
  const std::string kept = read_file(dir.file("a.pdb"));
  const std::vector<std::pair<std::string, std::string>> env = {
    {"T", TOLVA_BINARY}, {"E", "tolva:4.0: Cannot write alignment file /dev/stdout: No such file or directory."}};
  for (const Case& c : cases) {
    std::string line = resolved(c.command, dir);
    for (size_t at = 0; (at = line.find("tolva ", at)) != std::string::npos;) {
      line.replace(at, 6, "\"$T\" ");
      at += 5;
    }
    // A row that hangs ends with all it started (timeout signals its
    // process group), and the next rows run.
    ToolRun run = run_program("/usr/bin/timeout", {"-k", "10", kRowSeconds, "/bin/bash", "-c", line}, "", env);
    EXPECT_EQ(run.status, c.status) << line << "\n" << run.err;
    EXPECT_TRUE(std::regex_search(run.out, std::regex(c.out))) << line << "\n" << run.out;
    EXPECT_EQ(run.err, resolved(c.err, dir)) << line;
  }
  // The classes found by their backbone, as first file and as second.
  for (const auto& p : std::vector<std::pair<std::string, std::string>>{
         {"omg", "long"}, {"long", "omg"}, {"waters", "omg"}, {"omg", "waters"}, {"alone", "gaps"}, {"gaps", "alone"},
         {"po4", "gap30"}, {"gap30", "po4"}, {"gtp", "gapb"}, {"gapb", "gtp"}, {"sam", "segments"},
         {"segments", "sam"}, {"gtpfirst", "psu"}, {"psu", "gtpfirst"}, {"down5iu", "down"}, {"down", "down5iu"}, {"down6b", "down"}, {"down", "down6b"},
         {"down6", "down"}, {"down", "down6"}}) {
    const std::string by_id = run_tolva({dir.file(p.first + "1.pdb"), dir.file(p.second + "2.pdb")}).out;
    EXPECT_NE(by_id.find("RMSD = "), std::string::npos) << p.first << " " << p.second;
    for (const char* order : {"-e", "-f"})
      EXPECT_EQ(run_tolva({order, dir.file(p.first + "1.pdb"), dir.file(p.second + "2r.pdb")}).out, by_id)
        << order << " " << p.first << " " << p.second;
  }
  // Chains that share a blank id, told apart by their TER records, full or
  // cut short to the name: 3MHT (DNA C and D, protein A, then SAH A328 and
  // the waters) numbered 1..N in id order, against itself, with SAH listed
  // after D433's TER, ahead of A1, its id between theirs.
  Atoms mht = read_atoms(test_data("pdb/3MHT.pdb.gz"), true);
  std::stable_partition(std::find_if(mht.begin(), mht.end(), [](const AtomLine& a) { return at(a, 'A', 1); }),
                        mht.end(), [](const AtomLine& a) { return a.residue_name() == "SAH"; });
  std::map<std::string, int> numbers;  // by chain, number and insertion code
  for (const AtomLine& a : mht) numbers[a.text.substr(21, 6)];
  int n = 0;
  for (auto& id : numbers) id.second = ++n;
  for (AtomLine& a : mht) {
    a.set_number(numbers.at(a.text.substr(21, 6)));
    a.text[21] = a.text[26] = ' ';
  }
  write_atoms(dir.file("3mht-blank.pdb"), mht);
  for (AtomLine& a : mht)
    if (a.text.compare(0, 3, "TER") == 0) a.text = "TER";
  write_atoms(dir.file("3mht-bare.pdb"), mht);
  for (const char* file : {"3mht-blank.pdb", "3mht-bare.pdb"})
    for (const char* order : {"-e", "-f"})
      EXPECT_EQ(run_tolva({order, test_data("pdb/3MHT.pdb.gz"), dir.file(file)}).out, "\n  RMSD = 0 Angstroms\n\n")
        << order << " " << file;
  EXPECT_EQ(read_file(dir.file("a.pdb")), kept);
  EXPECT_FALSE(read_file(dir.file("out.pdb")).empty());
  EXPECT_EQ(read_file(dir.file("noerr.pdb")).find("Residues"), std::string::npos);
  // No -o file of a failed run, nor any temporary file, is left.
  const std::string none = "full.pdb* closed.pdb* out.pdb.* noerr.pdb.* nonull* through* refused.pdb.* refusedsocket*";
  EXPECT_EQ(run_program("/bin/sh", {"-c", "cd " + dir.path() + " && echo " + none}).out, none + "\n");
  if (access(dir.file("no-unshare").c_str(), F_OK) == 0) GTEST_SKIP() << "no unshare here: /dev/null stayed";
}
