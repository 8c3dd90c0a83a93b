#include <functional>
#include <map>
#include <regex>
#include <sstream>

#include "RnamlSupport.h"

using rnaml_test::Element;
using rnaml_test::elements;
using rnaml_test::Field;
using rnaml_test::fields;
using rnaml_test::grown;
using rnaml_test::printed;
using rnaml_test::xml;
using vortan_test::MemoryBudget;
using vortan_test::Stderr;

namespace {

// The tags in code order, and what each new record writes, by hand from the
// element forms: an empty element, except the numbers written always, the
// coordinates, and the two elements that cannot be written without a child.
const char* const tags =
  "affiliation alignment alignment-id ali-sequence analysis atom author base base-conformation "
  "base-id base-id-5p base-id-3p base-pair base-pair-id base-stack base-torsion-angles "
  "book-title consensus-molecule database-entry date distance-constraint editor free-energy "
  "file helix helix-id identity interactions issue journal method model model-id model-info "
  "modification molecule molecule-class molecule-id numbering-range numbering-system "
  "numbering-table pages path rnaml person prog-name program prog-version pseudoknot "
  "pubmed-id reference resolution revision secondary-structure-display segment "
  "seq-annotation seq-data sequence single-strand ss-base-coord str-annotation structure "
  "surface-constraint taxonomy title url volume base-triple - - - length end";
const std::string largest = "340282346638528859811704183484516925440.000000";
const std::map<std::string, std::string> not_empty = {
  {"Atom", "<atom><coordinates>0.000000 0.000000 0.000000</coordinates></atom>"},
  {"SsBaseCoord", "<ss-base-coord><coordinates>0.000000 0.000000</coordinates></ss-base-coord>"},
  {"FreeEnergy", "<free-energy>" + largest + "</free-energy>"},
  {"Resolution", "<resolution>" + largest + "</resolution>"},
  {"Issue", "<issue>-1</issue>"}, {"Volume", "<volume>-1</volume>"},
  {"Length", "<length>-1</length>"}, {"End", "<end>-1</end>"},
  {"Pages", "<pages>-1,-1</pages>"}, {"PcData", ""},
  {"Path", "<null>"}, {"BaseTriple", "<null>"},
  {"Unmarshaller", "<null>"}, {"Marshaller", "<null>"},
};

const char* const invalid_report = ":object:[0-9]+: Invalid rnaml structure\\.\n";

}  // namespace

TEST(RnamlElements, EveryNewRecordIsItsElementAndClonesWritesAndDeletes)
{
  ASSERT_EQ(elements().size(), 73u);
  std::istringstream tag_words(tags);
  for (size_t i = 0; i < elements().size(); ++i) {
    const Element& e = elements()[i];
    std::string tag;
    tag_words >> tag;
    const std::string expected = not_empty.count(e.name) ? not_empty.at(e.name) : "<" + tag + "/>";
    const Element& next = elements()[(i + 1) % elements().size()];
    SCOPED_TRACE(e.name);
    rnamlOBJECT* record = e.make();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->magic, 43);
    EXPECT_EQ(record->code, e.code);
    EXPECT_TRUE(e.is(record));
    EXPECT_FALSE(next.is(record));

    rnamlOBJECT* copy = e.clone(record);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, record);
    EXPECT_TRUE(e.equals(record, copy));
    EXPECT_TRUE(rnamlequals(copy, record));
    rnamlOBJECT* other = next.make();
    EXPECT_FALSE(e.equals(record, other));
    EXPECT_FALSE(rnamlequals(other, record));
    // Every operation refuses a record of another element.
    EXPECT_EQ(e.clone(other), nullptr);
    EXPECT_EQ(e.toXML(other), nullptr);
    e.destroy(other);
    EXPECT_EQ(next.code, other->code) << "left alone";
    rnamldelete(other);

    Stderr err;
    EXPECT_EQ(printed(e.toXML(record)), expected);
    std::string report = err.text();
    bool writable = expected != "<null>";
    EXPECT_EQ(report.empty(), writable) << report;
    if (!writable) {
      EXPECT_TRUE(std::regex_match(report, std::regex(invalid_report))) << report;
    }
    e.destroy(record);
    rnamldelete(copy);
  }
}

TEST(RnamlElements, GenericOperationsRefuseWhatIsNoElement)
{
  rnamlOBJECT header = {43, nullptr, nullptr, nullptr, nullptr, 74};  // the code of nothing
  for (const void* p : {static_cast<const void*>(nullptr), static_cast<const void*>(&header)}) {
    Stderr err;
    EXPECT_EQ(rnamltoXML(p), nullptr);
    EXPECT_TRUE(std::regex_match(err.text(), std::regex(invalid_report)));
    EXPECT_EQ(rnamlclone(p), nullptr);
    rnamldelete(const_cast<void*>(p));
  }
  EXPECT_FALSE(rnamlisUnmarshaller(&header));
  EXPECT_FALSE(rnamlisMarshaller(&header));
  EXPECT_TRUE(rnamlequals(nullptr, nullptr));
  rnamlOBJECT* base = rnamlnewBase();
  EXPECT_FALSE(rnamlequals(base, nullptr));
  EXPECT_FALSE(rnamlequals(nullptr, base));
  rnamldelete(base);
}

// A record of every element with every field filled, three levels deep: the
// clone is equal and shares nothing (it outlives the original), and a change
// of any one field of the copy, or of one leaf deep down, makes them differ.
TEST(RnamlElements, DeepCloneAndEqualityCoverEveryField)
{
  for (const Element& e : elements()) {
    if (e.code == rnamlCodeUnmarshaller || e.code == rnamlCodeMarshaller) continue;
    SCOPED_TRACE(e.name);
    rnamlOBJECT* rich = grown(e.make(), 3, 0);
    rnamlOBJECT* copy = rnamlclone(rich);
    ASSERT_TRUE(rnamlequals(rich, copy));
    std::string text = xml(rich);
    EXPECT_NE(text, "<null>");
    for (const Field& f : fields()) {
      if (f.code != e.code) continue;
      rnamlOBJECT* changed = e.clone(rich);
      f.set(changed, 1, 1);
      EXPECT_FALSE(e.equals(rich, changed)) << f.name;
      EXPECT_FALSE(rnamlequals(changed, rich)) << f.name;
      rnamldelete(changed);
    }
    rnamldelete(rich);
    EXPECT_EQ(xml(copy), text);
    rnamldelete(copy);
  }
  rnamlOBJECT* molecule = grown(rnamlnewMolecule(), 4, 0);
  rnamlOBJECT* copy = rnamlcloneMolecule(molecule);
  void* model = vortangetListLast(rnamlgetStructureModels(rnamlgetMoleculeStructure(copy)));
  void* base = vortangetListLast(rnamlgetModelBases(static_cast<rnamlOBJECT*>(model)));
  void* atom = vortangetListLast(rnamlgetBaseAtoms(static_cast<rnamlOBJECT*>(base)));
  ASSERT_TRUE(rnamlisAtom(atom));
  rnamlsetAtomZ(static_cast<rnamlOBJECT*>(atom), 2.5f);
  EXPECT_FALSE(rnamlequals(molecule, copy));
  rnamldelete(molecule);
  rnamldelete(copy);
}

TEST(RnamlElements, AChildThatCannotBeWrittenFailsTheWholeMolecule)
{
  rnamlOBJECT* molecule = grown(rnamlnewMolecule(), 3, 0);
  rnamlOBJECT* triple = rnamlnewBaseTriple();
  rnamlsetBaseTripleChild1(triple, rnamlnewBasePair());
  rnamlsetBaseTripleChild2(triple, rnamlnewBasePairId());
  rnamlOBJECT* annotation = rnamlnewStrAnnotation();
  rnamladdStrAnnotationChild(annotation, triple);
  rnamlOBJECT* model = rnamlnewModel();
  rnamlsetModelStrAnnotation(model, annotation);
  rnamlOBJECT* structure = rnamlgetMoleculeStructure(molecule);
  ASSERT_TRUE(rnamladdStructureModel(structure, model));
  {
    Stderr err;
    EXPECT_EQ(rnamltoXMLMolecule(molecule), nullptr);
    EXPECT_TRUE(std::regex_match(err.text(), std::regex(invalid_report)));
  }
  rnamlsetBaseTripleChild3(triple, rnamlnewBasePairId());
  EXPECT_NE(xml(molecule), "<null>");
  rnamldelete(molecule);
}

// Under every failing allocation a constructor, a deep clone and a
// conversion give null, leave nothing allocated (the sanitizer build checks)
// and say that memory ran out.
TEST(RnamlElements, RunningOutOfMemoryLeavesNothing)
{
  rnamlOBJECT* rich = grown(rnamlnewMolecule(), 4, 0);
  const std::string whole = xml(rich);
  std::vector<std::function<void*()>> attempts = {
    [] { return rnamlnewBase(); },
    [&] { return rnamlclone(rich); },
    [&] { return rnamltoXML(rich); },
  };
  const std::regex out_of_memory("(.*\n)*:[^:]+:[0-9]+: Out of [Mm]emory\n(.*\n)*");
  for (size_t i = 0; i < attempts.size(); ++i) {
    for (long budget = 0;; ++budget) {
      void* result;
      std::string report;
      bool failed;
      {
        MemoryBudget limit(budget);
        Stderr err;
        result = attempts[i]();
        report = err.text();
        failed = MemoryBudget::exhausted();
      }
      if (!failed) {
        ASSERT_NE(result, nullptr);
        if (i == 2) EXPECT_EQ(printed(result), whole);
        else rnamldelete(result);
        break;
      }
      EXPECT_EQ(result, nullptr) << i << " at " << budget;
      EXPECT_TRUE(std::regex_match(report, out_of_memory)) << i << " at " << budget << report;
    }
  }
  rnamldelete(rich);
}
