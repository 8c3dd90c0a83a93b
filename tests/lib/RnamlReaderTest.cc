// The RNAML reader: molecules in document order with their properties,
// bases and atoms typed as the PDB reader types the same columns, and the
// files it leaves unread, with their messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <memory>
#include <string>

#include "AbstractResidue.h"
#include "Atom.h"
#include "AtomType.h"
#include "CapturedMessages.h"
#include "Elements.h"
#include "Model.h"
#include "Molecule.h"
#include "Pdbstream.h"
#include "ResidueType.h"
#include "RnamlDocuments.h"
#include "RnamlReader.h"
#include "TesselInit.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

typedef std::map<std::string, std::string> Properties;

class RnamlReaderTest : public ::testing::Test
{
protected:
  void SetUp() override { TesselInit(); }

  // The document of the children, written to name.
  std::string write(const std::string& name, std::initializer_list<rnaml::Object*> children, bool gzip = false)
  {
    rnaml::Rnaml document;
    for (rnaml::Object* child : children) document.addChild(child);
    write_rnaml(document, dir.file(name), gzip);
    return dir.file(name);
  }

  TempDir dir;
};

t_Atom* pdb_atom_type(const char* field, t_Residue* residue)
{
  char copy[5];
  std::snprintf(copy, sizeof copy, "%s", field);
  return iPdbstream::GetAtomType(copy, residue);
}

}  // namespace

TEST_F(RnamlReaderTest, MoleculesInDocumentOrderWithTheirProperties)
{
  rnaml::Molecule* first = rnaml_molecule({"ATOM      1  C1'   G A   1       1.500  -2.000  30.000"}, "m1");
  first->setType("dna");
  first->setComment("a comment");
  first->addReferenceId("r1 r2");
  rnaml::Molecule* second = new rnaml::Molecule;
  std::string path = write("two.xml", {new rnaml::Interactions, first, new rnaml::Analysis, second, new rnaml::Reference});

  testing::internal::CaptureStderr();  // the unresolved reference ids are warned about
  RnamlReader reader(path.c_str());
  std::unique_ptr<Molecule> one(reader.read());
  testing::internal::GetCapturedStderr();
  std::unique_ptr<Molecule> two(reader.read());
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(reader.read(), nullptr);
  EXPECT_EQ(reader.read(), nullptr);
  reader.close();

  EXPECT_EQ(one->getProperties(), (Properties{{"id", "m1"},
                                              {"type", "dna"},
                                              {"comment", "a comment"},
                                              {"reference-ids", "r1 r2"},
                                              {"analysis-ids", ""},
                                              {"database-ids", ""}}));
  ASSERT_EQ(one->size(), 1u);
  Model& model = **one->begin();
  ASSERT_EQ(model.size(), 1u);
  const CAtom& atom = *(*model.begin())->begin();
  EXPECT_EQ(atom.getType(), a_C1p);
  EXPECT_EQ(atom.x, 1.5f);
  EXPECT_EQ(atom.y, -2.0f);
  EXPECT_EQ(atom.z, 30.0f);
  EXPECT_EQ(two->getProperties(),
            (Properties{{"type", "rna"}, {"reference-ids", ""}, {"analysis-ids", ""}, {"database-ids", ""}}));
  EXPECT_TRUE(two->empty());
}

TEST_F(RnamlReaderTest, NamesAreTypedAsTheSamePdbColumns)
{
  CapturedMessages incomplete;  // residues without their critical atoms
  RnamlReader reader(static_cast<const char*>(nullptr));
  EXPECT_EQ(reader.read(), nullptr);
  // A residue of one atom, from RNAML and from the same PDB columns. A misc
  // type is registered under its written columns: one type, one text.
  const std::pair<const char*, const char*> residues[] = {{"G", "  G"}, {"  G", "  G"}, {"QZ", " QZ"}, {"ALA", "ALA"}};
  for (const auto& r : residues) {
    rnaml::Base base;
    base.setBaseType(r.first);
    rnaml::Atom* atom = new rnaml::Atom;
    atom->setAtomType(" C1'");
    base.addAtom(atom);
    std::unique_ptr<AbstractResidue> residue(reader.toTessel(base));
    std::stringbuf text(std::string("ATOM      1  C1' ") + r.second + " A   1       0.000   0.000   0.000\n");
    iPdbstream pdb(&text);
    Model model;
    pdb >> model;
    ASSERT_EQ(model.size(), 1u);
    EXPECT_EQ(residue->getType(), (*model.begin())->getType()) << r.first;
  }

  // Fresh unknown names each, so that the misc type is made here.
  struct
  {
    const char* text;  // null: no atom-type
    const char* columns;
  } atoms[] = {{" O3'", " O3'"}, {"O3'", " O3'"}, {"c1'", " C1'"}, {"O", "O   "}, {"QX", "QX  "},
               {" QY", " QY "}, {"\n          N9\n        ", " N9 "}, {nullptr, "    "}};
  for (const auto& a : atoms) {
    rnaml::Atom atom;
    atom.setAtomType(a.text);
    atom.setX(-0.125f);
    std::unique_ptr<CAtom> converted(reader.toTessel(atom, r_rG));
    EXPECT_EQ(converted->getType(), pdb_atom_type(a.columns, r_rG)) << a.columns;
    if (converted->getType()->is_Misc()) {
      EXPECT_STREQ(converted->getType()->getPdbName(), a.columns);
    }
    EXPECT_EQ(converted->x, -0.125f);
    EXPECT_EQ(converted->getAltLoc(), ' ');
  }
  rnaml::Atom lower;
  lower.setAtomType("c1'");
  delete reader.toTessel(lower, r_rG);
  EXPECT_STREQ(lower.getAtomType(), "c1'") << "the document's text is left as it was";

  struct
  {
    const char* strand;
    int position;
    char insertion;  // 0: none
    CResId id;
  } ids[] = {{nullptr, -1, 0, CResId(-1, ' ', ' ')},
             {"AB", 12, 'C', CResId(12, 'A', 'C')},
             {"\n      B\n    ", 3, 0, CResId(3, 'B', ' ')},
             {"  ", 7, 0, CResId(7, ' ', ' ')}};
  for (const auto& i : ids) {
    rnaml::Base base;
    base.setBaseType("G");
    base.setStrand(i.strand);
    if (i.position != -1) base.setPosition(i.position);
    if (i.insertion != 0) base.setInsertion(i.insertion);
    std::unique_ptr<AbstractResidue> residue(reader.toTessel(base));
    EXPECT_EQ(residue->getResId(), i.id) << i.id;
  }
}

TEST_F(RnamlReaderTest, FilesLeftUnreadAndWhy)
{
  CapturedMessages messages;
  std::string missing = dir.file("none.xml");
  delete RnamlReader(missing.c_str()).read();
  EXPECT_EQ(messages.text(), "File " + missing + " No such file or directory\n");
  messages.clear();
  gOut->setVerboseLevel(1);
  delete RnamlReader(missing.c_str()).read();
  EXPECT_EQ(messages.text(), "");

  gOut->setVerboseLevel(3);
  testing::internal::CaptureStderr();
  for (const std::string& path : {test_data("pdb/1LCD.pdb.gz"), dir.path()}) {
    RnamlReader reader(path.c_str());
    EXPECT_EQ(reader.read(), nullptr) << path;
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr() + messages.text(), "") << "a PDB file, a folder";

  write_file(dir.file("wrong.xml"), "<rnaml version=\"1.1\"><model><atom/></model></rnaml>");
  std::string empty = write("empty.xml", {new rnaml::Interactions});
  const std::pair<std::string, std::string> documents[] = {
    {dir.file("wrong.xml"), "'atom' may not stand in 'model'"}, {empty, "the document has no molecule"}};
  for (const auto& d : documents) {
    messages.clear();
    testing::internal::CaptureStderr();
    RnamlReader reader(d.first.c_str());
    EXPECT_EQ(reader.read(), nullptr);
    EXPECT_EQ(reader.read(), nullptr);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(messages.text(), "File " + d.first + ": no RNAML molecule read: " + d.second + "\n");
  }
}

TEST_F(RnamlReaderTest, GzipDocumentsReadAsPlainOnes)
{
  std::vector<std::string> lines = pdb_atom_lines(test_data("pdb/1LCD.pdb.gz"));
  lines.resize(200);
  std::string plain = write("a.xml", {rnaml_molecule(lines)});
  std::string packed = write("a.xml.gz", {rnaml_molecule(lines)}, true);
  int descriptors = open_descriptors();
  std::unique_ptr<Molecule> a, b;
  {
    RnamlReader one(plain.c_str()), two(packed.c_str()), pdb(test_data("pdb/1LCD.pdb.gz").c_str());
    a.reset(one.read());
    b.reset(two.read());
    EXPECT_EQ(pdb.read(), nullptr);
    one.close();  // the other two are closed by their destructors
  }
  EXPECT_EQ(open_descriptors(), descriptors);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  std::ostringstream pa, pb;
  pa << *a;
  pb << *b;
  EXPECT_GT(pa.str().size(), 200 * 20u);
  EXPECT_EQ(pa.str(), pb.str());
}
