// The class layer: every record kind packed into its own class, the shapes
// pack gives, copies and assignments independent of their source, and
// views that never free what their parent owns (ASan watches the rest).
#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "Elements.h"
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
      base->addAtom(new Atom);
      model->addBase(base);
    }
    structure->addModel(model);
  }
  molecule->setStructure(structure);
  return molecule;
}

}  // namespace

TEST(ClassLayer, PackGivesEachRecordItsOwnClass)
{
  const std::pair<rnamlOBJECT* (*)(), const std::type_info&> kinds[] = {
#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) RNAML_CXX_PICK(KIND_, X)(X)
#define KIND_rnamlPlain(X) {rnamlnew##X, typeid(X)},
#define KIND_rnamlRoot KIND_rnamlPlain
#define KIND_rnamlNone(X)
#include "rnamlElements.def"
  };
  ASSERT_EQ(std::size(kinds), 70u);
  for (const auto& kind : kinds) {
    rnamlOBJECT* record = kind.first();
    std::unique_ptr<Object> object(Object::pack(record));
    ASSERT_NE(object, nullptr) << kind.second.name();
    EXPECT_EQ(typeid(*object), kind.second);
    EXPECT_EQ(object->getCStructure(), record);
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
  std::unique_ptr<Structure> structure(dynamic_cast<Molecule&>(*packed).getStructure());
  ASSERT_EQ(structure->getModels().size(), 2u);
  for (int m = 0; m < 2; ++m) {
    const std::vector<Base*>& bases = structure->getModels()[m]->getBases();
    ASSERT_EQ(bases.size(), 3u);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(bases[b]->getPosition(), 10 * m + b);
    EXPECT_EQ(bases[2]->getAtoms().size(), 1u);
  }
  EXPECT_TRUE(*packed == *source);

  Base base;
  base.setInsertion('\xFF');  // the byte that reads back as absent
  EXPECT_EQ(base.getInsertion(), -1);
  Sequence sequence;
  sequence.setCircular(true);
  EXPECT_EQ(rnamlgetSequenceCircular(sequence.getCStructure()), 1);
  EXPECT_STREQ(Rnaml().getVersion(), "1.1");
  for (const char* id : {"r1", "r2", "r3"}) base.addReferenceId(id);
  ASSERT_EQ(base.getReferenceIds().size(), 3u);
  EXPECT_STREQ(base.getReferenceIds()[2], "r3");
  EXPECT_EQ(base.getReferenceIdsString(), "r1 r2 r3");
}

TEST(ClassLayer, CopiesAndAssignmentsAreIndependent)
{
  Molecule source;
  source.addSequence(new Sequence);
  source.addSequence(new Sequence);
  Molecule copy(source), assigned;
  assigned.addSequence(new Sequence);
  assigned = source;
  for (Molecule* m : {&copy, &assigned}) {
    ASSERT_EQ(m->getSequences().size(), 2u);
    EXPECT_TRUE(*m == source);
    m->getSequences()[1]->setStrand("B");
  }
  EXPECT_EQ(source.getSequences()[1]->getStrand(), nullptr);
  NumberingTable table, values;
  table.addValue(3);
  table.addValue(-4);
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
  // Assigned to, a view takes a copy of its own; handed to a parent, it is
  // refused and stays the caller's; handed to a setter, it is copied.
  std::unique_ptr<Structure> structure(molecule->getStructure());
  *structure->getModels()[0]->getBases()[0] = Base();
  Structure other;
  EXPECT_FALSE(other.addModel(structure->getModels()[0]));
  EXPECT_TRUE(other.getModels().empty());
  Molecule second;
  second.setStructure(molecule->getStructure());
  EXPECT_TRUE(rnamlequals(rnamlgetMoleculeStructure(second.getCStructure()), rnamlgetMoleculeStructure(before)));
  second.setStructure(nullptr);
  EXPECT_EQ(rnamlgetMoleculeStructure(second.getCStructure()), nullptr);
  structure.reset();
  EXPECT_TRUE(rnamlequals(before, molecule->getCStructure()));
  vortandelete(molecule->toXML());
  rnamldelete(before);

  // A detached parent refuses what it is given.
  Structure detached;
  rnamlOBJECT* own = detached.getCStructure();
  detached.setCStructure(nullptr);
  std::unique_ptr<Model> refused(new Model);
  EXPECT_FALSE(detached.addModel(refused.get()));
  EXPECT_TRUE(detached.getModels().empty());
  rnamldelete(own);
}
