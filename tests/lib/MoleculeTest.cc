#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Model.h"
#include "ModelTestSupport.h"
#include "Molecule.h"
#include "Pdbstream.h"
#include "ResidueTestSupport.h"

namespace {

using namespace model_test;
using namespace residue_test;

typedef Registry MoleculeTest;

void read_molecule(const std::string& text, Molecule& molecule)
{
  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  in >> molecule;
}

std::string written(const Molecule& molecule)
{
  std::stringbuf buffer;
  oPdbstream out(&buffer);
  out << molecule;
  return buffer.str();
}

// Residues per model.
std::vector<size_t> sizes(const Molecule& molecule)
{
  std::vector<size_t> result;
  for (const Model* m : molecule) result.push_back(m->size());
  return result;
}

// Made after TesselInit, which the atom names come from.
std::string ala() { return lines_of(kALA, "ALA", 'A', 10); }  // 5 atoms
std::string gc() { return lines_of(kDG, "  G", 'B', 1) + lines_of(kDC, "  C", 'B', 2); }  // 22, 19

TEST_F(MoleculeTest, ReadsEveryModelBlockUpToEnd)
{
  std::string text = "MODEL        1\n" + ala() + "ENDMDL\nMODEL        2\n" + gc() + "ENDMDL\n" +
                     "MODEL        3\n" + ala() + gc() + "ENDMDL\nEND   \n" + ala();
  Molecule molecule;
  molecule.setProperty("id", "stale");
  read_molecule(text, molecule);
  EXPECT_EQ(sizes(molecule), (std::vector<size_t>{1, 2, 3}));
  EXPECT_EQ(molecule.getProperty("id"), nullptr);
  EXPECT_EQ((*(*molecule.begin()))[0]->getType(), r_ALA);

  // Neither MODEL nor END: one model of every residue.
  read_molecule(ala() + "TER\n" + gc(), molecule);
  EXPECT_EQ(sizes(molecule), (std::vector<size_t>{3}));

  // An empty MODEL block gives no model.
  read_molecule("MODEL        1\nENDMDL\nMODEL        2\n" + ala() + "ENDMDL\n", molecule);
  EXPECT_EQ(sizes(molecule), (std::vector<size_t>{1}));
  read_molecule("", molecule);
  EXPECT_TRUE(molecule.empty());
}

TEST_F(MoleculeTest, WritesModelRecordsOnlyForSeveralModels)
{
  Molecule molecule;
  EXPECT_EQ(written(molecule), "");

  Model* one = new Model;
  read_model(ala(), *one);
  molecule.push_back(one);
  std::vector<std::string> l = lines(written(molecule));
  ASSERT_EQ(l.size(), 6u);
  EXPECT_EQ(l[0].substr(0, 11), "ATOM      1");
  EXPECT_EQ(l[5], "TER       6      ALA A  10 ");

  Model* two = new Model;
  read_model(gc(), *two);
  molecule.push_back(two);
  std::string text = written(molecule);
  l = lines(text);
  // MODEL, 5 atoms, TER, ENDMDL; MODEL, 22 + 19 atoms, TER, ENDMDL; no END.
  ASSERT_EQ(l.size(), 8u + 44u);
  EXPECT_EQ(l[0], "MODEL        1");
  EXPECT_EQ(l[7], "ENDMDL");
  EXPECT_EQ(l[8], "MODEL        2");
  EXPECT_EQ(l[9].substr(0, 11), "ATOM      7");
  EXPECT_EQ(l[50], "TER      48        C B   2 ");
  EXPECT_EQ(l[51], "ENDMDL");

  // What was written reads back as the same models.
  Molecule back;
  read_molecule(text, back);
  EXPECT_EQ(sizes(back), (std::vector<size_t>{1, 2}));
}

TEST_F(MoleculeTest, PropertiesAreKeyedByText)
{
  Molecule molecule;
  EXPECT_EQ(molecule.getProperty("id"), nullptr);
  molecule.setProperty("id", "first");
  char value[] = "second";
  molecule.setProperty("id", value);
  value[0] = 'X';  // the molecule keeps its own copy
  std::string key = "id";
  EXPECT_STREQ(molecule.getProperty(key.c_str()), "second");
  EXPECT_EQ(molecule.getProperties().size(), 1u);
  EXPECT_EQ(molecule.getProperty("ID"), nullptr);
  EXPECT_EQ(molecule.getProperty(nullptr), nullptr);
}

TEST_F(MoleculeTest, TextFormListsPropertiesInKeyOrderThenModels)
{
  std::ostringstream empty;
  empty << Molecule();
  EXPECT_EQ(empty.str(), "MOLECULE: \n");

  Molecule molecule;
  molecule.setProperty("type", "rna");
  molecule.setProperty("id", "m1");
  Model* m = new Model;
  read_model(ala(), *m);
  molecule.push_back(m);
  std::ostringstream text, model_text;
  text << molecule;
  model_text << *m;
  EXPECT_EQ(text.str(), "MOLECULE: \n  id = m1\n  type = rna\n" + model_text.str() + "\n");
}

TEST_F(MoleculeTest, CopiesAreDeep)
{
  int before = AbstractResidue::count;
  {
    Molecule molecule;
    read_molecule("MODEL        1\n" + ala() + "ENDMDL\nMODEL        2\n" + gc() + "ENDMDL\n", molecule);
    molecule.setProperty("id", "a");
    Molecule copy(molecule);
    std::unique_ptr<Molecule> clone(molecule.clone());
    EXPECT_EQ(AbstractResidue::count, before + 9);
    EXPECT_NE(*copy.begin(), *molecule.begin());
    molecule.setProperty("id", "b");
    EXPECT_STREQ(copy.getProperty("id"), "a");
    EXPECT_STREQ(clone->getProperty("id"), "a");

    Molecule assigned;
    read_molecule(ala(), assigned);
    assigned = molecule;
    EXPECT_EQ(sizes(assigned), (std::vector<size_t>{1, 2}));
    EXPECT_STREQ(assigned.getProperty("id"), "b");
    Molecule& same = assigned;
    assigned = same;
    EXPECT_EQ(sizes(assigned), (std::vector<size_t>{1, 2}));
    EXPECT_EQ(AbstractResidue::count, before + 12);
  }
  EXPECT_EQ(AbstractResidue::count, before);
}

}  // namespace
