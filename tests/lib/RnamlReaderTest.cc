// The RNAML reader: molecules in document order with their properties,
// bases and atoms typed as the PDB reader types the same columns, and the
// files it leaves unread, with their messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

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

class RnamlReaderTest : public ::testing::Test
{
protected:
  void SetUp() override { TesselInit(); }

  std::string write(const std::string& name, std::initializer_list<rnaml::Object*> children)
  {
    rnaml::Rnaml document;
    for (rnaml::Object* child : children) document.addChild(child);
    write_rnaml(document, dir.file(name));
    return dir.file(name);
  }

  TempDir dir;
  CapturedMessages messages;
};

}  // namespace

TEST_F(RnamlReaderTest, MoleculesInDocumentOrderWithTheirProperties)
{
  rnaml::Molecule* first = rnaml_molecule({"ATOM      1  C1'   G A   1       1.500  -2.000  30.000"}, "m1");
  first->setType("dna");
  first->setComment("a comment");
  first->addReferenceId("r1 r2");
  std::string path = write("two.xml", {new rnaml::Interactions, first, new rnaml::Analysis, new rnaml::Molecule});

  testing::internal::CaptureStderr();  // the unresolved reference ids are warned about
  RnamlReader reader(path.c_str());
  std::unique_ptr<Molecule> one(reader.read()), two(reader.read());
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(reader.read(), nullptr);
  ASSERT_NE(two, nullptr);
  typedef std::map<std::string, std::string> Properties;
  EXPECT_EQ(one->getProperties(), (Properties{{"id", "m1"},
                                              {"type", "dna"},
                                              {"comment", "a comment"},
                                              {"reference-ids", "r1 r2"},
                                              {"analysis-ids", ""},
                                              {"database-ids", ""}}));
  EXPECT_EQ(two->getProperties(),
            (Properties{{"type", "rna"}, {"reference-ids", ""}, {"analysis-ids", ""}, {"database-ids", ""}}));
  EXPECT_TRUE(two->empty());
  ASSERT_EQ(one->size(), 1u);
  const CAtom& atom = *(*(*one->begin())->begin())->begin();
  EXPECT_EQ(atom.getType(), a_C1p);
  EXPECT_EQ(atom.x, 1.5f);
  EXPECT_EQ(atom.y, -2.0f);
  EXPECT_EQ(atom.z, 30.0f);
}

TEST_F(RnamlReaderTest, NamesAreTypedAsTheSamePdbColumns)
{
  RnamlReader reader(static_cast<const char*>(nullptr));
  EXPECT_EQ(reader.read(), nullptr);
  // A residue of one atom from RNAML and from the PDB columns. A misc type
  // is registered under its written columns: one type, one text.
  const std::pair<const char*, const char*> residues[] = {{"G", "  G"}, {"  G", "  G"}, {"QZ", " QZ"}, {"ALA", "ALA"}};
  for (const auto& r : residues) {
    rnaml::Base base;
    base.setBaseType(r.first);
    base.addAtom(new rnaml::Atom);
    std::unique_ptr<AbstractResidue> residue(reader.toTessel(base));
    std::stringbuf text(std::string("ATOM      1      ") + r.second + " A   1       0.000   0.000   0.000\n");
    iPdbstream pdb(&text);
    Model model;
    pdb >> model;
    EXPECT_EQ(residue->getType(), (*model.begin())->getType()) << r.first;
  }
  std::unique_ptr<AbstractResidue> untyped(reader.toTessel(rnaml::Base()));
  EXPECT_STREQ(untyped->getType()->getName(), "");

  // Fresh unknown names each, so that their misc types are made here.
  const std::pair<const char*, const char*> atoms[] = {
    {" O3'", " O3'"}, {"O3'", " O3'"}, {"c1'", " C1'"}, {"O", "O   "},
    {"QX", "QX  "},   {" QY", " QY "}, {"\n          N9\n        ", " N9 "}, {nullptr, "    "}};
  for (const auto& a : atoms) {
    rnaml::Atom atom;
    atom.setAtomType(a.first);
    std::unique_ptr<CAtom> converted(reader.toTessel(atom, r_rG));
    char columns[5];
    std::snprintf(columns, sizeof columns, "%s", a.second);
    EXPECT_EQ(converted->getType(), iPdbstream::GetAtomType(columns, r_rG)) << a.second;
    if (converted->getType()->is_Misc()) {
      EXPECT_STREQ(converted->getType()->getPdbName(), a.second);
    }
    if (a.first != nullptr) {
      EXPECT_STREQ(atom.getAtomType(), a.first) << "the document's text is left as it was";
    }
  }

  const std::pair<const char*, CResId> ids[] = {
    {nullptr, CResId(-1, ' ', ' ')}, {"AB", CResId(12, 'A', 'C')}, {"\n      B\n    ", CResId(3, 'B', ' ')}};
  for (const auto& i : ids) {
    rnaml::Base base;
    base.setStrand(i.first);
    if (i.second.GetResNo() != -1) base.setPosition(i.second.GetResNo());
    if (i.second.GetInsCode() != ' ') base.setInsertion(i.second.GetInsCode());
    std::unique_ptr<AbstractResidue> residue(reader.toTessel(base));
    EXPECT_EQ(residue->getResId(), i.second) << i.second;
  }
}

TEST_F(RnamlReaderTest, FilesLeftUnreadAndWhy)
{
  std::string missing = dir.file("none.xml");
  delete RnamlReader(missing.c_str()).read();
  EXPECT_EQ(messages.text(), "File " + missing + " No such file or directory\n");
  messages.clear();
  gOut->setVerboseLevel(1);
  delete RnamlReader(missing.c_str()).read();
  EXPECT_EQ(messages.text(), "");

  gOut->setVerboseLevel(3);
  int descriptors = open_descriptors();
  testing::internal::CaptureStderr();
  for (const std::string& path : {test_data("pdb/1LCD.pdb.gz"), dir.path()}) {
    RnamlReader reader(path.c_str());
    EXPECT_EQ(reader.read(), nullptr) << path;
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr() + messages.text(), "") << "a PDB file, a folder";

  write_file(dir.file("wrong.xml"), "<rnaml version=\"1.1\"><model><atom/></model></rnaml>");
  // A refused document's findings come first, as an accepted one's do.
  const std::string findings = content_mismatches({"rnaml", "model", "atom"});
  const std::tuple<std::string, std::string, std::string> documents[] = {
    {dir.file("wrong.xml"), findings, "'atom' may not stand in 'model'"},
    {write("empty.xml", {new rnaml::Interactions}), "", "the document has no molecule"}};
  for (const auto& [path, printed, reason] : documents) {
    messages.clear();
    testing::internal::CaptureStderr();
    RnamlReader reader(path.c_str());
    EXPECT_EQ(reader.read(), nullptr);
    EXPECT_EQ(reader.read(), nullptr);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(messages.text(), printed + "File " + path + ": no RNAML molecule read: " + reason + "\n");
  }
  EXPECT_EQ(open_descriptors(), descriptors) << "closed by the destructors";
}
