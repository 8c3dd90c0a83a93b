// The class layer: every record kind packed into its own class, the shapes
// pack gives, copies and assignments independent of their source, and
// views that never free what their parent owns (ASan watches the rest).
#include <gtest/gtest.h>

#include <cfloat>
#include <memory>
#include <typeinfo>

#include "Elements.h"
#include "rnamlList.h"
#include "vortanObject.h"

using namespace rnaml;

namespace {

// A molecule whose structure holds `models` models of `bases` bases, each
// base holding one atom.
Molecule* molecule_with(int models, int bases)
{
  Molecule* molecule = new Molecule;
  Structure* structure = new Structure;
  for (int m = 0; m < models; ++m) {
    Model* model = new Model;
    for (int b = 0; b < bases; ++b) {
      Base* base = new Base;
      base->setPosition(10 * m + b);
      EXPECT_TRUE(base->addAtom(new Atom));
      EXPECT_TRUE(model->addBase(base));
    }
    EXPECT_TRUE(structure->addModel(model));
  }
  molecule->setStructure(structure);
  return molecule;
}

}  // namespace

TEST(ClassLayer, PackGivesEachRecordItsOwnClass)
{
  struct Kind
  {
    const char* name;
    rnamlOBJECT* (*make)();
    const std::type_info& type;
  };
  const Kind kinds[] = {
#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) RNAML_CXX_PICK(KIND_, X)(X)
#define KIND_rnamlPlain(X) {#X, rnamlnew##X, typeid(X)},
#define KIND_rnamlRoot KIND_rnamlPlain
#define KIND_rnamlNone(X)
#include "rnamlElements.def"
  };
  ASSERT_EQ(std::size(kinds), 70u);
  for (const Kind& kind : kinds) {
    rnamlOBJECT* record = kind.make();
    std::unique_ptr<Object> object(Object::pack(record));
    ASSERT_NE(object, nullptr) << kind.name;
    EXPECT_EQ(typeid(*object), kind.type) << kind.name;
    EXPECT_EQ(object->getCStructure(), record) << kind.name;
    EXPECT_TRUE(object->ownsRecord());
  }

  EXPECT_EQ(Object::pack(nullptr), nullptr);
  rnamlOBJECT* pairId = rnamlnewBasePairId();
  testing::internal::CaptureStderr();
  EXPECT_EQ(Object::pack(pairId), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), ":Object:376: Invalid Object\n");
  rnamldelete(pairId);
}

TEST(ClassLayer, PackWrapsTheWholeSubtree)
{
  std::unique_ptr<Molecule> source(molecule_with(2, 3));
  std::unique_ptr<Object> packed(Object::pack(rnamlclone(source->getCStructure())));
  Molecule* molecule = dynamic_cast<Molecule*>(packed.get());
  ASSERT_NE(molecule, nullptr);
  std::unique_ptr<Structure> structure(molecule->getStructure());
  ASSERT_NE(structure, nullptr);
  EXPECT_FALSE(structure->ownsRecord());
  ASSERT_EQ(structure->getModels().size(), 2u);
  for (int m = 0; m < 2; ++m) {
    const std::vector<Base*>& bases = structure->getModels()[m]->getBases();
    ASSERT_EQ(bases.size(), 3u);
    for (int b = 0; b < 3; ++b) {
      EXPECT_EQ(bases[b]->getPosition(), 10 * m + b);
      EXPECT_EQ(bases[b]->getAtoms().size(), 1u);
    }
  }
  EXPECT_TRUE(*molecule == *source);
}

TEST(ClassLayer, ScalarAccessorsForwardToTheRecord)
{
  Base base;
  rnamlOBJECT* r = base.getCStructure();
  EXPECT_EQ(base.getInsertion(), -1);
  base.setInsertion('\xFF');  // the absent marker stays absent
  EXPECT_EQ(base.getInsertion(), -1);
  base.setInsertion('B');
  base.setStrand("AB");
  EXPECT_EQ(rnamlgetBaseInsertion(r), 'B');
  EXPECT_STREQ(rnamlgetBaseStrand(r), "AB");

  Sequence sequence;
  sequence.setCircular(true);
  EXPECT_EQ(rnamlgetSequenceCircular(sequence.getCStructure()), 1);
  EXPECT_TRUE(sequence.getCircular());
  FreeEnergy energy;
  EXPECT_EQ(energy.getValue(), FLT_MAX);
  Molecule molecule;
  molecule.setType("dna");
  EXPECT_STREQ(molecule.getType(), "dna");
  EXPECT_STREQ(Rnaml().getVersion(), "1.1");
  EXPECT_STREQ(Rnaml("1.0").getVersion(), "1.0");

  Atom atom;
  for (const char* id : {"r1", "r2", "r3"}) atom.addReferenceId(id);
  ASSERT_EQ(atom.getReferenceIds().size(), 3u);
  EXPECT_STREQ(atom.getReferenceIds()[2], "r3");
  EXPECT_EQ(atom.getReferenceIdsString(), "r1 r2 r3");
  EXPECT_EQ(atom.getAnalysisIdsString(), "");
}

TEST(ClassLayer, CopiesAndAssignmentsAreIndependent)
{
  Molecule source;
  source.setId("m1");
  source.addSequence(new Sequence);
  source.addSequence(new Sequence);
  Molecule copy(source);
  Molecule assigned;
  assigned.addSequence(new Sequence);
  assigned = source;
  for (Molecule* m : {&copy, &assigned}) {
    ASSERT_EQ(m->getSequences().size(), 2u);
    EXPECT_NE(m->getCStructure(), source.getCStructure());
    EXPECT_NE(m->getSequences()[0]->getCStructure(), source.getSequences()[0]->getCStructure());
    EXPECT_TRUE(*m == source);
    m->setId("changed");
    m->getSequences()[1]->setStrand("B");
  }
  EXPECT_STREQ(source.getId(), "m1");
  EXPECT_EQ(source.getSequences()[1]->getStrand(), nullptr);

  NumberingTable table;
  table.addValue(3);
  table.addValue(-4);
  NumberingTable values;
  values = table;
  EXPECT_EQ(values.getValues(), (std::vector<int>{3, -4}));
}

TEST(ClassLayer, ViewsLeaveTheParentsRecordsAlone)
{
  std::unique_ptr<Molecule> molecule(molecule_with(1, 2));
  rnamlOBJECT* before = rnamlclone(molecule->getCStructure());
  // Released by the contract, and by plain delete.
  Structure* view = molecule->getStructure();
  view->setCStructure(nullptr);
  delete view;
  delete molecule->getStructure();
  // Assigned to, a view takes a copy of its own.
  std::unique_ptr<Structure> structure(molecule->getStructure());
  *structure->getModels()[0]->getBases()[0] = Base();
  structure.reset();
  // Handed to a parent, a view is refused and stays the caller's; handed
  // to a setter, it is copied.
  std::unique_ptr<Structure> again(molecule->getStructure());
  Structure other;
  EXPECT_FALSE(other.addModel(again->getModels()[0]));
  EXPECT_TRUE(other.getModels().empty());
  Molecule second;
  second.setStructure(molecule->getStructure());
  rnamlOBJECT* copied = rnamlgetMoleculeStructure(second.getCStructure());
  EXPECT_NE(copied, rnamlgetMoleculeStructure(molecule->getCStructure()));
  EXPECT_TRUE(rnamlequals(copied, rnamlgetMoleculeStructure(before)));
  second.setStructure(nullptr);
  EXPECT_EQ(rnamlgetMoleculeStructure(second.getCStructure()), nullptr);

  EXPECT_TRUE(rnamlequals(before, molecule->getCStructure()));
  void* xml = molecule->toXML();
  EXPECT_NE(xml, nullptr);
  vortandelete(xml);
  rnamldelete(before);

  // A detached parent refuses what it is given, and the caller keeps it.
  Structure detached;
  rnamlOBJECT* own = detached.getCStructure();
  detached.setCStructure(nullptr);
  std::unique_ptr<Model> refused(new Model);
  EXPECT_FALSE(detached.addModel(refused.get()));
  EXPECT_TRUE(detached.getModels().empty());
  EXPECT_TRUE(refused->ownsRecord());
  EXPECT_TRUE(detached == Structure(detached));
  rnamldelete(own);
}
