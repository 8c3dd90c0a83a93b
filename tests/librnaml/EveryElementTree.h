// The tree of tests/data/rnaml/every-element.xml built through the record
// API, written from the element forms and independently of the
// unmarshaller's tables: a wrong row in any of them makes the two differ.
#ifndef TOLVA_EVERY_ELEMENT_TREE_H
#define TOLVA_EVERY_ELEMENT_TREE_H

#include "rnaml.h"

namespace rnaml_test {

using R = rnamlOBJECT*;

template <class Set, class Value>
R with(R record, Set set, Value value)
{
  set(record, value);
  return record;
}

inline R base_id(int position)
{
  return with(rnamlnewBaseId(), rnamlsetBaseIdPosition, position);
}
inline R id5p(int position)
{
  return with(rnamlnewBaseId5p(), rnamlsetBaseId5pBaseId, base_id(position));
}
inline R id3p(int position)
{
  return with(rnamlnewBaseId3p(), rnamlsetBaseId3pBaseId, base_id(position));
}
inline R length_of(int value)
{
  return with(rnamlnewLength(), rnamlsetLengthValue, value);
}
inline R molecule_id(const char* ref)
{
  return with(rnamlnewMoleculeId(), rnamlsetMoleculeIdRef, ref);
}
inline R numbering_range(int start, R end)
{
  R range = with(rnamlnewNumberingRange(), rnamlsetNumberingRangeStart, start);
  return with(range, rnamlsetNumberingRangeEnd, end);
}
inline R person(const char* first, const char* last)
{
  return with(with(rnamlnewPerson(), rnamlsetPersonFirstName, first), rnamlsetPersonLastName, last);
}
inline R year(int value)
{
  return with(rnamlnewDate(), rnamlsetDateYear, value);
}

inline R molecule_m1()
{
  R m = with(with(rnamlnewMolecule(), rnamlsetMoleculeId, "m1"), rnamlsetMoleculeType, "dna");
  rnamladdObjectReferenceId(m, "r1 r2");
  rnamladdObjectAnalysisId(m, "a1");
  rnamladdObjectDatabaseId(m, "d1");
  R taxonomy = rnamlnewTaxonomy();
  void (*ranks[])(R, const char*) = {rnamlsetTaxonomyDomain, rnamlsetTaxonomyKingdom, rnamlsetTaxonomyPhylum,
                                     rnamlsetTaxonomyClass,  rnamlsetTaxonomyOrder,   rnamlsetTaxonomyFamily,
                                     rnamlsetTaxonomyGenus,  rnamlsetTaxonomySpecies, rnamlsetTaxonomyStrain};
  const char* names[] = {"Do", "Ki", "Ph", "Cl", "Or", "Fa", "Ge", "Sp", "St"};
  for (int i = 0; i < 9; ++i) ranks[i](taxonomy, names[i]);
  rnamlsetMoleculeIdentity(m, with(with(rnamlnewIdentity(), rnamlsetIdentityName, "tRNA-Phe"),
                                   rnamlsetIdentityTaxonomy, taxonomy));

  R sequence = with(with(rnamlnewSequence(), rnamlsetSequenceStrand, "A"), rnamlsetSequenceLength, 76);
  rnamlsetSequenceCircular(sequence, 1);
  R n1 = with(with(rnamlnewNumberingSystem(), rnamlsetNumberingSystemId, "n1"),
              rnamlsetNumberingSystemUsedInFile, 1);
  rnamladdNumberingSystemChild(n1, numbering_range(1, with(rnamlnewEnd(), rnamlsetEndValue, 40)));
  rnamladdNumberingSystemChild(n1, numbering_range(41, length_of(36)));
  R table = with(rnamlnewNumberingTable(), rnamlsetNumberingTableLength, 4);
  for (int v : {1, 2, 3, -4}) rnamladdNumberingTableValue(table, v);
  R n2 = with(rnamlnewNumberingSystem(), rnamlsetNumberingSystemId, "n2");
  rnamladdNumberingSystemChild(n2, table);
  rnamladdSequenceNumberingSystem(sequence, n1);
  rnamladdSequenceNumberingSystem(sequence, n2);
  rnamlsetSequenceSeqData(sequence, with(rnamlnewSeqData(), rnamlsetSeqDataValue, "GCGGAUUU"));
  R annotation = rnamlnewSeqAnnotation();
  rnamladdSeqAnnotationChild(annotation, with(with(rnamlnewModification(), rnamlsetModificationBaseId, base_id(9)),
                                              rnamlsetModificationModifiedType, "m1G"));
  R segment = with(rnamlnewSegment(), rnamlsetSegmentSegName, "acceptor");
  rnamlsetSegmentBaseId5p(segment, id5p(1));
  rnamlsetSegmentEnd(segment, id3p(7));
  rnamladdSeqAnnotationChild(annotation, segment);
  rnamlsetSequenceSeqAnnotation(sequence, annotation);
  rnamladdMoleculeSequence(m, sequence);

  R info = with(rnamlnewModelInfo(), rnamlsetModelInfoMethod, with(rnamlnewMethod(), rnamlsetMethodValue, "X-ray"));
  rnamlsetModelInfoResolution(info, with(rnamlnewResolution(), rnamlsetResolutionValue, 2.5f));
  for (float e : {-12.5f, -3.0f})
    rnamladdModelInfoFreeEnergy(info, with(rnamlnewFreeEnergy(), rnamlsetFreeEnergyValue, e));
  R model = with(with(rnamlnewModel(), rnamlsetModelId, "x1"), rnamlsetModelModelInfo, info);

  R base = with(with(rnamlnewBase(), rnamlsetBaseStrand, "A"), rnamlsetBasePosition, 1);
  rnamlsetBaseBaseType(base, "G");
  rnamlsetBaseAltLoc(base, 'B');
  rnamlsetBaseInsertion(base, 'C');
  R atom = with(with(rnamlnewAtom(), rnamlsetAtomSerial, "12"), rnamlsetAtomAtomType, "C1'");
  rnamlsetAtomX(atom, 1.5f);
  rnamlsetAtomY(atom, -2.0f);
  rnamlsetAtomZ(atom, 30.0f);
  rnamlsetAtomOccupancy(atom, 0.5f);
  rnamlsetAtomTempFactor(atom, 20.25f);
  rnamlsetAtomSegId(atom, "S1");
  rnamlsetAtomElement(atom, "C");
  rnamlsetAtomCharge(atom, "0");
  rnamladdBaseAtom(base, atom);
  R bare = with(rnamlnewAtom(), rnamlsetAtomAtomType, "P");
  rnamlsetObjectComment(bare, "at the origin");
  rnamladdBaseAtom(base, bare);
  rnamladdModelBase(model, base);

  R annotations = rnamlnewStrAnnotation();
  R conformation_id = with(with(base_id(2), rnamlsetBaseIdStrand, "A"), rnamlsetBaseIdMoleculeId, molecule_id("m1"));
  rnamlsetBaseIdModelId(conformation_id, with(rnamlnewModelId(), rnamlsetModelIdRef, "x1"));
  R conformation = with(rnamlnewBaseConformation(), rnamlsetBaseConformationBaseId, conformation_id);
  rnamlsetBaseConformationPucker(conformation, "C3'-endo");
  rnamlsetBaseConformationGlycosyl(conformation, "anti");
  R angles = rnamlnewBaseTorsionAngles();
  void (*angle[])(R, float) = {rnamlsetBaseTorsionAnglesAlpha,   rnamlsetBaseTorsionAnglesBeta,
                               rnamlsetBaseTorsionAnglesGamma,   rnamlsetBaseTorsionAnglesDelta,
                               rnamlsetBaseTorsionAnglesEpsilon, rnamlsetBaseTorsionAnglesZeta,
                               rnamlsetBaseTorsionAnglesChi,     rnamlsetBaseTorsionAnglesNu0,
                               rnamlsetBaseTorsionAnglesNu1,     rnamlsetBaseTorsionAnglesNu2,
                               rnamlsetBaseTorsionAnglesNu3,     rnamlsetBaseTorsionAnglesNu4};
  for (int i = 0; i < 12; ++i) angle[i](angles, static_cast<float>(i + 1));
  rnamlsetBaseConformationBaseTorsionAngles(conformation, angles);
  rnamladdStrAnnotationChild(annotations, conformation);
  R pair = with(with(rnamlnewBasePair(), rnamlsetBasePairBaseId5p, id5p(1)), rnamlsetBasePairBaseId3p, id3p(72));
  rnamlsetBasePairEdge5p(pair, "W");
  rnamlsetBasePairEdge3p(pair, "H");
  rnamlsetBasePairBondOrientation(pair, "cis");
  rnamlsetBasePairStrandOrientation(pair, "anti");
  rnamladdStrAnnotationChild(annotations, pair);
  R inner = with(with(rnamlnewBasePair(), rnamlsetBasePairBaseId5p, id5p(2)), rnamlsetBasePairBaseId3p, id3p(71));
  R triple = with(rnamlnewBaseTriple(), rnamlsetBaseTripleChild1, inner);
  rnamlsetBaseTripleChild2(triple, with(rnamlnewBasePairId(), rnamlsetBasePairIdRef, "x1"));
  rnamlsetBaseTripleChild3(triple, with(rnamlnewBasePairId(), rnamlsetBasePairIdRef, "m1"));
  rnamladdStrAnnotationChild(annotations, triple);
  rnamladdStrAnnotationChild(annotations, with(with(rnamlnewBaseStack(), rnamlsetBaseStackBaseId1, base_id(3)),
                                               rnamlsetBaseStackBaseId2, base_id(4)));
  R helix = with(with(rnamlnewHelix(), rnamlsetHelixId, "h1"), rnamlsetHelixBaseId5p, id5p(1));
  rnamlsetHelixBaseId3p(helix, id3p(72));
  rnamlsetHelixLength(helix, length_of(7));
  rnamladdStrAnnotationChild(annotations, helix);
  R again = with(rnamlnewHelixId(), rnamlsetHelixIdRef, "h1");
  rnamlsetObjectComment(again, "again");
  rnamladdStrAnnotationChild(annotations, with(with(rnamlnewPseudoknot(), rnamlsetPseudoknotHelixId1,
                                                    with(rnamlnewHelixId(), rnamlsetHelixIdRef, "h1")),
                                               rnamlsetPseudoknotHelixId2, again));
  R single = with(rnamlnewSegment(), rnamlsetSegmentBaseId5p, id5p(8));
  rnamlsetSegmentEnd(single, length_of(2));
  rnamladdStrAnnotationChild(annotations, with(rnamlnewSingleStrand(), rnamlsetSingleStrandSegment, single));
  R distance = with(with(rnamlnewDistanceConstraint(), rnamlsetDistanceConstraintBaseId1, base_id(1)),
                    rnamlsetDistanceConstraintAtomType1, "N1");
  rnamlsetDistanceConstraintBaseId2(distance, base_id(2));
  rnamlsetDistanceConstraintAtomType2(distance, "N3");
  rnamlsetDistanceConstraintMean(distance, 2.9f);
  rnamlsetDistanceConstraintRange(distance, 0.5f);
  rnamlsetDistanceConstraintWeight(distance, 2.0f);
  rnamladdStrAnnotationChild(annotations, distance);
  R surface = with(with(rnamlnewSurfaceConstraint(), rnamlsetSurfaceConstraintBaseId, base_id(3)),
                   rnamlsetSurfaceConstraintAtomType, "O2'");
  rnamlsetSurfaceConstraintSurfaceValue(surface, 1.25f);
  rnamladdStrAnnotationChild(annotations, surface);
  rnamlsetModelStrAnnotation(model, annotations);
  R coordinate = with(with(rnamlnewSsBaseCoord(), rnamlsetSsBaseCoordBaseId, base_id(1)), rnamlsetSsBaseCoordX, 10.0f);
  rnamlsetSsBaseCoordY(coordinate, -20.5f);
  R display = rnamlnewSecondaryStructureDisplay();
  rnamladdSecondaryStructureDisplaySsBaseCoord(display, coordinate);
  rnamlsetModelSecondaryStructureDisplay(model, display);
  rnamlsetMoleculeStructure(m, with(rnamlnewStructure(), rnamladdStructureModel, model));
  return m;
}

inline R every_element_tree()
{
  R root = with(rnamlnewRnaml(), rnamlsetRnamlVersion, "1.1");
  rnamlsetObjectComment(root, "all of it");
  rnamladdRnamlChild(root, molecule_m1());

  R group = with(rnamlnewMoleculeClass(), rnamlsetMoleculeClassIdentity,
                 with(rnamlnewIdentity(), rnamlsetIdentityName, "class"));
  rnamladdMoleculeClassChild(group, with(rnamlnewMolecule(), rnamlsetMoleculeId, "m2"));
  rnamladdMoleculeClassChild(group, molecule_id("m1"));
  rnamladdMoleculeClassChild(group, with(with(rnamlnewNumberingSystem(), rnamlsetNumberingSystemId, "n3"),
                                         rnamladdNumberingSystemChild,
                                         numbering_range(5, with(rnamlnewEnd(), rnamlsetEndValue, 9))));
  R consensus = with(rnamlnewConsensusMolecule(), rnamlsetConsensusMoleculeAlignmentId,
                     with(rnamlnewAlignmentId(), rnamlsetAlignmentIdRef, "al1"));
  rnamlsetConsensusMoleculeMolecule(consensus, with(rnamlnewMolecule(), rnamlsetMoleculeId, "m3"));
  rnamladdMoleculeClassChild(group, consensus);
  R aligned = with(rnamlnewAliSequence(), rnamlsetAliSequenceMoleculeId, molecule_id("m1"));
  rnamlsetAliSequenceSeqData(aligned, with(rnamlnewSeqData(), rnamlsetSeqDataValue, "GC-GG"));
  rnamladdMoleculeClassChild(group, with(with(rnamlnewAlignment(), rnamlsetAlignmentId, "al1"),
                                         rnamladdAlignmentAliSequence, aligned));
  rnamladdRnamlChild(root, group);

  R stack = with(with(rnamlnewBaseStack(), rnamlsetBaseStackBaseId1, base_id(5)), rnamlsetBaseStackBaseId2, base_id(6));
  rnamladdRnamlChild(root, with(rnamlnewInteractions(), rnamladdInteractionsStrAnnotation,
                                with(rnamlnewStrAnnotation(), rnamladdStrAnnotationChild, stack)));

  R reference = with(rnamlnewReference(), rnamlsetReferenceId, "r1");
  R lee = person("Ann", "Lee");
  for (const char* u : {"U1", "U2"})
    rnamladdPersonAffiliation(lee, with(rnamlnewAffiliation(), rnamlsetAffiliationValue, u));
  rnamladdReferenceChild(reference, with(rnamlnewAuthor(), rnamlsetAuthorPerson, lee));
  rnamladdReferenceChild(reference, with(rnamlnewTitle(), rnamlsetTitleValue, "Title"));
  rnamladdReferenceChild(reference, with(rnamlnewJournal(), rnamlsetJournalValue, "Journal"));
  R date = with(with(year(2003), rnamlsetDateDay, 1), rnamlsetDateMonth, 2);
  rnamladdReferenceChild(reference, date);
  rnamladdReferenceChild(reference, with(rnamlnewPubmedId(), rnamlsetPubmedIdValue, "123"));
  rnamladdReferenceChild(reference, with(rnamlnewBookTitle(), rnamlsetBookTitleValue, "Book"));
  rnamladdReferenceChild(reference, with(rnamlnewEditor(), rnamlsetEditorValue, "Ed"));
  rnamladdReferenceChild(reference, with(rnamlnewVolume(), rnamlsetVolumeValue, 9));
  rnamladdReferenceChild(reference, with(rnamlnewIssue(), rnamlsetIssueValue, 4));
  rnamladdReferenceChild(reference, with(with(rnamlnewPages(), rnamlsetPagesStartPage, 12), rnamlsetPagesEndPage, 19));
  rnamladdReferenceChild(reference, with(rnamlnewPath(), rnamlsetPathChild,
                                         with(rnamlnewUrl(), rnamlsetUrlValue, "http://example.org/x")));
  rnamladdRnamlChild(root, reference);

  R entry = with(with(rnamlnewDataBaseEntry(), rnamlsetDataBaseEntryId, "d1"), rnamlsetDataBaseEntryDataBase, "PDB");
  rnamlsetDataBaseEntryEntry(entry, "1EHZ");
  R file = with(rnamlnewFile(), rnamlsetFileValue, "1ehz.pdb");
  rnamlsetDataBaseEntryPath(entry, with(rnamlnewPath(), rnamlsetPathChild, file));
  rnamladdRnamlChild(root, entry);

  R program = with(rnamlnewProgram(), rnamladdProgramChild, with(rnamlnewProgName(), rnamlsetProgNameValue, "fold"));
  rnamladdProgramChild(program, with(rnamlnewProgVersion(), rnamlsetProgVersionValue, "1.2"));
  rnamladdProgramChild(program, with(rnamlnewReference(), rnamlsetReferenceId, "r2"));
  R analysis = with(with(rnamlnewAnalysis(), rnamlsetAnalysisId, "a1"), rnamladdAnalysisChild, program);
  rnamladdAnalysisChild(analysis, year(2004));
  rnamladdAnalysisChild(analysis, with(rnamlnewAuthor(), rnamlsetAuthorPerson, person("Bo", "Chen")));
  rnamladdAnalysisChild(analysis, with(rnamlnewReference(), rnamlsetReferenceId, "r3"));
  rnamladdRnamlChild(root, analysis);

  R revision = with(rnamlnewRevision(), rnamladdRevisionChild, with(rnamlnewPcData(), rnamlsetPcDataValue, "made "));
  rnamladdRevisionChild(revision, year(2005));
  rnamladdRevisionChild(revision, with(rnamlnewPcData(), rnamlsetPcDataValue, " then"));
  rnamladdRnamlChild(root, revision);
  return root;
}

}  // namespace rnaml_test

#endif
