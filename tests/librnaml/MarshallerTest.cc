#include <cerrno>
#include <regex>

#include "RnamlSupport.h"
#include "TestSupport.h"
#include "vortanOutputStream.h"

using rnaml_test::marshalled;
using vortan_test::MemoryBudget;
using vortan_test::Stderr;

namespace {

const std::string declaration = "<?xml version=\"1.0\"?>";
const std::string doctype =
  "<!DOCTYPE rnaml SYSTEM \"rnaml.dtd\">\n";

rnamlOBJECT* root_with_molecule()
{
  rnamlOBJECT* root = rnamlnewRnaml();
  rnamlsetRnamlVersion(root, "1.1");
  rnamlOBJECT* molecule = rnamlnewMolecule();
  rnamlsetMoleculeId(molecule, "m1");
  rnamladdRnamlChild(root, molecule);
  return root;
}

}  // namespace

// xmllint, validating without the network, finds the DTD that the DOCTYPE
// names beside the document (here a stand-in for the two elements written).
TEST(RnamlMarshaller, WritesThePrologAndTheRootCompactOrIndented)
{
  const bool lint = std::system("xmllint --version >/dev/null 2>&1") == 0;
  testing_support::TempDir dir;
  testing_support::write_file(dir.file("rnaml.dtd"), "<!ELEMENT rnaml (molecule*)><!ATTLIST rnaml version CDATA "
                                                     "#IMPLIED><!ELEMENT molecule EMPTY><!ATTLIST molecule id ID #REQUIRED>");
  const std::string xmllint = "xmllint --valid --nonet --noout " + dir.file("doc.xml") + " 2>/dev/null";
  rnamlOBJECT* empty = rnamlnewRnaml();
  rnamlOBJECT* full = root_with_molecule();
  const struct {
    rnamlOBJECT* root;
    int formatted;
    std::string text;
  } cases[] = {
    {empty, 0, declaration + doctype + "\n<rnaml/>\n"},
    {empty, 1, declaration + "\n\n" + doctype + "<rnaml/>\n"},
    {full, 0, declaration + doctype + "\n<rnaml version=\"1.1\"><molecule id=\"m1\"/></rnaml>\n"},
    {full, 1, declaration + "\n\n" + doctype + "<rnaml version=\"1.1\">\n  <molecule id=\"m1\"/>\n</rnaml>\n"},
  };
  for (const auto& c : cases) {
    Stderr err;
    EXPECT_EQ(marshalled(c.root, c.formatted, 1), c.text);
    EXPECT_EQ(err.text(), "");
    testing_support::write_file(dir.file("doc.xml"), c.text);
    EXPECT_TRUE(!lint || std::system(xmllint.c_str()) == 0) << c.text;
  }
  rnamldelete(empty);
  rnamldelete(full);
}

// Validation reports and writes anyway; the root and the FILE stay the
// caller's, unchanged and open.
TEST(RnamlMarshaller, ValidatesWithoutStoppingAndLeavesRootAndFileAlone)
{
  rnamlOBJECT* root = root_with_molecule();
  rnamlOBJECT* molecule = rnamlnewMolecule();
  rnamladdRnamlChild(root, molecule);
  rnamlOBJECT* before = rnamlclone(root);
  rnamlOBJECT* marshaller = rnamlnewMarshaller();
  rnamlsetMarshallerValidating(marshaller, 1);
  vortanUserOptions |= vortanOptionValidity;  // which the marshaller leaves as it finds it
  FILE* file = tmpfile();
  {
    Stderr err;
    rnamlmarshallMarshaller(marshaller, root, file);
    EXPECT_EQ(err.text(), "Validity Warning: Attribute 'id' should be defined for element 'molecule'.\n");
  }
  EXPECT_EQ(fputs("after", file), 1);
  EXPECT_GT(ftell(file), 100);
  fclose(file);
  EXPECT_TRUE(rnamlequals(root, before));
  rnamldelete(before);
  rnamldelete(root);
  rnamldelete(marshaller);
}

// Wrong arguments, and a root that cannot be written (a base triple
// lacking a child), write nothing at all and set EINVAL.
TEST(RnamlMarshaller, WritesNothingForWhatIsNoDocument)
{
  rnamlOBJECT* marshaller = rnamlnewMarshaller();
  rnamlOBJECT* root = root_with_molecule();
  rnamlOBJECT* broken = rnamlnewRnaml();
  rnamlOBJECT* interactions = rnamlnewInteractions();
  rnamlOBJECT* annotation = rnamlnewStrAnnotation();
  rnamladdStrAnnotationChild(annotation, rnamlnewBaseTriple());
  rnamladdInteractionsStrAnnotation(interactions, annotation);
  rnamladdRnamlChild(broken, interactions);
  rnamlOBJECT* molecule = rnamlnewMolecule();
  const struct {
    const rnamlOBJECT* marshaller;
    const rnamlOBJECT* root;
    bool file;
    const char* report;
  } cases[] = {
    {marshaller, root, false, ""},
    {marshaller, molecule, true, ""},
    {root, root, true, ""},
    {marshaller, broken, true, ":object:[0-9]+: Invalid rnaml structure\\.\n"},
  };
  for (const auto& c : cases) {
    char* text = nullptr;
    size_t length = 0;
    FILE* out = open_memstream(&text, &length);
    errno = 0;
    Stderr err;
    rnamlmarshallMarshaller(c.marshaller, c.root, c.file ? out : nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_TRUE(std::regex_match(err.text(), std::regex(c.report)));
    fclose(out);
    EXPECT_EQ(length, 0u);
    free(text);
  }
  errno = 0;
  rnamlmarshallMarshallerStream(marshaller, root, nullptr);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(rnamltoXMLDocument(molecule), nullptr);
  for (rnamlOBJECT* r : {marshaller, root, broken, molecule}) rnamldelete(r);
}

TEST(RnamlMarshaller, RecordsCompareTheirFlags)
{
  rnamlOBJECT* marshaller = rnamlnewMarshaller();
  rnamlsetMarshallerFormatted(marshaller, 5);
  rnamlOBJECT* copy = rnamlcloneMarshaller(marshaller);
  EXPECT_TRUE(rnamlequals(copy, marshaller));
  rnamlsetMarshallerValidating(copy, 1);
  EXPECT_FALSE(rnamlequalsMarshaller(copy, marshaller));
  rnamlsetMarshallerValidating(copy, 0);
  rnamlsetMarshallerFormatted(copy, 1);
  EXPECT_FALSE(rnamlequals(marshaller, copy));
  rnamlOBJECT* unmarshaller = rnamlnewUnmarshaller();
  EXPECT_FALSE(rnamlequals(unmarshaller, copy));
  EXPECT_EQ(rnamlcloneMarshaller(unmarshaller), nullptr);
  for (rnamlOBJECT* r : {marshaller, copy, unmarshaller}) rnamldelete(r);
}

// Under every failing allocation the marshaller writes the whole document
// or nothing, and leaves nothing allocated.
TEST(RnamlMarshaller, RunningOutOfMemoryWritesNothing)
{
  rnamlOBJECT* root = root_with_molecule();
  const std::string whole = marshalled(root, 1);
  rnamlOBJECT* marshaller = rnamlnewMarshaller();
  rnamlsetMarshallerFormatted(marshaller, 1);
  for (long budget = 0;; ++budget) {
    char* text = nullptr;
    size_t length = 0;
    FILE* out = open_memstream(&text, &length);
    bool failed;
    {
      MemoryBudget limit(budget);
      Stderr err;
      rnamlmarshallMarshaller(marshaller, root, out);
      failed = MemoryBudget::exhausted();
    }
    fclose(out);
    std::string written(text, length);
    free(text);
    if (!failed) {
      EXPECT_EQ(written, whole);
      break;
    }
    EXPECT_EQ(written, "") << budget;
  }
  rnamldelete(marshaller);
  rnamldelete(root);
}
