// Whether two residues are consecutive positions of one chain, by the
// covalent bond between them: O3'-P for nucleotides, C-N (the peptide
// bond) for amino acids. Names do not enter it: a modified residue is
// linked into its chain whatever it is called, a free ligand is not.
#ifndef TESSEL_CHAINLINK_H
#define TESSEL_CHAINLINK_H

class AbstractResidue;

// True when the O3' of `before` lies within a bond's length of the P of
// `after`, or its C within a bond's length of the N of `after`.
bool chain_linked(const AbstractResidue& before, const AbstractResidue& after);

// True when the residue holds a chain's backbone: a nucleotide's C3' and
// C4' with its O3' or P, or an amino acid's N, CA and C. Waters, ions,
// phosphates, sulphates and free bases hold none.
bool holds_chain_backbone(const AbstractResidue& residue);

#endif
