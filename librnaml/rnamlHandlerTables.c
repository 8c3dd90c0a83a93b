/* The rows of the unmarshaller's three tables, and the index by name. */
#include "rnamlHandlerTables.h"

#include <stdlib.h>
#include <string.h>

#include "rnamlElements.h"

/* --- values -------------------------------------------------------------- */

#define TEXT_VALUE(f) {.conversion = rnamlAsText, .set = {{.text = f}}}
#define INT_VALUE(f) {.conversion = rnamlAsInteger, .set = {{.integer = f}}}
#define FLOAT_VALUE(f) {.conversion = rnamlAsFloat, .set = {{.real = f}}}
#define CHAR_VALUE(f) {.conversion = rnamlAsCharacter, .set = {{.character = f}}}
#define TRUE_VALUE(f) {.conversion = rnamlAsTrue, .set = {{.integer = f}}}

/* --- start tags ---------------------------------------------------------- */

#define RECORD(tag, Kind, takesCommon) .name = tag, .make = rnamlnew##Kind, .common = takesCommon
#define TEXT_ATTRIBUTE(name, f) {name, TEXT_VALUE(f)}
#define INT_ATTRIBUTE(name, f) {name, INT_VALUE(f)}
#define TRUE_ATTRIBUTE(name, f) {name, TRUE_VALUE(f)}

static const rnamlStartRule starts[] = {
  {RECORD("rnaml", Rnaml, 1), {TEXT_ATTRIBUTE("version", rnamlsetRnamlVersion)}},
  {RECORD("molecule", Molecule, 1),
   {TEXT_ATTRIBUTE("id", rnamlsetMoleculeId), TEXT_ATTRIBUTE("type", rnamlsetMoleculeType)}},
  {RECORD("identity", Identity, 1)},
  {RECORD("taxonomy", Taxonomy, 1)},
  {RECORD("sequence", Sequence, 1),
   {TEXT_ATTRIBUTE("strand", rnamlsetSequenceStrand),
    INT_ATTRIBUTE("length", rnamlsetSequenceLength),
    TRUE_ATTRIBUTE("circular", rnamlsetSequenceCircular)}},
  {RECORD("numbering-system", NumberingSystem, 1),
   {TEXT_ATTRIBUTE("id", rnamlsetNumberingSystemId),
    TRUE_ATTRIBUTE("used-in-file", rnamlsetNumberingSystemUsedInFile)}},
  {RECORD("numbering-range", NumberingRange, 1)},
  {RECORD("numbering-table", NumberingTable, 1),
   {INT_ATTRIBUTE("length", rnamlsetNumberingTableLength)}},
  {RECORD("seq-data", SeqData, 1)},
  {RECORD("seq-annotation", SeqAnnotation, 1)},
  {RECORD("modification", Modification, 1)},
  {RECORD("base-id", BaseId, 0)},
  {RECORD("molecule-id", MoleculeId, 0), {TEXT_ATTRIBUTE("ref", rnamlsetMoleculeIdRef)}},
  {RECORD("model-id", ModelId, 0), {TEXT_ATTRIBUTE("ref", rnamlsetModelIdRef)}},
  {RECORD("segment", Segment, 1)},
  {RECORD("base-id-5p", BaseId5p, 0)},
  {RECORD("base-id-3p", BaseId3p, 0)},
  {RECORD("structure", Structure, 1)},
  {RECORD("model", Model, 1), {TEXT_ATTRIBUTE("id", rnamlsetModelId)}},
  {RECORD("model-info", ModelInfo, 1)},
  {RECORD("method", Method, 1)},
  {RECORD("resolution", Resolution, 1)},
  {RECORD("free-energy", FreeEnergy, 1)},
  {RECORD("base", Base, 1)},
  {RECORD("atom", Atom, 1), {TEXT_ATTRIBUTE("serial", rnamlsetAtomSerial)}},
  {RECORD("str-annotation", StrAnnotation, 1)},
  {RECORD("base-conformation", BaseConformation, 1)},
  {RECORD("base-torsion-angles", BaseTorsionAngles, 1)},
  {RECORD("base-pair", BasePair, 1)},
  {RECORD("base-triple", BaseTriple, 1)},
  {RECORD("base-pair-id", BasePairId, 0), {TEXT_ATTRIBUTE("ref", rnamlsetBasePairIdRef)}},
  {RECORD("base-stack", BaseStack, 1)},
  {RECORD("helix", Helix, 1), {TEXT_ATTRIBUTE("id", rnamlsetHelixId)}},
  {RECORD("pseudoknot", Pseudoknot, 1)},
  {RECORD("helix-id", HelixId, 1), {TEXT_ATTRIBUTE("ref", rnamlsetHelixIdRef)}},
  {RECORD("single-strand", SingleStrand, 1)},
  {RECORD("distance-constraint", DistanceConstraint, 1)},
  {RECORD("surface-constraint", SurfaceConstraint, 1)},
  {RECORD("secondary-structure-display", SecondaryStructureDisplay, 1)},
  {RECORD("ss-base-coord", SsBaseCoord, 1)},
  {RECORD("molecule-class", MoleculeClass, 1)},
  {RECORD("consensus-molecule", ConsensusMolecule, 1)},
  {RECORD("alignment-id", AlignmentId, 0), {TEXT_ATTRIBUTE("ref", rnamlsetAlignmentIdRef)}},
  {RECORD("alignment", Alignment, 1), {TEXT_ATTRIBUTE("id", rnamlsetAlignmentId)}},
  {RECORD("ali-sequence", AliSequence, 1)},
  {RECORD("interactions", Interactions, 1)},
  {RECORD("reference", Reference, 1), {TEXT_ATTRIBUTE("id", rnamlsetReferenceId)}},
  {RECORD("author", Author, 0)},
  {RECORD("person", Person, 0)},
  {RECORD("date", Date, 0)},
  {RECORD("path", Path, 0)},
  {RECORD("database-entry", DataBaseEntry, 1), {TEXT_ATTRIBUTE("id", rnamlsetDataBaseEntryId)}},
  {RECORD("analysis", Analysis, 1), {TEXT_ATTRIBUTE("id", rnamlsetAnalysisId)}},
  {RECORD("program", Program, 0)},
  {RECORD("revision", Revision, 1)},
};

/* --- end tags of record elements ----------------------------------------- */

#define SET(f) {.set = {f}}
#define ADD(getter) {.list = getter}
#define SET_IN(K, f) {rnamlCode##K, SET(f)}
#define ADD_TO(K, List) {rnamlCode##K, ADD(rnamlget##K##List)}
#define FIRST_FREE(K, A, B) \
  {rnamlCode##K, {.set = {rnamlset##K##A, rnamlset##K##B}, .held = {rnamlget##K##A}}}
#define FIRST_FREE3(K, A, B, C)                                      \
  {rnamlCode##K,                                                     \
   {.set = {rnamlset##K##A, rnamlset##K##B, rnamlset##K##C},         \
    .held = {rnamlget##K##A, rnamlget##K##B}}}
#define TO_ANNOTATION ADD_TO(StrAnnotation, Children)

static const rnamlEndRule ends[] = {
  {.name = "rnaml", .root = 1},
  {.name = "molecule",
   .parents = {ADD_TO(Rnaml, Children), ADD_TO(MoleculeClass, Children),
               SET_IN(ConsensusMolecule, rnamlsetConsensusMoleculeMolecule)}},
  {.name = "identity",
   .parents = {SET_IN(Molecule, rnamlsetMoleculeIdentity),
               SET_IN(MoleculeClass, rnamlsetMoleculeClassIdentity)}},
  {.name = "taxonomy", .parents = {SET_IN(Identity, rnamlsetIdentityTaxonomy)}},
  {.name = "sequence", .parents = {ADD_TO(Molecule, Sequences)}},
  {.name = "numbering-system",
   .parents = {ADD_TO(Sequence, NumberingSystems), ADD_TO(MoleculeClass, Children)}},
  {.name = "numbering-range", .parents = {ADD_TO(NumberingSystem, Children)}},
  {.name = "numbering-table",
   .own = {.conversion = rnamlAsNumbers, .set = {{.values = rnamlgetNumberingTableValues}}},
   .parents = {ADD_TO(NumberingSystem, Children)}},
  {.name = "seq-data",
   .own = TEXT_VALUE(rnamlsetSeqDataValue),
   .parents = {SET_IN(Sequence, rnamlsetSequenceSeqData),
               SET_IN(AliSequence, rnamlsetAliSequenceSeqData)}},
  {.name = "seq-annotation", .parents = {SET_IN(Sequence, rnamlsetSequenceSeqAnnotation)}},
  {.name = "modification", .parents = {ADD_TO(SeqAnnotation, Child)}},
  {.name = "base-id",
   .parents = {SET_IN(Modification, rnamlsetModificationBaseId),
               SET_IN(BaseConformation, rnamlsetBaseConformationBaseId),
               SET_IN(BaseId5p, rnamlsetBaseId5pBaseId), SET_IN(BaseId3p, rnamlsetBaseId3pBaseId),
               FIRST_FREE(BaseStack, BaseId1, BaseId2),
               FIRST_FREE(DistanceConstraint, BaseId1, BaseId2),
               SET_IN(SurfaceConstraint, rnamlsetSurfaceConstraintBaseId),
               SET_IN(SsBaseCoord, rnamlsetSsBaseCoordBaseId)}},
  {.name = "molecule-id",
   .parents = {ADD_TO(MoleculeClass, Children),
               SET_IN(AliSequence, rnamlsetAliSequenceMoleculeId),
               SET_IN(BaseId, rnamlsetBaseIdMoleculeId)}},
  {.name = "model-id", .parents = {SET_IN(BaseId, rnamlsetBaseIdModelId)}},
  {.name = "segment",
   .parents = {ADD_TO(SeqAnnotation, Child), SET_IN(SingleStrand, rnamlsetSingleStrandSegment)}},
  {.name = "base-id-5p",
   .parents = {SET_IN(Segment, rnamlsetSegmentBaseId5p), SET_IN(BasePair, rnamlsetBasePairBaseId5p),
               SET_IN(Helix, rnamlsetHelixBaseId5p)}},
  /* A segment ends at a base-id-3p or after a length. */
  {.name = "base-id-3p",
   .parents = {SET_IN(Segment, rnamlsetSegmentEnd), SET_IN(BasePair, rnamlsetBasePairBaseId3p),
               SET_IN(Helix, rnamlsetHelixBaseId3p)}},
  {.name = "structure", .parents = {SET_IN(Molecule, rnamlsetMoleculeStructure)}},
  {.name = "model", .parents = {ADD_TO(Structure, Models)}},
  {.name = "model-info", .parents = {SET_IN(Model, rnamlsetModelModelInfo)}},
  {.name = "method",
   .own = TEXT_VALUE(rnamlsetMethodValue),
   .parents = {SET_IN(ModelInfo, rnamlsetModelInfoMethod)}},
  {.name = "resolution",
   .own = FLOAT_VALUE(rnamlsetResolutionValue),
   .parents = {SET_IN(ModelInfo, rnamlsetModelInfoResolution)}},
  {.name = "free-energy",
   .own = FLOAT_VALUE(rnamlsetFreeEnergyValue),
   .parents = {ADD_TO(ModelInfo, FreeEnergies)}},
  {.name = "base", .parents = {ADD_TO(Model, Bases)}},
  {.name = "atom", .placed = 1, .parents = {ADD_TO(Base, Atoms)}},
  {.name = "str-annotation",
   .parents = {SET_IN(Model, rnamlsetModelStrAnnotation),
               ADD_TO(Interactions, StrAnnotations)}},
  {.name = "base-conformation", .parents = {TO_ANNOTATION}},
  {.name = "base-torsion-angles",
   .parents = {SET_IN(BaseConformation, rnamlsetBaseConformationBaseTorsionAngles)}},
  {.name = "base-pair",
   .parents = {TO_ANNOTATION, FIRST_FREE3(BaseTriple, Child1, Child2, Child3)}},
  {.name = "base-triple", .parents = {TO_ANNOTATION}},
  {.name = "base-pair-id", .parents = {FIRST_FREE3(BaseTriple, Child1, Child2, Child3)}},
  {.name = "base-stack", .parents = {TO_ANNOTATION}},
  {.name = "helix", .parents = {TO_ANNOTATION}},
  {.name = "pseudoknot", .parents = {TO_ANNOTATION}},
  {.name = "helix-id", .parents = {FIRST_FREE(Pseudoknot, HelixId1, HelixId2)}},
  {.name = "single-strand", .parents = {TO_ANNOTATION}},
  {.name = "distance-constraint", .parents = {TO_ANNOTATION}},
  {.name = "surface-constraint", .parents = {TO_ANNOTATION}},
  {.name = "secondary-structure-display",
   .parents = {SET_IN(Model, rnamlsetModelSecondaryStructureDisplay)}},
  {.name = "ss-base-coord", .parents = {ADD_TO(SecondaryStructureDisplay, SsBaseCoords)}},
  {.name = "molecule-class", .parents = {ADD_TO(Rnaml, Children)}},
  {.name = "consensus-molecule", .parents = {ADD_TO(MoleculeClass, Children)}},
  {.name = "alignment-id",
   .parents = {SET_IN(ConsensusMolecule, rnamlsetConsensusMoleculeAlignmentId)}},
  {.name = "alignment", .parents = {ADD_TO(MoleculeClass, Children)}},
  {.name = "ali-sequence", .parents = {ADD_TO(Alignment, AliSequences)}},
  {.name = "interactions", .parents = {ADD_TO(Rnaml, Children)}},
  {.name = "reference",
   .parents = {ADD_TO(Rnaml, Children), ADD_TO(Analysis, Children), ADD_TO(Program, Children)}},
  {.name = "author", .parents = {ADD_TO(Reference, Children), ADD_TO(Analysis, Children)}},
  {.name = "person", .parents = {SET_IN(Author, rnamlsetAuthorPerson)}},
  {.name = "date",
   .parents = {ADD_TO(Reference, Children), ADD_TO(Analysis, Children),
               ADD_TO(Revision, Children)}},
  {.name = "path",
   .parents = {ADD_TO(Reference, Children), SET_IN(DataBaseEntry, rnamlsetDataBaseEntryPath)}},
  {.name = "database-entry", .parents = {ADD_TO(Rnaml, Children)}},
  {.name = "analysis", .parents = {ADD_TO(Rnaml, Children)}},
  {.name = "program", .parents = {ADD_TO(Analysis, Children)}},
  /* Text directly in a revision becomes its PcData children as it comes. */
  {.name = "revision",
   .own = {.conversion = rnamlAsPcData, .set = {{.child = rnamladdRevisionChild}}},
   .parents = {ADD_TO(Rnaml, Children)}},
};

/* --- end tags of text elements ------------------------------------------- */

#define TEXT_IN(K, F) {.parent = rnamlCode##K, .value = TEXT_VALUE(rnamlset##K##F)}
#define INT_IN(K, F) {.parent = rnamlCode##K, .value = INT_VALUE(rnamlset##K##F)}
#define FLOAT_IN(K, F) {.parent = rnamlCode##K, .value = FLOAT_VALUE(rnamlset##K##F)}
#define CHAR_IN(K, F) {.parent = rnamlCode##K, .value = CHAR_VALUE(rnamlset##K##F)}
/* The value goes into a new record of kind Made, attached to the parent. */
#define MADE_IN(K, Made, how, joined) \
  {.parent = rnamlCode##K, .make = rnamlnew##Made, .value = how, .attach = joined}
#define TEXT_RECORD(K, Made, joined) MADE_IN(K, Made, TEXT_VALUE(rnamlset##Made##Value), joined)
#define INT_RECORD(K, Made, joined) MADE_IN(K, Made, INT_VALUE(rnamlset##Made##Value), joined)
#define PAGES_VALUE(start, end) \
  {.conversion = rnamlAsPages, .set = {{.integer = start}, {.integer = end}}}
#define FLOATS(...) {.conversion = rnamlAsFloats, .set = {__VA_ARGS__}}
#define LEADING_FLOATS(...) {.conversion = rnamlAsLeadingFloats, .set = {__VA_ARGS__}}

static const rnamlTextRule texts[] = {
  {"name", {TEXT_IN(Identity, Name)}},
  {"domain", {TEXT_IN(Taxonomy, Domain)}},
  {"kingdom", {TEXT_IN(Taxonomy, Kingdom)}},
  {"phylum", {TEXT_IN(Taxonomy, Phylum)}},
  {"class", {TEXT_IN(Taxonomy, Class)}},
  {"order", {TEXT_IN(Taxonomy, Order)}},
  {"family", {TEXT_IN(Taxonomy, Family)}},
  {"genus", {TEXT_IN(Taxonomy, Genus)}},
  {"species", {TEXT_IN(Taxonomy, Species)}},
  {"strain", {TEXT_IN(Taxonomy, Strain)}},
  {"start", {INT_IN(NumberingRange, Start)}},
  {"end", {INT_RECORD(NumberingRange, End, SET(rnamlsetNumberingRangeEnd))}},
  {"length",
   {INT_RECORD(NumberingRange, Length, SET(rnamlsetNumberingRangeEnd)),
    INT_RECORD(Segment, Length, SET(rnamlsetSegmentEnd)),
    INT_RECORD(Helix, Length, SET(rnamlsetHelixLength))}},
  {"strand", {TEXT_IN(BaseId, Strand), TEXT_IN(Base, Strand)}},
  {"position", {INT_IN(BaseId, Position), INT_IN(Base, Position)}},
  {"modified-type", {TEXT_IN(Modification, ModifiedType)}},
  {"seg-name", {TEXT_IN(Segment, SegName)}},
  {"base-type", {TEXT_IN(Base, BaseType)}},
  {"alt-loc", {CHAR_IN(Base, AltLoc)}},
  {"insertion", {CHAR_IN(Base, Insertion)}},
  {"atom-type",
   {TEXT_IN(Atom, AtomType),
    {.parent = rnamlCodeDistanceConstraint,
     .value = {.conversion = rnamlAsText,
               .set = {{.text = rnamlsetDistanceConstraintAtomType1},
                       {.text = rnamlsetDistanceConstraintAtomType2}},
               .held = rnamlgetDistanceConstraintAtomType1}},
    TEXT_IN(SurfaceConstraint, AtomType)}},
  {"coordinates",
   {{.parent = rnamlCodeAtom,
     .value = FLOATS({.real = rnamlsetAtomX}, {.real = rnamlsetAtomY}, {.real = rnamlsetAtomZ})},
    {.parent = rnamlCodeSsBaseCoord,
     .value = LEADING_FLOATS({.real = rnamlsetSsBaseCoordX}, {.real = rnamlsetSsBaseCoordY})}}},
  {"occupancy", {FLOAT_IN(Atom, Occupancy)}},
  {"temp-factor", {FLOAT_IN(Atom, TempFactor)}},
  {"seg-id", {TEXT_IN(Atom, SegId)}},
  {"element", {TEXT_IN(Atom, Element)}},
  {"charge", {TEXT_IN(Atom, Charge)}},
  {"pucker", {TEXT_IN(BaseConformation, Pucker)}},
  {"glycosyl", {TEXT_IN(BaseConformation, Glycosyl)}},
  {"alpha", {FLOAT_IN(BaseTorsionAngles, Alpha)}},
  {"beta", {FLOAT_IN(BaseTorsionAngles, Beta)}},
  {"gamma", {FLOAT_IN(BaseTorsionAngles, Gamma)}},
  {"delta", {FLOAT_IN(BaseTorsionAngles, Delta)}},
  {"epsilon", {FLOAT_IN(BaseTorsionAngles, Epsilon)}},
  {"zeta", {FLOAT_IN(BaseTorsionAngles, Zeta)}},
  {"chi", {FLOAT_IN(BaseTorsionAngles, Chi)}},
  {"nu0", {FLOAT_IN(BaseTorsionAngles, Nu0)}},
  {"nu1", {FLOAT_IN(BaseTorsionAngles, Nu1)}},
  {"nu2", {FLOAT_IN(BaseTorsionAngles, Nu2)}},
  {"nu3", {FLOAT_IN(BaseTorsionAngles, Nu3)}},
  {"nu4", {FLOAT_IN(BaseTorsionAngles, Nu4)}},
  {"edge-5p", {TEXT_IN(BasePair, Edge5p)}},
  {"edge-3p", {TEXT_IN(BasePair, Edge3p)}},
  {"bond-orientation", {TEXT_IN(BasePair, BondOrientation)}},
  {"strand-orientation", {TEXT_IN(BasePair, StrandOrientation)}},
  {"mean", {FLOAT_IN(DistanceConstraint, Mean)}},
  {"range", {FLOAT_IN(DistanceConstraint, Range)}},
  {"weight", {FLOAT_IN(DistanceConstraint, Weight)}},
  {"surface-value", {FLOAT_IN(SurfaceConstraint, SurfaceValue)}},
  {"first-name", {TEXT_IN(Person, FirstName)}},
  {"last-name", {TEXT_IN(Person, LastName)}},
  {"affiliation", {TEXT_RECORD(Person, Affiliation, ADD(rnamlgetPersonAffiliations))}},
  {"title", {TEXT_RECORD(Reference, Title, ADD(rnamlgetReferenceChildren))}},
  {"journal", {TEXT_RECORD(Reference, Journal, ADD(rnamlgetReferenceChildren))}},
  {"pubmed-id", {TEXT_RECORD(Reference, PubmedId, ADD(rnamlgetReferenceChildren))}},
  {"book-title", {TEXT_RECORD(Reference, BookTitle, ADD(rnamlgetReferenceChildren))}},
  {"editor", {TEXT_RECORD(Reference, Editor, ADD(rnamlgetReferenceChildren))}},
  {"volume", {INT_RECORD(Reference, Volume, ADD(rnamlgetReferenceChildren))}},
  {"issue", {INT_RECORD(Reference, Issue, ADD(rnamlgetReferenceChildren))}},
  {"pages",
   {MADE_IN(Reference, Pages, PAGES_VALUE(rnamlsetPagesStartPage, rnamlsetPagesEndPage),
            ADD(rnamlgetReferenceChildren))}},
  {"day", {INT_IN(Date, Day)}},
  {"month", {INT_IN(Date, Month)}},
  {"year", {INT_IN(Date, Year)}},
  {"url", {TEXT_RECORD(Path, Url, SET(rnamlsetPathChild))}},
  {"file", {TEXT_RECORD(Path, File, SET(rnamlsetPathChild))}},
  {"database", {TEXT_IN(DataBaseEntry, DataBase)}},
  {"entry", {TEXT_IN(DataBaseEntry, Entry)}},
  {"prog-name", {TEXT_RECORD(Program, ProgName, ADD(rnamlgetProgramChildren))}},
  {"prog-version", {TEXT_RECORD(Program, ProgVersion, ADD(rnamlgetProgramChildren))}},
};

#define COUNT(table) ((int)(sizeof table / sizeof table[0]))
_Static_assert(COUNT(starts) == 55 && COUNT(ends) == 55, "55 record elements");
_Static_assert(COUNT(texts) == 69, "69 text elements");

const int rnamlStartRuleCount = COUNT(starts), rnamlEndRuleCount = COUNT(ends),
          rnamlTextRuleCount = COUNT(texts);

/* --- the index by name --------------------------------------------------- */

static rnamlElementRules index_[COUNT(starts) + COUNT(texts)];
static int indexed;

static int byName(const void *a, const void *b)
{
  return strcmp(((const rnamlElementRules *)a)->name, ((const rnamlElementRules *)b)->name);
}

static rnamlElementRules *find(const char *name, int count)
{
  rnamlElementRules key = {name, NULL, NULL, NULL};
  return bsearch(&key, index_, (size_t)count, sizeof index_[0], byName);
}

/* The start and end rows of a record element share an entry. */
static void buildIndex(void)
{
  int count = 0;
  for (int i = 0; i < COUNT(starts); ++i)
    index_[count++] = (rnamlElementRules){starts[i].name, &starts[i], NULL, NULL};
  for (int i = 0; i < COUNT(texts); ++i)
    index_[count++] = (rnamlElementRules){texts[i].name, NULL, NULL, &texts[i]};
  qsort(index_, (size_t)count, sizeof index_[0], byName);
  for (int i = 0; i < COUNT(ends); ++i) find(ends[i].name, count)->end = &ends[i];
  indexed = 1;
}

const rnamlElementRules *rnamlrulesOf(const char *name)
{
  if (!indexed) buildIndex();
  return name ? find(name, COUNT(index_)) : NULL;
}
