#include <cstdlib>
#include <set>
#include <sstream>
#include <utility>

#include "RnamlSupport.h"
#include "TestSupport.h"
#include "vortanInputStream.h"
#include "vortanParser.h"
#include "vortanScanner.h"

using rnaml_test::printed;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::test_data;
using testing_support::write_file;
using vortan_test::Stderr;

namespace {

// The published RNAML 1.1 document type, as a DTD file.
const char* const text_elements =
  "strand length end start position year month day prog-version prog-name affiliation last-name "
  "first-name file url entry database pages issue volume editor book-title pubmed-id journal title "
  "strain species genus family order class phylum kingdom domain surface-value weight range mean "
  "strand-orientation bond-orientation edge-3p edge-5p nu4 nu3 nu2 nu1 nu0 chi zeta epsilon delta "
  "gamma beta alpha glycosyl pucker charge element seg-id temp-factor occupancy coordinates atom-type "
  "insertion alt-loc base-type seg-name modified-type name";
const char* const declarations = R"(
<!ENTITY % common "database-ids IDREFS #IMPLIED analysis-ids IDREFS #IMPLIED
                   reference-ids IDREFS #IMPLIED comment CDATA #IMPLIED">
<!ELEMENT alignment-id EMPTY> <!ATTLIST alignment-id ref IDREF #REQUIRED>
<!ELEMENT base-pair-id EMPTY> <!ATTLIST base-pair-id ref IDREF #REQUIRED>
<!ELEMENT model-id EMPTY> <!ATTLIST model-id ref IDREF #IMPLIED>
<!ELEMENT molecule-id EMPTY> <!ATTLIST molecule-id ref IDREF #REQUIRED>
<!ELEMENT helix-id EMPTY> <!ATTLIST helix-id %common; ref IDREF #REQUIRED>
<!ELEMENT free-energy (#PCDATA)> <!ATTLIST free-energy %common;>
<!ELEMENT resolution (#PCDATA)> <!ATTLIST resolution %common;>
<!ELEMENT method (#PCDATA)> <!ATTLIST method %common;>
<!ELEMENT seq-data (#PCDATA)> <!ATTLIST seq-data %common;>
<!ELEMENT numbering-table (#PCDATA)> <!ATTLIST numbering-table %common; length CDATA #REQUIRED>
<!ELEMENT base-id (molecule-id?, model-id?, strand?, position)>
<!ELEMENT date (day?, month?, year)>
<!ELEMENT program (prog-name | prog-version | reference)*>
<!ELEMENT person (first-name, last-name, affiliation*)>
<!ELEMENT path (url | file)>
<!ELEMENT revision (#PCDATA | date)*> <!ATTLIST revision %common;>
<!ELEMENT analysis (program | date | author | reference)*> <!ATTLIST analysis %common; id ID #REQUIRED>
<!ELEMENT database-entry (database, entry, path?)> <!ATTLIST database-entry %common; id ID #REQUIRED>
<!ELEMENT author (person)>
<!ELEMENT reference (author | title | journal | date | pubmed-id | book-title | editor | volume | issue
                     | pages | path)*>
<!ATTLIST reference comment CDATA #IMPLIED id ID #REQUIRED>
<!ELEMENT taxonomy (domain?, kingdom?, phylum?, class?, order?, family?, genus?, species?, strain?)>
<!ATTLIST taxonomy %common;>
<!ELEMENT interactions (str-annotation)*> <!ATTLIST interactions %common;>
<!ELEMENT ali-sequence (molecule-id, seq-data)> <!ATTLIST ali-sequence %common;>
<!ELEMENT alignment (ali-sequence*)> <!ATTLIST alignment %common; id ID #REQUIRED>
<!ELEMENT consensus-molecule (alignment-id, molecule)> <!ATTLIST consensus-molecule %common;>
<!ELEMENT molecule-class (identity?, (molecule | molecule-id | numbering-system | consensus-molecule
                          | alignment)*)>
<!ATTLIST molecule-class %common;>
<!ELEMENT ss-base-coord (base-id, coordinates)> <!ATTLIST ss-base-coord %common;>
<!ELEMENT secondary-structure-display (ss-base-coord)*> <!ATTLIST secondary-structure-display %common;>
<!ELEMENT surface-constraint (base-id, atom-type, surface-value?)> <!ATTLIST surface-constraint %common;>
<!ELEMENT distance-constraint (base-id, atom-type, base-id, atom-type, mean, range?, weight?)>
<!ATTLIST distance-constraint %common;>
<!ELEMENT single-strand (segment)> <!ATTLIST single-strand %common;>
<!ELEMENT pseudoknot (helix-id, helix-id)> <!ATTLIST pseudoknot %common;>
<!ELEMENT helix (base-id-5p, base-id-3p, length)> <!ATTLIST helix %common; id ID #IMPLIED>
<!ELEMENT base-stack (base-id, base-id)> <!ATTLIST base-stack %common;>
<!ELEMENT base-triple ((base-pair | base-pair-id), (base-pair | base-pair-id), (base-pair | base-pair-id))>
<!ATTLIST base-triple %common;>
<!ELEMENT base-id-3p (base-id)>
<!ELEMENT base-id-5p (base-id)>
<!ELEMENT base-pair (base-id-5p, base-id-3p, edge-5p?, edge-3p?, bond-orientation?, strand-orientation?)>
<!ATTLIST base-pair %common;>
<!ELEMENT base-torsion-angles (alpha?, beta?, gamma?, delta?, epsilon?, zeta?, chi?, nu0?, nu1?, nu2?,
                               nu3?, nu4?)>
<!ATTLIST base-torsion-angles %common;>
<!ELEMENT base-conformation (base-id, pucker?, glycosyl?, base-torsion-angles?)>
<!ATTLIST base-conformation %common;>
<!ELEMENT str-annotation ((base-conformation | base-pair | base-triple | base-stack | helix | pseudoknot
                          | single-strand | distance-constraint | surface-constraint)*)>
<!ATTLIST str-annotation %common;>
<!ELEMENT atom (atom-type, coordinates?, occupancy?, temp-factor?, seg-id?, element?, charge?)>
<!ATTLIST atom %common; serial CDATA #IMPLIED>
<!ELEMENT base (strand?, position, base-type?, alt-loc?, insertion?, atom*)> <!ATTLIST base %common;>
<!ELEMENT model-info (method?, resolution?, free-energy*)> <!ATTLIST model-info %common;>
<!ELEMENT model (model-info?, base*, str-annotation?, secondary-structure-display?)>
<!ATTLIST model %common; id ID #IMPLIED>
<!ELEMENT structure (model)*> <!ATTLIST structure %common;>
<!ELEMENT segment (seg-name?, base-id-5p, (base-id-3p | length))> <!ATTLIST segment %common;>
<!ELEMENT modification (base-id, modified-type)> <!ATTLIST modification %common;>
<!ELEMENT seq-annotation (modification | segment)*> <!ATTLIST seq-annotation %common;>
<!ELEMENT numbering-range (start, (end | length))> <!ATTLIST numbering-range %common;>
<!ELEMENT numbering-system ((numbering-range)* | numbering-table)>
<!ATTLIST numbering-system %common; used-in-file (true|false) "false" id ID #REQUIRED>
<!ELEMENT sequence (numbering-system*, seq-data?, seq-annotation?)>
<!ATTLIST sequence %common; circular (true|false) #IMPLIED length CDATA #IMPLIED strand CDATA #IMPLIED>
<!ELEMENT identity (name, taxonomy?)> <!ATTLIST identity %common;>
<!ELEMENT molecule (identity?, sequence*, structure?)>
<!ATTLIST molecule %common; type (rna|dna) "rna" id ID #REQUIRED>
<!ELEMENT rnaml (molecule | molecule-class | interactions | reference | database-entry | analysis
                 | revision)*>
<!ATTLIST rnaml %common; version (1.1) #REQUIRED>
)";

std::string dtd_file_text()
{
  std::istringstream names(text_elements);
  std::string dtd = declarations, name;
  while (names >> name) dtd += "<!ELEMENT " + name + " (#PCDATA)>\n";
  return dtd;
}

// Each entry of a Map: its key's text and its value.
std::vector<std::pair<std::string, void*>> entries(vortanMAP* map)
{
  std::vector<std::pair<std::string, void*>> all;
  vortanITERATOR* at = vortannewIterator(map);
  while (vortanhasNext(at)) {
    auto* entry = static_cast<vortanMAPENTRY*>(vortannext(at));
    all.emplace_back(vortangetStringStr(static_cast<vortanSTRING*>(vortangetKey(entry))), vortangetValue(entry));
  }
  vortandelete(at);
  return all;
}

std::string compact(void* record)
{
  return printed(vortanclone(record));
}

}  // namespace

// 124 declarations walked newest first, shaped as the toolkit's parser
// would build them; model-id alone has an optional ref; the entities.
TEST(RnamlDTD, DeclaresTheElementsAttributesAndEntities)
{
  vortanMAP* ast = buildrnaml_1_1Ast();
  auto declared = entries(ast);
  ASSERT_EQ(declared.size(), 124u);
  EXPECT_EQ(declared.front().first, "rnaml");
  EXPECT_EQ(declared.back().first, "alignment-id");
  std::set<std::string> names, expected;
  std::istringstream dtd(dtd_file_text());
  for (std::string word; dtd >> word;)
    if (word == "<!ELEMENT" && dtd >> word) expected.insert(word);
  const std::map<std::string, std::string> shapes = {
    {"alignment-id", "EMPTY"},
    {"strand", "(#PCDATA)"},
    {"revision", "(#PCDATA | date)*"},
    {"alignment", "(ali-sequence*)"},
    {"interactions", "(str-annotation)*"},
    {"numbering-system", "((numbering-range)* | numbering-table)"},
    {"segment", "(seg-name?, base-id-5p, (base-id-3p | length))"},
    {"reference",
     "(author | title | journal | date | pubmed-id | book-title | editor | volume | issue | pages | path)*"},
  };
  // Newest first: in the reverse of the declared order.
  const std::map<std::string, std::string> attribute_lists = {
    {"reference", "[(id,ID #REQUIRED), (comment,CDATA #IMPLIED)]"},
    {"molecule", "[(id,ID #REQUIRED), (type,(rna | dna) 'rna'), (comment,CDATA #IMPLIED), "
                 "(reference-ids,IDREFS #IMPLIED), (analysis-ids,IDREFS #IMPLIED), (database-ids,IDREFS #IMPLIED)]"},
    {"base-id", "[]"},
  };
  for (auto& [name, value] : declared) {
    names.insert(name);
    auto* pair = static_cast<vortanPAIR*>(value);
    std::string attributes = compact(vortangetPairTail(pair));
    bool optional_ref = attributes.find("(ref,IDREF #IMPLIED)") != std::string::npos;
    EXPECT_EQ(optional_ref, name == "model-id") << name << " " << attributes;
    if (shapes.count(name)) {
      EXPECT_EQ(compact(vortangetPairHead(pair)), shapes.at(name));
    }
    if (attribute_lists.count(name)) {
      EXPECT_EQ(attributes, attribute_lists.at(name));
    }
  }
  EXPECT_EQ(names, expected);
  vortandelete(ast);

  vortanMAP* general = buildrnaml_1_1GERTable();
  std::vector<std::pair<std::string, std::string>> texts;
  for (auto& [name, value] : entries(general))
    texts.emplace_back(name, vortangetStringStr(static_cast<vortanSTRING*>(value)));
  EXPECT_EQ(texts, (std::vector<std::pair<std::string, std::string>>{
                     {"amp", "&#38;"}, {"lt", "&#60;"}, {"gt", ">"}, {"apos", "'"}, {"quot", "\""}}));
  vortandelete(general);
  vortanMAP* unparsed = buildrnaml_1_1UEM();
  EXPECT_TRUE(vortanisEmpty(unparsed));
  vortandelete(unparsed);
}

TEST(RnamlDTD, RegistersOnceWhateverMakesIt)
{
  Stderr err;
  rnamlinit();
  rnamldelete(rnamlnewUnmarshaller());
  rnamldelete(rnamlnewMarshaller());
  rnamlinit();
  EXPECT_EQ(err.text(), "");
  vortanSTRING* name = vortan_test::str("rnaml");
  auto versions = entries(vortangetStaticDTD(name));
  vortandelete(name);
  ASSERT_EQ(versions.size(), 1u);
  EXPECT_EQ(versions[0].first, "1.1");
  vortanMAP* registered = vortangetValidatorStructure("rnaml", "1.1");
  vortanMAP* fresh = buildrnaml_1_1Ast();
  EXPECT_TRUE(vortanequals(registered, fresh));
  vortandelete(registered);
  vortandelete(fresh);
}

// xmllint, given the DTD as a file, and the toolkit's validator, given the
// compiled one, agree on valid documents and on each fault put in one.
// The documents keep to what both read alike: every text element holds one
// piece of text, and no choice needs to look back.
TEST(RnamlDTD, AgreesWithXmllintOnValidAndInvalidDocuments)
{
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint not installed";
  std::string valid = read_file(test_data("rnaml/every-element.xml"));
  valid.replace(valid.find("<!-- a gap -->"), 14, "");
  const std::pair<std::string, std::string> edits[] = {
    {"", ""},
    {"<occupancy>0.5</occupancy>", ""},
    {"<base-type>G</base-type>", ""},
    {"<molecule id=\"m2\"/>", "<molecule id=\"m2\" type=\"rna\"/>"},
    {"<secondary-structure-display>", "<secondary-structure-display comment=\"c\">"},
    {"<position>9</position>", ""},
    {"<atom-type>P</atom-type>", "<charge>1</charge><atom-type>P</atom-type>"},
    {"<insertion>C</insertion>", "<insertion>C</insertion><bogus/>"},
    {"<atom serial=\"12\">", "<atom serial=\"12\" bogus=\"1\">"},
    {"type=\"dna\"", "type=\"xna\""},
    {"<molecule id=\"m2\"/>", "<molecule/>"},
    {"<reference id=\"r3\"/>", "<reference id=\"r1\"/>"},
    {"<helix-id ref=\"h1\"/>", "<helix-id ref=\"h9\"/>"},
    {"<pseudoknot>", "<pseudoknot><helix-id ref=\"h1\"/>"},
    {"<taxonomy><domain>", "<taxonomy>x<domain>"},
    {"<method>X-ray</method><resolution> 2.5 </resolution>", "<resolution> 2.5 </resolution><method>X-ray</method>"},
    {"<base-pair-id ref=\"x1\"/>", "<base-pair-id/>"},
    {"used-in-file=\"true\"", "used-in-file=\"yes\""},
    {"<start>41</start>", "<start>41</start><end>1</end>"},
    {"<seq-data>GC-GG</seq-data>", ""},
    {"comment=\"all of it\"", "analysis-ids=\"zz\""},
  };
  TempDir dir;
  const std::string dtd = dir.file("rnaml.dtd"), path = dir.file("doc.xml");
  write_file(dtd, dtd_file_text());
  rnamlinit();
  vortanUserOptions |= vortanOptionValidity;
  int invalid = 0;
  for (auto& [from, to] : edits) {
    std::string doc = valid;
    if (!from.empty()) doc.replace(doc.find(from), from.size(), to);
    write_file(path, doc);
    bool oracle = std::system(("xmllint --nonet --noout --dtdvalid " + dtd + " " + path + " 2>/dev/null").c_str()) == 0;
    FILE* file = fopen(path.c_str(), "r");
    vortanin = vortannewFileInputStreamFILE(file);
    std::string findings;
    {
      Stderr err;
      EXPECT_EQ(vortanparse(), 0) << from;
      vortanvalidate(vortanast);
      findings = err.text();
    }
    vortandelete(vortanast);
    vortanast = nullptr;
    vortandeleteFileInputStream(vortanin);
    vortanin = nullptr;
    fclose(file);
    EXPECT_EQ(findings.empty(), oracle) << from << " -> " << to << "\n" << findings;
    invalid += !oracle;
  }
  EXPECT_EQ(invalid, 16);
}
