// Amber partial charges of the concrete atom types, keyed by AtomKind. Lone
// pairs and pseudo-atoms never come here: they answer their category's.
//
// The charges are the all-atom charges of the AMBER parm94 force field
// (Cornell et al., J. Am. Chem. Soc. 117:5179, 1995), which parm99 kept
// unchanged. They were read once from the Amber 99 table AMBER.DAT of
// PDB2PQR and are kept here as data. Each residue gives the charges of its
// internal template; histidine is HID (protonated on ND1), aspartate and
// glutamate are charged, lysine and arginine protonated.
#include <array>
#include <cstddef>
#include <iterator>

#include "AbstractResidue.h"
#include "AtomTypes.h"
#include "ResidueType.h"

namespace {

typedef bool (t_Residue::*ResidueTest)() const;
typedef t_Residue R;

struct AtomCharge
{
  AtomKind kind;
  float charge;
};

// q of the atom of type at_<S>.
#define Q(S, CHARGE) AtomCharge{AtomKind::k##S, CHARGE}

// The sugar-phosphate backbone of every nucleotide of one chain class; the
// class types r_DNA and r_RNA answer these too. O3P, H5' and H2' take the
// charges of O1P, H5'1 and H2'1, whose other names they are; H3T and H5T
// are those of the 3'- and 5'-terminal templates.
constexpr AtomCharge kDNABackbone[] = {
  Q(P, 1.1659f), Q(O1P, -0.7761f), Q(O2P, -0.7761f), Q(O5p, -0.4954f), Q(C5p, -0.0069f),
  Q(1H5p, 0.0754f), Q(2H5p, 0.0754f), Q(C4p, 0.1629f), Q(H4p, 0.1176f), Q(O4p, -0.3691f),
  Q(C3p, 0.0713f), Q(H3p, 0.0985f), Q(C2p, -0.0854f), Q(1H2p, 0.0718f), Q(O3p, -0.5232f),
  Q(O3P, -0.7761f), Q(H5p, 0.0754f), Q(H2p, 0.0718f), Q(H3T, 0.4396f), Q(H5T, 0.4422f)
};
constexpr AtomCharge kRNABackbone[] = {
  Q(P, 1.1662f), Q(O1P, -0.7760f), Q(O2P, -0.7760f), Q(O5p, -0.4989f), Q(C5p, 0.0558f),
  Q(1H5p, 0.0679f), Q(2H5p, 0.0679f), Q(C4p, 0.1065f), Q(H4p, 0.1174f), Q(O4p, -0.3548f),
  Q(C3p, 0.2022f), Q(H3p, 0.0615f), Q(C2p, 0.0670f), Q(1H2p, 0.0972f), Q(O2p, -0.6139f),
  Q(O3p, -0.5246f),
  Q(O3P, -0.7760f), Q(H5p, 0.0679f), Q(H2p, 0.0972f), Q(H3T, 0.4376f), Q(H5T, 0.4295f)
};
// The hydroxyl oxygen of a terminal nucleotide: O3' when the residue holds
// H3T, O5' when it holds H5T.
constexpr AtomCharge kDNA3Terminal[] = {Q(O3p, -0.6549f)};
constexpr AtomCharge kDNA5Terminal[] = {Q(O5p, -0.6318f)};
constexpr AtomCharge kRNA3Terminal[] = {Q(O3p, -0.6541f)};
constexpr AtomCharge kRNA5Terminal[] = {Q(O5p, -0.6223f)};

// H3 answers for its base class, so r_T and r_U have it too.
constexpr AtomCharge kTBase[] = {Q(H3, 0.3420f)};
constexpr AtomCharge kUBase[] = {Q(H3, 0.3154f)};

// C1', H1' and the base of each nucleotide. The methyl carbon of thymine
// takes one charge in any residue (below).
constexpr AtomCharge kdA[] = {
  Q(C1p, 0.0431f), Q(H1p, 0.1838f), Q(N9, -0.0268f), Q(C8, 0.1607f), Q(H8, 0.1877f),
  Q(N7, -0.6175f), Q(C5, 0.0725f), Q(C6, 0.6897f), Q(N6, -0.9123f), Q(1H6, 0.4167f),
  Q(2H6, 0.4167f), Q(N1, -0.7624f), Q(C2, 0.5716f), Q(H2, 0.0598f), Q(N3, -0.7417f),
  Q(C4, 0.3800f)
};
constexpr AtomCharge kdC[] = {
  Q(C1p, -0.0116f), Q(H1p, 0.1963f), Q(N1, -0.0339f), Q(C6, -0.0183f), Q(H6, 0.2293f),
  Q(C5, -0.5222f), Q(H5, 0.1863f), Q(C4, 0.8439f), Q(N4, -0.9773f), Q(1H4, 0.4314f),
  Q(2H4, 0.4314f), Q(N3, -0.7748f), Q(C2, 0.7959f), Q(O2, -0.6548f)
};
constexpr AtomCharge kdG[] = {
  Q(C1p, 0.0358f), Q(H1p, 0.1746f), Q(N9, 0.0577f), Q(C8, 0.0736f), Q(H8, 0.1997f),
  Q(N7, -0.5725f), Q(C5, 0.1991f), Q(C6, 0.4918f), Q(O6, -0.5699f), Q(N1, -0.5053f),
  Q(H1, 0.3520f), Q(C2, 0.7432f), Q(N2, -0.9230f), Q(1H2, 0.4235f), Q(2H2, 0.4235f),
  Q(N3, -0.6636f), Q(C4, 0.1814f)
};
constexpr AtomCharge kdT[] = {
  Q(C1p, 0.0680f), Q(H1p, 0.1804f), Q(N1, -0.0239f), Q(C6, -0.2209f), Q(H6, 0.2607f),
  Q(C5, 0.0025f), Q(1H5M, 0.0770f), Q(2H5M, 0.0770f), Q(3H5M, 0.0770f), Q(C4, 0.5194f),
  Q(O4, -0.5563f), Q(N3, -0.4340f), Q(C2, 0.5677f), Q(O2, -0.5881f)
};
constexpr AtomCharge krA[] = {
  Q(C1p, 0.0394f), Q(H1p, 0.2007f), Q(N9, -0.0251f), Q(C8, 0.2006f), Q(H8, 0.1553f),
  Q(N7, -0.6073f), Q(C5, 0.0515f), Q(C6, 0.7009f), Q(N6, -0.9019f), Q(1H6, 0.4115f),
  Q(2H6, 0.4115f), Q(N1, -0.7615f), Q(C2, 0.5875f), Q(H2, 0.0473f), Q(N3, -0.6997f),
  Q(C4, 0.3053f)
};
constexpr AtomCharge krC[] = {
  Q(C1p, 0.0066f), Q(H1p, 0.2029f), Q(N1, -0.0484f), Q(C6, 0.0053f), Q(H6, 0.1958f),
  Q(C5, -0.5215f), Q(H5, 0.1928f), Q(C4, 0.8185f), Q(N4, -0.9530f), Q(1H4, 0.4234f),
  Q(2H4, 0.4234f), Q(N3, -0.7584f), Q(C2, 0.7538f), Q(O2, -0.6252f)
};
constexpr AtomCharge krG[] = {
  Q(C1p, 0.0191f), Q(H1p, 0.2006f), Q(N9, 0.0492f), Q(C8, 0.1374f), Q(H8, 0.1640f),
  Q(N7, -0.5709f), Q(C5, 0.1744f), Q(C6, 0.4770f), Q(O6, -0.5597f), Q(N1, -0.4787f),
  Q(H1, 0.3424f), Q(C2, 0.7657f), Q(N2, -0.9672f), Q(1H2, 0.4364f), Q(2H2, 0.4364f),
  Q(N3, -0.6323f), Q(C4, 0.1222f)
};
constexpr AtomCharge krU[] = {
  Q(C1p, 0.0674f), Q(H1p, 0.1824f), Q(N1, 0.0418f), Q(C6, -0.1126f), Q(H6, 0.2188f),
  Q(C5, -0.3635f), Q(H5, 0.1811f), Q(C4, 0.5952f), Q(O4, -0.5761f), Q(N3, -0.3549f),
  Q(C2, 0.4687f), Q(O2, -0.5477f)
};
// The internal amino acids. HG3 and HD3 of a methylene have no type of
// their own: the residue's HG2 or HD2 stands for the pair.
constexpr AtomCharge kALA[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, 0.0337f), Q(HA, 0.0823f), Q(CB, -0.1825f), Q(HB1, 0.0603f),
  Q(HB2, 0.0603f), Q(HB3, 0.0603f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kARG[] = {
  Q(N, -0.3479f), Q(H, 0.2747f), Q(CA, -0.2637f), Q(HA, 0.1560f), Q(CB, -0.0007f), Q(HB2, 0.0327f),
  Q(HB3, 0.0327f), Q(CG, 0.0390f), Q(HG2, 0.0285f), Q(CD, 0.0486f), Q(HD2, 0.0687f),
  Q(NE, -0.5295f), Q(HE, 0.3456f), Q(CZ, 0.8076f), Q(NH1, -0.8627f), Q(1HH1, 0.4478f),
  Q(2HH1, 0.4478f), Q(NH2, -0.8627f), Q(1HH2, 0.4478f), Q(2HH2, 0.4478f), Q(C, 0.7341f),
  Q(O, -0.5894f)
};
constexpr AtomCharge kASN[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, 0.0143f), Q(HA, 0.1048f), Q(CB, -0.2041f), Q(HB2, 0.0797f),
  Q(HB3, 0.0797f), Q(CG, 0.7130f), Q(OD1, -0.5931f), Q(ND2, -0.9191f), Q(1HD2, 0.4196f),
  Q(2HD2, 0.4196f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kASP[] = {
  Q(N, -0.5163f), Q(H, 0.2936f), Q(CA, 0.0381f), Q(HA, 0.0880f), Q(CB, -0.0303f), Q(HB2, -0.0122f),
  Q(HB3, -0.0122f), Q(CG, 0.7994f), Q(OD1, -0.8014f), Q(OD2, -0.8014f), Q(C, 0.5366f),
  Q(O, -0.5819f)
};
constexpr AtomCharge kCYS[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, 0.0213f), Q(HA, 0.1124f), Q(CB, -0.1231f), Q(HB2, 0.1112f),
  Q(HB3, 0.1112f), Q(SG, -0.3119f), Q(HG, 0.1933f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kGLN[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0031f), Q(HA, 0.0850f), Q(CB, -0.0036f), Q(HB2, 0.0171f),
  Q(HB3, 0.0171f), Q(CG, -0.0645f), Q(HG2, 0.0352f), Q(CD, 0.6951f), Q(OE1, -0.6086f),
  Q(NE2, -0.9407f), Q(1HE2, 0.4251f), Q(2HE2, 0.4251f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kGLU[] = {
  Q(N, -0.5163f), Q(H, 0.2936f), Q(CA, 0.0397f), Q(HA, 0.1105f), Q(CB, 0.0560f), Q(HB2, -0.0173f),
  Q(HB3, -0.0173f), Q(CG, 0.0136f), Q(HG2, -0.0425f), Q(CD, 0.8054f), Q(OE1, -0.8188f),
  Q(OE2, -0.8188f), Q(C, 0.5366f), Q(O, -0.5819f)
};
constexpr AtomCharge kGLY[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0252f), Q(HA1, 0.0698f), Q(HA2, 0.0698f), Q(C, 0.5973f),
  Q(O, -0.5679f)
};
constexpr AtomCharge kHIS[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, 0.0188f), Q(HA, 0.0881f), Q(CB, -0.0462f), Q(HB2, 0.0402f),
  Q(HB3, 0.0402f), Q(CG, -0.0266f), Q(ND1, -0.3811f), Q(HD1, 0.3649f), Q(CE1, 0.2057f),
  Q(HE1, 0.1392f), Q(NE2, -0.5727f), Q(CD2, 0.1292f), Q(HD2, 0.1147f), Q(C, 0.5973f),
  Q(O, -0.5679f)
};
constexpr AtomCharge kILE[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0597f), Q(HA, 0.0869f), Q(CB, 0.1303f), Q(HB, 0.0187f),
  Q(CG2, -0.3204f), Q(1HG2, 0.0882f), Q(2HG2, 0.0882f), Q(3HG2, 0.0882f), Q(CG1, -0.0430f),
  Q(2HG1, 0.0236f), Q(3HG1, 0.0236f), Q(CD1, -0.0660f), Q(1HD1, 0.0186f), Q(2HD1, 0.0186f),
  Q(3HD1, 0.0186f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kLEU[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0518f), Q(HA, 0.0922f), Q(CB, -0.1102f), Q(HB2, 0.0457f),
  Q(HB3, 0.0457f), Q(CG, 0.3531f), Q(HG, -0.0361f), Q(CD1, -0.4121f), Q(1HD1, 0.1000f),
  Q(2HD1, 0.1000f), Q(3HD1, 0.1000f), Q(CD2, -0.4121f), Q(1HD2, 0.1000f), Q(2HD2, 0.1000f),
  Q(3HD2, 0.1000f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kLYS[] = {
  Q(N, -0.3479f), Q(H, 0.2747f), Q(CA, -0.2400f), Q(HA, 0.1426f), Q(CB, -0.0094f), Q(HB2, 0.0362f),
  Q(HB3, 0.0362f), Q(CG, 0.0187f), Q(HG2, 0.0103f), Q(CD, -0.0479f), Q(HD2, 0.0621f),
  Q(CE, -0.0143f), Q(HE2, 0.1135f), Q(HE3, 0.1135f), Q(NZ, -0.3854f), Q(HZ1, 0.3400f),
  Q(HZ2, 0.3400f), Q(HZ3, 0.3400f), Q(C, 0.7341f), Q(O, -0.5894f)
};
constexpr AtomCharge kMET[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0237f), Q(HA, 0.0880f), Q(CB, 0.0342f), Q(HB2, 0.0241f),
  Q(HB3, 0.0241f), Q(CG, 0.0018f), Q(HG2, 0.0440f), Q(SD, -0.2737f), Q(CE, -0.0536f),
  Q(HE1, 0.0684f), Q(HE2, 0.0684f), Q(HE3, 0.0684f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kPHE[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0024f), Q(HA, 0.0978f), Q(CB, -0.0343f), Q(HB2, 0.0295f),
  Q(HB3, 0.0295f), Q(CG, 0.0118f), Q(CD1, -0.1256f), Q(HD1, 0.1330f), Q(CE1, -0.1704f),
  Q(HE1, 0.1430f), Q(CZ, -0.1072f), Q(HZ, 0.1297f), Q(CE2, -0.1704f), Q(HE2, 0.1430f),
  Q(CD2, -0.1256f), Q(HD2, 0.1330f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kPRO[] = {
  Q(N, -0.2548f), Q(CD, 0.0192f), Q(HD2, 0.0391f), Q(CG, 0.0189f), Q(HG2, 0.0213f),
  Q(CB, -0.0070f), Q(HB2, 0.0253f), Q(HB3, 0.0253f), Q(CA, -0.0266f), Q(HA, 0.0641f),
  Q(C, 0.5896f), Q(O, -0.5748f)
};
constexpr AtomCharge kSER[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0249f), Q(HA, 0.0843f), Q(CB, 0.2117f), Q(HB2, 0.0352f),
  Q(HB3, 0.0352f), Q(OG, -0.6546f), Q(HG, 0.4275f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kTHR[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0389f), Q(HA, 0.1007f), Q(CB, 0.3654f), Q(HB, 0.0043f),
  Q(CG2, -0.2438f), Q(1HG2, 0.0642f), Q(2HG2, 0.0642f), Q(3HG2, 0.0642f), Q(OG1, -0.6761f),
  Q(HG1, 0.4102f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kTRP[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0275f), Q(HA, 0.1123f), Q(CB, -0.0050f), Q(HB2, 0.0339f),
  Q(HB3, 0.0339f), Q(CG, -0.1415f), Q(CD1, -0.1638f), Q(HD1, 0.2062f), Q(NE1, -0.3418f),
  Q(HE1, 0.3412f), Q(CE2, 0.1380f), Q(CZ2, -0.2601f), Q(HZ2, 0.1572f), Q(CH2, -0.1134f),
  Q(HH2, 0.1417f), Q(CZ3, -0.1972f), Q(HZ3, 0.1447f), Q(CE3, -0.2387f), Q(HE3, 0.1700f),
  Q(CD2, 0.1243f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kTYR[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0014f), Q(HA, 0.0876f), Q(CB, -0.0152f), Q(HB2, 0.0295f),
  Q(HB3, 0.0295f), Q(CG, -0.0011f), Q(CD1, -0.1906f), Q(HD1, 0.1699f), Q(CE1, -0.2341f),
  Q(HE1, 0.1656f), Q(CZ, 0.3226f), Q(OH, -0.5579f), Q(HH, 0.3992f), Q(CE2, -0.2341f),
  Q(HE2, 0.1656f), Q(CD2, -0.1906f), Q(HD2, 0.1699f), Q(C, 0.5973f), Q(O, -0.5679f)
};
constexpr AtomCharge kVAL[] = {
  Q(N, -0.4157f), Q(H, 0.2719f), Q(CA, -0.0875f), Q(HA, 0.0969f), Q(CB, 0.2985f), Q(HB, -0.0297f),
  Q(CG1, -0.3192f), Q(1HG1, 0.0791f), Q(2HG1, 0.0791f), Q(3HG1, 0.0791f), Q(CG2, -0.3192f),
  Q(1HG2, 0.0791f), Q(2HG2, 0.0791f), Q(3HG2, 0.0791f), Q(C, 0.5973f), Q(O, -0.5679f)
};

// The atoms of each template that have a type of their own.
static_assert(std::size(kDNABackbone) == 20 && std::size(kRNABackbone) == 21);
static_assert(std::size(kdA) == 16 && std::size(kdC) == 14 && std::size(kdG) == 17 && std::size(kdT) == 14);
static_assert(std::size(krA) == 16 && std::size(krC) == 14 && std::size(krG) == 17 && std::size(krU) == 12);
static_assert(std::size(kALA) == 10 && std::size(kARG) == 22 && std::size(kASN) == 14 && std::size(kASP) == 12);
static_assert(std::size(kCYS) == 11 && std::size(kGLN) == 16 && std::size(kGLU) == 14 && std::size(kGLY) == 7);
static_assert(std::size(kHIS) == 17 && std::size(kILE) == 19 && std::size(kLEU) == 19 && std::size(kLYS) == 20);
static_assert(std::size(kMET) == 16 && std::size(kPHE) == 20 && std::size(kPRO) == 12 && std::size(kSER) == 11);
static_assert(std::size(kTHR) == 14 && std::size(kTRP) == 24 && std::size(kTYR) == 21 && std::size(kVAL) == 16);

// Charges that do not depend on the residue: H2'2, the second 2' hydrogen
// of a deoxyribose; HO'2, the 2' hydroxyl hydrogen of a ribose; the methyl
// carbon of thymine; and H7.
constexpr AtomCharge kAnyResidue[] = {
  Q(2H2p, 0.0718f), Q(HO2p, 0.4186f), Q(C5M, -0.2269f), Q(H7, 0.0770f)
};

#undef Q

// Types that no template charges: the terminal atoms of a chain of amino
// acids, the 3' hydroxyl hydrogen (H3T carries the 3' end's charge) and the
// magnesium ion.
constexpr AtomKind kUncharged[] = {
  AtomKind::k1H, AtomKind::k2H, AtomKind::k3H, AtomKind::kHXT, AtomKind::kOXT, AtomKind::kHO3p,
  AtomKind::kMG,
};

// The tests of one family exclude each other (DNA or RNA; T or U; one
// nucleotide; one amino acid), so a type listed in one family only takes at
// most one charge in any residue. The terminal charges come first and
// override their chain's internal charge of O3' and O5'.
enum class Family : unsigned char { Terminal, Chain, BaseClass, Nucleotide, AminoAcid, AnyResidue };

// The kinds listed in `atoms` take their charge in a residue whose type
// passes `test` (any residue when null) and, when `terminal` is set, that
// holds an atom of that type.
struct ChargeGroup
{
  Family family;
  ResidueTest test;
  t_Atom* const* terminal;
  const AtomCharge* atoms;
  std::size_t count;
};

template <std::size_t N>
constexpr ChargeGroup group(Family family, ResidueTest test, const AtomCharge (&atoms)[N])
{
  return ChargeGroup{family, test, nullptr, atoms, N};
}

template <std::size_t N>
constexpr ChargeGroup terminalGroup(ResidueTest test, t_Atom* const* hydrogen,
                                    const AtomCharge (&atoms)[N])
{
  return ChargeGroup{Family::Terminal, test, hydrogen, atoms, N};
}

constexpr ChargeGroup kGroups[] = {
  terminalGroup(&R::is_DNA, &a_H3T, kDNA3Terminal),
  terminalGroup(&R::is_DNA, &a_H5T, kDNA5Terminal),
  terminalGroup(&R::is_RNA, &a_H3T, kRNA3Terminal),
  terminalGroup(&R::is_RNA, &a_H5T, kRNA5Terminal),
  group(Family::Chain, &R::is_DNA, kDNABackbone),
  group(Family::Chain, &R::is_RNA, kRNABackbone),
  group(Family::BaseClass, &R::is_T, kTBase),
  group(Family::BaseClass, &R::is_U, kUBase),
  group(Family::Nucleotide, &R::is_dA, kdA),
  group(Family::Nucleotide, &R::is_dC, kdC),
  group(Family::Nucleotide, &R::is_dG, kdG),
  group(Family::Nucleotide, &R::is_dT, kdT),
  group(Family::Nucleotide, &R::is_rA, krA),
  group(Family::Nucleotide, &R::is_rC, krC),
  group(Family::Nucleotide, &R::is_rG, krG),
  group(Family::Nucleotide, &R::is_rU, krU),
  group(Family::AminoAcid, &R::is_ALA, kALA),
  group(Family::AminoAcid, &R::is_ARG, kARG),
  group(Family::AminoAcid, &R::is_ASN, kASN),
  group(Family::AminoAcid, &R::is_ASP, kASP),
  group(Family::AminoAcid, &R::is_CYS, kCYS),
  group(Family::AminoAcid, &R::is_GLN, kGLN),
  group(Family::AminoAcid, &R::is_GLU, kGLU),
  group(Family::AminoAcid, &R::is_GLY, kGLY),
  group(Family::AminoAcid, &R::is_HIS, kHIS),
  group(Family::AminoAcid, &R::is_ILE, kILE),
  group(Family::AminoAcid, &R::is_LEU, kLEU),
  group(Family::AminoAcid, &R::is_LYS, kLYS),
  group(Family::AminoAcid, &R::is_MET, kMET),
  group(Family::AminoAcid, &R::is_PHE, kPHE),
  group(Family::AminoAcid, &R::is_PRO, kPRO),
  group(Family::AminoAcid, &R::is_SER, kSER),
  group(Family::AminoAcid, &R::is_THR, kTHR),
  group(Family::AminoAcid, &R::is_TRP, kTRP),
  group(Family::AminoAcid, &R::is_TYR, kTYR),
  group(Family::AminoAcid, &R::is_VAL, kVAL),
  group(Family::AnyResidue, nullptr, kAnyResidue),
};

constexpr std::size_t kindIndex(AtomKind kind) { return static_cast<std::size_t>(kind) - kAtomCategoryCount; }

constexpr std::size_t countCharges(Family first, Family last)
{
  std::size_t n = 0;
  for (const ChargeGroup& g : kGroups)
    if (g.family >= first && g.family <= last) n += g.count;
  return n;
}

constexpr std::size_t kChargeCount = countCharges(Family::Terminal, Family::AnyResidue);

// 482 charges depend on the residue: 45 of the sugar-phosphate backbone, 122
// of the bases and 315 of the amino acids.
static_assert(countCharges(Family::Terminal, Family::Chain) == 45);
static_assert(countCharges(Family::BaseClass, Family::Nucleotide) == 122);
static_assert(countCharges(Family::AminoAcid, Family::AminoAcid) == 315);

struct ChargeRule
{
  unsigned char group;  // in kGroups
  float charge;
};

// The rules of the type of kindIndex i are rules[first[i]] up to
// rules[first[i + 1]], in the order of kGroups.
struct ChargeIndex
{
  std::array<unsigned short, kConcreteAtomTypeCount + 1> first;
  std::array<ChargeRule, kChargeCount> rules;
};

constexpr ChargeIndex buildChargeIndex()
{
  ChargeIndex index{};
  for (const ChargeGroup& g : kGroups)
    for (std::size_t a = 0; a < g.count; ++a) ++index.first[kindIndex(g.atoms[a].kind) + 1];
  for (std::size_t i = 0; i < kConcreteAtomTypeCount; ++i) index.first[i + 1] += index.first[i];
  std::array<unsigned short, kConcreteAtomTypeCount> next{};
  for (std::size_t i = 0; i < kConcreteAtomTypeCount; ++i) next[i] = index.first[i];
  for (std::size_t g = 0; g < std::size(kGroups); ++g)
    for (std::size_t a = 0; a < kGroups[g].count; ++a)
      index.rules[next[kindIndex(kGroups[g].atoms[a].kind)]++] =
        ChargeRule{static_cast<unsigned char>(g), kGroups[g].atoms[a].charge};
  return index;
}

constexpr ChargeIndex kCharges = buildChargeIndex();

// The rows' radius cells, which mark the types that answer as their
// category.
constexpr AtomParam kRadiusCells[] = {
#define TESSEL_ATOM_TYPE(S, NAME, PDB, AMBER, ID, POLYMER, ELEMENT, PART, RADIUS, EPSILON) RADIUS,
#include "AtomTypes.def"
};
static_assert(std::size(kRadiusCells) == kConcreteAtomTypeCount);

constexpr bool isUncharged(std::size_t i)
{
  for (AtomKind kind : kUncharged)
    if (kindIndex(kind) == i) return true;
  return false;
}

// Every type that answers for itself has charges here or is uncharged, and
// not both; the types that answer as their category have neither.
constexpr bool everyTypeHasOneAnswer()
{
  for (std::size_t i = 0; i < kConcreteAtomTypeCount; ++i) {
    bool charged = kCharges.first[i + 1] != kCharges.first[i];
    if (kRadiusCells[i].rule == AtomParam::AsCategory) {
      if (charged || isUncharged(i)) return false;
    } else if (charged == isUncharged(i)) {
      return false;
    }
  }
  return true;
}
static_assert(everyTypeHasOneAnswer());

// A group lists a type once, the groups run in family order (terminal
// before chain), and a type's charges all come from one family, the
// terminal override of the chain charges apart.
constexpr bool atMostOneChargeHolds()
{
  for (std::size_t g = 0; g < std::size(kGroups); ++g) {
    if (g > 0 && kGroups[g].family < kGroups[g - 1].family) return false;
    for (std::size_t a = 0; a < kGroups[g].count; ++a)
      for (std::size_t b = a + 1; b < kGroups[g].count; ++b)
        if (kGroups[g].atoms[a].kind == kGroups[g].atoms[b].kind) return false;
  }
  for (std::size_t i = 0; i < kConcreteAtomTypeCount; ++i) {
    for (std::size_t r = kCharges.first[i]; r < kCharges.first[i + 1]; ++r) {
      Family family = kGroups[kCharges.rules[r].group].family;
      Family first = kGroups[kCharges.rules[kCharges.first[i]].group].family;
      bool terminalThenChain = first == Family::Terminal && family == Family::Chain;
      if (family != first && !terminalThenChain) return false;
    }
  }
  for (const ChargeGroup& g : kGroups)
    if ((g.family == Family::AnyResidue) != (g.test == nullptr)) return false;
  return true;
}
static_assert(atMostOneChargeHolds());

bool holds(const ChargeGroup& g, const t_Residue* type, const AbstractResidue* residue)
{
  if (g.test == nullptr) return true;
  if (type == nullptr || !(type->*g.test)()) return false;
  return g.terminal == nullptr || residue->find(*g.terminal) != residue->end();
}

}  // namespace

// Without a residue, or with an untyped one, no residue test holds: only the
// charges that hold in any residue are given.
float atomTypeAmberCharge(AtomKind self, const AbstractResidue* residue)
{
  const t_Residue* type = residue != nullptr ? residue->getType() : nullptr;
  std::size_t i = kindIndex(self);
  for (std::size_t r = kCharges.first[i]; r < kCharges.first[i + 1]; ++r)
    if (holds(kGroups[kCharges.rules[r].group], type, residue)) return kCharges.rules[r].charge;
  return 0.0f;
}
