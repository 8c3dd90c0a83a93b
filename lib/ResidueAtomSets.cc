#include "ResidueAtomSets.h"

#include <iterator>

namespace {

// The lists hold the addresses of the singleton pointers, which are null
// until TesselInit has run; setAtomSets reads them when it is called. They
// are kept as files have been validated against them, oddities included:
// the amino-acid optional sets hold the types H1 and H2 rather than H
// (PRO's holds H), and every nucleotide's optional set holds H5p beside
// 1H5p and 2H5p.

constexpr t_Atom* const* kdAObl[] = {
  &a_C1p, &a_C2, &a_C2p, &a_C3p, &a_C4, &a_C4p, &a_C5, &a_C5p, &a_C6, &a_C8, &a_N1, &a_N3, &a_N6,
  &a_N7, &a_N9, &a_O1P, &a_O2P, &a_O3p, &a_O4p, &a_O5p, &a_P, &a_PSY, &a_PSZ
};
static_assert(std::size(kdAObl) == 23);
constexpr t_Atom* const* krAObl[] = {
  &a_C1p, &a_C2, &a_C2p, &a_C3p, &a_C4, &a_C4p, &a_C5, &a_C5p, &a_C6, &a_C8, &a_N1, &a_N3, &a_N6,
  &a_N7, &a_N9, &a_O1P, &a_O2P, &a_O2p, &a_O3p, &a_O4p, &a_O5p, &a_P, &a_PSY, &a_PSZ
};
static_assert(std::size(krAObl) == 24);
constexpr t_Atom* const* kdCObl[] = {
  &a_C1p, &a_C2, &a_C2p, &a_C3p, &a_C4, &a_C4p, &a_C5, &a_C5p, &a_C6, &a_N1, &a_N3, &a_N4, &a_O1P,
  &a_O2, &a_O2P, &a_O3p, &a_O4p, &a_O5p, &a_P, &a_PSY, &a_PSZ
};
static_assert(std::size(kdCObl) == 21);
constexpr t_Atom* const* krCObl[] = {
  &a_C1p, &a_C2, &a_C2p, &a_C3p, &a_C4, &a_C4p, &a_C5, &a_C5p, &a_C6, &a_N1, &a_N3, &a_N4, &a_O1P,
  &a_O2, &a_O2P, &a_O2p, &a_O3p, &a_O4p, &a_O5p, &a_P, &a_PSY, &a_PSZ
};
static_assert(std::size(krCObl) == 22);
constexpr t_Atom* const* kdGObl[] = {
  &a_C1p, &a_C2, &a_C2p, &a_C3p, &a_C4, &a_C4p, &a_C5, &a_C5p, &a_C6, &a_C8, &a_N1, &a_N2, &a_N3,
  &a_N7, &a_N9, &a_O1P, &a_O2P, &a_O3p, &a_O4p, &a_O5p, &a_O6, &a_P, &a_PSY, &a_PSZ
};
static_assert(std::size(kdGObl) == 24);
constexpr t_Atom* const* krGObl[] = {
  &a_C1p, &a_C2, &a_C2p, &a_C3p, &a_C4, &a_C4p, &a_C5, &a_C5p, &a_C6, &a_C8, &a_N1, &a_N2, &a_N3,
  &a_N7, &a_N9, &a_O1P, &a_O2p, &a_O2P, &a_O3p, &a_O4p, &a_O5p, &a_O6, &a_P, &a_PSY, &a_PSZ
};
static_assert(std::size(krGObl) == 25);
constexpr t_Atom* const* kdTObl[] = {
  &a_C1p, &a_C2, &a_C2p, &a_C3p, &a_C4, &a_C4p, &a_C5, &a_C5p, &a_C5M, &a_C6, &a_N1, &a_N3, &a_O1P,
  &a_O2, &a_O2P, &a_O3p, &a_O4, &a_O4p, &a_O5p, &a_P, &a_PSY, &a_PSZ
};
static_assert(std::size(kdTObl) == 22);
constexpr t_Atom* const* krUObl[] = {
  &a_C1p, &a_C2, &a_C2p, &a_C3p, &a_C4, &a_C4p, &a_C5, &a_C5p, &a_C6, &a_N1, &a_N3, &a_O1P, &a_O2,
  &a_O2p, &a_O2P, &a_O3p, &a_O4, &a_O4p, &a_O5p, &a_P, &a_PSY, &a_PSZ
};
static_assert(std::size(krUObl) == 22);
constexpr t_Atom* const* kALAObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB
};
static_assert(std::size(kALAObl) == 5);
constexpr t_Atom* const* kARGObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD, &a_NE, &a_CZ, &a_NH1, &a_NH2
};
static_assert(std::size(kARGObl) == 11);
constexpr t_Atom* const* kASNObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_OD1, &a_ND2
};
static_assert(std::size(kASNObl) == 8);
constexpr t_Atom* const* kASPObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_OD1, &a_OD2
};
static_assert(std::size(kASPObl) == 8);
constexpr t_Atom* const* kCYSObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_SG
};
static_assert(std::size(kCYSObl) == 6);
constexpr t_Atom* const* kGLNObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD, &a_OE1, &a_NE2
};
static_assert(std::size(kGLNObl) == 9);
constexpr t_Atom* const* kGLUObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD, &a_OE1, &a_OE2
};
static_assert(std::size(kGLUObl) == 9);
constexpr t_Atom* const* kGLYObl[] = {
  &a_N, &a_C, &a_O, &a_CA
};
static_assert(std::size(kGLYObl) == 4);
constexpr t_Atom* const* kHISObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_ND1, &a_CD2, &a_CE1, &a_NE2
};
static_assert(std::size(kHISObl) == 10);
constexpr t_Atom* const* kILEObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG1, &a_CG2, &a_CD1
};
static_assert(std::size(kILEObl) == 8);
constexpr t_Atom* const* kLEUObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD1, &a_CD2
};
static_assert(std::size(kLEUObl) == 8);
constexpr t_Atom* const* kLYSObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD, &a_CE, &a_NZ
};
static_assert(std::size(kLYSObl) == 9);
constexpr t_Atom* const* kMETObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_SD, &a_CE
};
static_assert(std::size(kMETObl) == 8);
constexpr t_Atom* const* kPHEObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD1, &a_CD2, &a_CE1, &a_CE2, &a_CZ
};
static_assert(std::size(kPHEObl) == 11);
constexpr t_Atom* const* kPROObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD
};
static_assert(std::size(kPROObl) == 7);
constexpr t_Atom* const* kSERObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_OG
};
static_assert(std::size(kSERObl) == 6);
constexpr t_Atom* const* kTHRObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_OG1, &a_CG2
};
static_assert(std::size(kTHRObl) == 7);
constexpr t_Atom* const* kTRPObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD1, &a_CD2, &a_NE1, &a_CE2, &a_CE3, &a_CZ2, &a_CZ3,
  &a_CH2
};
static_assert(std::size(kTRPObl) == 14);
constexpr t_Atom* const* kTYRObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG, &a_CD1, &a_CD2, &a_CE1, &a_CE2, &a_CZ, &a_OH
};
static_assert(std::size(kTYRObl) == 12);
constexpr t_Atom* const* kVALObl[] = {
  &a_N, &a_C, &a_O, &a_CA, &a_CB, &a_CG1, &a_CG2
};
static_assert(std::size(kVALObl) == 7);
constexpr t_Atom* const* kdAOpt[] = {
  &a_H2, &a_H8, &a_1H6, &a_2H6, &a_LP1, &a_LP3, &a_LP7, &a_H1p, &a_H2p, &a_H3p, &a_H4p, &a_1H5p,
  &a_2H5p, &a_HO2p, &a_HO3p, &a_1H2p, &a_2H2p, &a_H5p
};
static_assert(std::size(kdAOpt) == 18);
constexpr t_Atom* const* krAOpt[] = {
  &a_H2, &a_H8, &a_1H6, &a_2H6, &a_LP1, &a_LP3, &a_LP7, &a_H1p, &a_H2p, &a_H3p, &a_H4p, &a_1H5p,
  &a_2H5p, &a_HO2p, &a_HO3p, &a_1H2p, &a_H5p
};
static_assert(std::size(krAOpt) == 17);
constexpr t_Atom* const* kdCOpt[] = {
  &a_H5, &a_H6, &a_1H4, &a_2H4, &a_LP3, &a_1LP2, &a_2LP2, &a_H1p, &a_H2p, &a_H3p, &a_H4p, &a_1H5p,
  &a_2H5p, &a_HO2p, &a_HO3p, &a_1H2p, &a_2H2p, &a_H5p
};
static_assert(std::size(kdCOpt) == 18);
constexpr t_Atom* const* krCOpt[] = {
  &a_H5, &a_H6, &a_1H4, &a_2H4, &a_LP3, &a_1LP2, &a_2LP2, &a_H1p, &a_H2p, &a_H3p, &a_H4p, &a_1H5p,
  &a_2H5p, &a_HO2p, &a_HO3p, &a_1H2p, &a_H5p
};
static_assert(std::size(krCOpt) == 17);
constexpr t_Atom* const* kdGOpt[] = {
  &a_H1, &a_H8, &a_1H2, &a_2H2, &a_LP3, &a_LP7, &a_1LP6, &a_2LP6, &a_H1p, &a_H2p, &a_H3p, &a_H4p,
  &a_1H5p, &a_2H5p, &a_HO2p, &a_HO3p, &a_1H2p, &a_2H2p, &a_H5p
};
static_assert(std::size(kdGOpt) == 19);
constexpr t_Atom* const* krGOpt[] = {
  &a_H1, &a_H8, &a_1H2, &a_2H2, &a_LP3, &a_LP7, &a_1LP6, &a_2LP6, &a_H1p, &a_H2p, &a_H3p, &a_H4p,
  &a_1H5p, &a_2H5p, &a_HO2p, &a_HO3p, &a_1H2p, &a_H5p
};
static_assert(std::size(krGOpt) == 18);
constexpr t_Atom* const* kdTOpt[] = {
  &a_1LP2, &a_2LP2, &a_1LP4, &a_2LP4, &a_H3, &a_H6, &a_1H5M, &a_2H5M, &a_3H5M, &a_H1p, &a_H2p,
  &a_H3p, &a_H4p, &a_1H5p, &a_2H5p, &a_HO2p, &a_HO3p, &a_1H2p, &a_2H2p, &a_H5p
};
static_assert(std::size(kdTOpt) == 20);
constexpr t_Atom* const* krUOpt[] = {
  &a_H3, &a_H5, &a_H6, &a_1LP2, &a_2LP2, &a_1LP4, &a_2LP4, &a_H1p, &a_H2p, &a_H3p, &a_H4p, &a_1H5p,
  &a_2H5p, &a_HO2p, &a_HO3p, &a_1H2p, &a_H5p
};
static_assert(std::size(krUOpt) == 17);
constexpr t_Atom* const* kALAOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HB3
};
static_assert(std::size(kALAOpt) == 6);
constexpr t_Atom* const* kARGOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HG1, &a_HG2, &a_HD1, &a_HD2, &a_HE, &a_1HH1, &a_2HH1,
  &a_1HH2, &a_2HH2
};
static_assert(std::size(kARGOpt) == 14);
constexpr t_Atom* const* kASNOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_1HD2, &a_2HD2
};
static_assert(std::size(kASNOpt) == 7);
constexpr t_Atom* const* kASPOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2
};
static_assert(std::size(kASPOpt) == 5);
constexpr t_Atom* const* kCYSOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HG
};
static_assert(std::size(kCYSOpt) == 6);
constexpr t_Atom* const* kGLNOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HG1, &a_HG2, &a_1HE2, &a_2HE2
};
static_assert(std::size(kGLNOpt) == 9);
constexpr t_Atom* const* kGLUOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HG1, &a_HG2
};
static_assert(std::size(kGLUOpt) == 7);
constexpr t_Atom* const* kGLYOpt[] = {
  &a_H1, &a_H2, &a_HA1, &a_HA2
};
static_assert(std::size(kGLYOpt) == 4);
constexpr t_Atom* const* kHISOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HD1, &a_HD2, &a_HE1
};
static_assert(std::size(kHISOpt) == 8);
constexpr t_Atom* const* kILEOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB, &a_1HG1, &a_2HG1, &a_1HG2, &a_2HG2, &a_3HG2, &a_1HD1, &a_2HD1,
  &a_3HD1
};
static_assert(std::size(kILEOpt) == 12);
constexpr t_Atom* const* kLEUOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HG, &a_1HD1, &a_2HD1, &a_3HD1, &a_1HD2, &a_2HD2, &a_3HD2
};
static_assert(std::size(kLEUOpt) == 12);
constexpr t_Atom* const* kLYSOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HG1, &a_HG2, &a_HD1, &a_HD2, &a_HE1, &a_HE2, &a_HZ1,
  &a_HZ2, &a_HZ3
};
static_assert(std::size(kLYSOpt) == 14);
constexpr t_Atom* const* kMETOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HG1, &a_HG2, &a_HE1, &a_HE2, &a_HE3
};
static_assert(std::size(kMETOpt) == 10);
constexpr t_Atom* const* kPHEOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HD1, &a_HD2, &a_HE1, &a_HE2, &a_HZ
};
static_assert(std::size(kPHEOpt) == 10);
constexpr t_Atom* const* kPROOpt[] = {
  &a_H, &a_HA, &a_HB1, &a_HB2, &a_HG1, &a_HG2, &a_HD1, &a_HD2
};
static_assert(std::size(kPROOpt) == 8);
constexpr t_Atom* const* kSEROpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HG
};
static_assert(std::size(kSEROpt) == 6);
constexpr t_Atom* const* kTHROpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB, &a_HG1, &a_1HG2, &a_2HG2, &a_3HG2
};
static_assert(std::size(kTHROpt) == 8);
constexpr t_Atom* const* kTRPOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HD1, &a_HE1, &a_HE3, &a_HZ2, &a_HZ3, &a_HH2
};
static_assert(std::size(kTRPOpt) == 11);
constexpr t_Atom* const* kTYROpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB1, &a_HB2, &a_HD1, &a_HD2, &a_HE1, &a_HE2, &a_HH
};
static_assert(std::size(kTYROpt) == 10);
constexpr t_Atom* const* kVALOpt[] = {
  &a_H1, &a_H2, &a_HA, &a_HB, &a_1HG1, &a_2HG1, &a_3HG1, &a_1HG2, &a_2HG2, &a_3HG2
};
static_assert(std::size(kVALOpt) == 10);

struct SetList
{
  AtomTypeSet* set;
  t_Atom* const* const* members;
  std::size_t count;
};

template <std::size_t N>
constexpr SetList list(AtomTypeSet& set, t_Atom* const* const (&members)[N])
{
  return SetList{&set, members, N};
}

constexpr SetList kSetLists[] = {
#define TESSEL_RESIDUE_ATOM_SETS(RES) list(g##RES##OblAtomSet, k##RES##Obl),
#include "ResidueAtomSets.def"
#define TESSEL_RESIDUE_ATOM_SETS(RES) list(g##RES##OptAtomSet, k##RES##Opt),
#include "ResidueAtomSets.def"
};
static_assert(std::size(kSetLists) == 56);

constexpr std::size_t insertions(std::size_t first, std::size_t last)
{
  std::size_t n = 0;
  for (std::size_t i = first; i < last; ++i) n += kSetLists[i].count;
  return n;
}
static_assert(insertions(0, 28) == 350, "obligatory members");
static_assert(insertions(28, 56) == 321, "optional members");

}  // namespace

void setAtomSets()
{
  for (const SetList& l : kSetLists)
    for (std::size_t i = 0; i < l.count; ++i) l.set->insert(*l.members[i]);
}
