#include <cfloat>
#include <cmath>
#include <functional>

#include "RnamlSupport.h"

using rnaml_test::xml;

namespace {

struct Written {
  const char* what;
  std::function<rnamlOBJECT*()> build;
  const char* expected;
};

rnamlOBJECT* atom(float x, float y, float z)
{
  rnamlOBJECT* a = rnamlnewAtom();
  rnamlsetAtomX(a, x);
  rnamlsetAtomY(a, y);
  rnamlsetAtomZ(a, z);
  return a;
}

// The record after set(record, value); setters chain: with(with(r, ...), ...).
template <typename T, typename V>
rnamlOBJECT* with(rnamlOBJECT* record, void (*set)(rnamlOBJECT*, T), V value)
{
  set(record, value);
  return record;
}

template <typename V>
rnamlOBJECT* with(rnamlOBJECT* record, int (*set)(rnamlOBJECT*, V), V value)
{
  set(record, value);
  return record;
}

}  // namespace

// Exact texts through the compact printer, worked out by hand from the
// element forms.
TEST(RnamlFieldRules, RecordsWriteTheirExactXml)
{
  const std::vector<Written> cases = {
    {"coordinates always, other zero floats not", [] {
       rnamlOBJECT* a = atom(1.5f, -2.25f, 0.0f);
       rnamlsetAtomTempFactor(a, 12.125f);
       return a;
     },
     "<atom><coordinates>1.500000 -2.250000 0.000000</coordinates>"
     "<temp-factor>12.125000</temp-factor></atom>"},
    {"header attributes before own attributes", [] {
       rnamlOBJECT* a = rnamlnewAtom();
       rnamlsetAtomSerial(a, "7");
       rnamlsetObjectComment(a, "");
       rnamladdObjectReferenceId(a, "r1");
       rnamladdObjectReferenceId(a, "r2");
       rnamladdObjectDatabaseId(a, "d");
       return a;
     },
     "<atom comment=\"\" reference-ids=\"r1 r2\" database-ids=\"d\" serial=\"7\">"
     "<coordinates>0.000000 0.000000 0.000000</coordinates></atom>"},
    {"NaN as nan", [] { return atom(NAN, -NAN, INFINITY); },
     "<atom><coordinates>nan nan inf</coordinates></atom>"},
    {"pages", [] {
       return with(with(rnamlnewPages(), rnamlsetPagesStartPage, 5), rnamlsetPagesEndPage, 9);
     },
     "<pages>5,9</pages>"},
    {"numbering table", [] {
       rnamlOBJECT* t = with(rnamlnewNumberingTable(), rnamlsetNumberingTableLength, 3);
       return with(with(with(t, rnamladdNumberingTableValue, 1), rnamladdNumberingTableValue, 2),
                   rnamladdNumberingTableValue, 3);
     },
     "<numbering-table length=\"3\">1 2 3</numbering-table>"},
    {"free energy", [] { return with(rnamlnewFreeEnergy(), rnamlsetFreeEnergyValue, -12.5f); },
     "<free-energy>-12.500000</free-energy>"},
    {"base fields in order, char 255 absent", [] {
       rnamlOBJECT* b = with(rnamlnewBase(), rnamlsetBaseBaseType, "G");
       b = with(with(b, rnamlsetBasePosition, 0), rnamlsetBaseInsertion, 'A');
       b = with(b, rnamlsetBaseAltLoc, static_cast<char>(255));
       return with(b, rnamladdBaseAtom, atom(1, 2, 3));
     },
     "<base><position>0</position><base-type>G</base-type><insertion>A</insertion>"
     "<atom><coordinates>1.000000 2.000000 3.000000</coordinates></atom></base>"},
    {"sequence attributes", [] {
       rnamlOBJECT* s = with(rnamlnewSequence(), rnamlsetSequenceLength, 12);
       return with(with(s, rnamlsetSequenceCircular, 7), rnamlsetSequenceStrand, "A");
     },
     "<sequence strand=\"A\" length=\"12\" circular=\"true\"/>"},
    {"dna", [] { return with(rnamlnewMolecule(), rnamlsetMoleculeType, "dna"); },
     "<molecule type=\"dna\"/>"},
    {"RNA is rna", [] { return with(rnamlnewMolecule(), rnamlsetMoleculeType, "RNA"); },
     "<molecule/>"},
    {"null is rna", [] { return with(rnamlnewMolecule(), rnamlsetMoleculeType, nullptr); },
     "<molecule/>"},
    {"id as attribute", [] { return with(rnamlnewMolecule(), rnamlsetMoleculeId, "m1"); },
     "<molecule id=\"m1\"/>"},
    {"distance constraint: each base-id followed by its atom type", [] {
       rnamlOBJECT* d = rnamlnewDistanceConstraint();
       rnamlsetDistanceConstraintAtomType2(d, "N3");
       rnamlsetDistanceConstraintBaseId1(d, rnamlnewBaseId());
       rnamlsetDistanceConstraintAtomType1(d, "C4");
       rnamlsetDistanceConstraintBaseId2(d, rnamlnewBaseId());
       rnamlsetDistanceConstraintRange(d, 0.5f);
       return d;
     },
     "<distance-constraint><base-id/><atom-type>C4</atom-type><base-id/>"
     "<atom-type>N3</atom-type><range>0.500000</range></distance-constraint>"},
    {"revision text as plain text", [] {
       rnamlOBJECT* r = rnamlnewRevision();
       rnamladdRevisionChild(r, with(rnamlnewPcData(), rnamlsetPcDataValue, "fixed "));
       rnamladdRevisionChild(r, with(rnamlnewTitle(), rnamlsetTitleValue, "T"));
       rnamladdRevisionChild(r, rnamlnewPcData());
       return r;
     },
     "<revision>fixed <title>T</title></revision>"},
    {"pseudoknot with its first helix-id, cloned", [] {
       rnamlOBJECT* p = rnamlnewPseudoknot();
       rnamlsetPseudoknotHelixId1(p, with(rnamlnewHelixId(), rnamlsetHelixIdRef, "h1"));
       rnamlOBJECT* copy = rnamlclonePseudoknot(p);
       rnamldelete(p);
       return copy;
     },
     "<pseudoknot><helix-id ref=\"h1\"/></pseudoknot>"},
    {"path with a file", [] {
       rnamlOBJECT* file = with(rnamlnewFile(), rnamlsetFileValue, "a.pdb");
       return with(rnamlnewPath(), rnamlsetPathChild, file);
     },
     "<path><file>a.pdb</file></path>"},
  };
  for (const Written& c : cases) {
    rnamlOBJECT* record = c.build();
    EXPECT_EQ(xml(record), c.expected) << c.what;
    rnamldelete(record);
  }
}

// One representative of each rule: defaults and what a record of another
// element gets, characters, flags, the molecule type, and which children a
// setter or adder takes.
TEST(RnamlFieldRules, AccessorsFollowTheirKind)
{
  rnamlOBJECT* base = rnamlnewBase();
  rnamlOBJECT* sequence = rnamlnewSequence();
  rnamlOBJECT* molecule = rnamlnewMolecule();
  EXPECT_EQ(rnamlgetBasePosition(base), -1);
  EXPECT_EQ(rnamlgetBaseInsertion(base), -1);
  EXPECT_EQ(rnamlgetSequenceLength(sequence), 0);
  EXPECT_EQ(rnamlgetBasePosition(sequence), -1);
  EXPECT_EQ(rnamlgetSequenceLength(base), 0);
  EXPECT_EQ(rnamlgetFreeEnergyValue(base), FLT_MAX);
  EXPECT_EQ(rnamlgetResolutionValue(nullptr), FLT_MAX);
  EXPECT_EQ(rnamlgetAtomX(base), 0.0f);
  EXPECT_EQ(rnamlgetBaseAtoms(sequence), nullptr);
  EXPECT_EQ(rnamlgetMoleculeType(base), nullptr);
  rnamlsetBasePosition(sequence, 4);  // ignored: not a base
  EXPECT_EQ(rnamlgetSequenceLength(sequence), 0);

  rnamlsetBaseInsertion(base, static_cast<char>(0xE9));
  EXPECT_EQ(rnamlgetBaseInsertion(base), static_cast<signed char>(0xE9));
  rnamlsetBaseAltLoc(base, static_cast<char>(255));
  EXPECT_EQ(rnamlgetBaseAltLoc(base), -1);

  rnamlsetSequenceCircular(sequence, -3);
  EXPECT_EQ(rnamlgetSequenceCircular(sequence), 1);
  rnamlOBJECT* system = rnamlnewNumberingSystem();
  rnamlsetNumberingSystemUsedInFile(system, -3);
  EXPECT_EQ(rnamlgetNumberingSystemUsedInFile(system), -3);

  rnamlOBJECT* fresh = rnamlnewMolecule();
  rnamlsetMoleculeType(molecule, "dna");
  EXPECT_STREQ(rnamlgetMoleculeType(molecule), "dna");
  EXPECT_FALSE(rnamlequals(molecule, fresh));
  rnamlsetMoleculeType(molecule, "rna");
  EXPECT_TRUE(rnamlequals(molecule, fresh));

  // A typed list refuses another element, and the caller keeps it.
  rnamlOBJECT* stranger = rnamlnewMoleculeId();
  EXPECT_FALSE(rnamladdBaseAtom(base, stranger));
  EXPECT_FALSE(rnamladdBaseAtom(base, nullptr));
  EXPECT_EQ(vortansize(rnamlgetBaseAtoms(base)), 0);

  // A child setter given another element drops the old child and keeps
  // nothing; given the child it holds, it keeps it.
  rnamlOBJECT* id = rnamlnewBaseId();
  rnamlOBJECT* held = rnamlnewMoleculeId();
  EXPECT_TRUE(rnamlsetBaseIdMoleculeId(id, held));
  EXPECT_TRUE(rnamlsetBaseIdMoleculeId(id, held));
  EXPECT_EQ(rnamlgetBaseIdMoleculeId(id), held);
  EXPECT_FALSE(rnamlsetBaseIdMoleculeId(id, base));
  EXPECT_EQ(rnamlgetBaseIdMoleculeId(id), nullptr);
  rnamlOBJECT* segment = rnamlnewSegment();
  EXPECT_TRUE(rnamlsetSegmentEnd(segment, rnamlnewTitle()));  // any record
  EXPECT_FALSE(rnamlsetSegmentEnd(segment, nullptr));
  rnamlOBJECT* triple = rnamlnewBaseTriple();
  EXPECT_FALSE(rnamlsetBaseTripleChild1(triple, stranger));
  EXPECT_TRUE(rnamlsetBaseTripleChild1(triple, rnamlnewBasePairId()));
  EXPECT_TRUE(rnamlsetBaseTripleChild2(triple, rnamlnewBasePair()));

  // A text setter given the text it holds keeps it.
  rnamlsetBaseStrand(base, "A");
  rnamlsetBaseStrand(base, rnamlgetBaseStrand(base));
  EXPECT_STREQ(rnamlgetBaseStrand(base), "A");
  rnamlsetBaseStrand(base, nullptr);
  EXPECT_EQ(rnamlgetBaseStrand(base), nullptr);

  // A NaN never equals itself, so a record holding one differs from its copy.
  rnamlOBJECT* odd = atom(NAN, 0, 0);
  rnamlOBJECT* odd_copy = rnamlclone(odd);
  EXPECT_FALSE(rnamlequals(odd, odd_copy));

  for (rnamlOBJECT* r : {odd, odd_copy, base, sequence, molecule, system, fresh, stranger, id,
                         triple, segment})
    rnamldelete(r);
}
