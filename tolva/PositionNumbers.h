// Under -e and -f residues pair by their place in the chain, not by their
// ids: each position of a file (a residue id) is numbered 1, 2, ... in
// the chosen order, before validation, so that a residue validation
// leaves out leaves its own gap rather than moving every later residue
// onto its neighbour's number.
#ifndef TOLVA_POSITIONNUMBERS_H
#define TOLVA_POSITIONNUMBERS_H

#include <map>

#include "ResId.h"

class Model;

namespace tolva {

typedef std::map<CResId, int> PositionNumbers;

// The number of each position of the model (a residue id), in id order
// when `by_id`, else in the file order of the residues that make them
// positions. Without validation every id is a position. With it, the
// residues read from ATOM records under the name of a nucleotide or an
// amino acid are positions, and so is any residue that holds a chain's
// backbone, whatever its name and records, when its id lies between two
// positions of its chain (in id order) or when it is linked to the
// nearest such residue of its chain before or after it. Waters, ions and
// free ligands take no number; an alternate residue at a repeated id
// takes none of its own.
PositionNumbers number_positions(const Model& model, bool by_id, bool validated);

}  // namespace tolva

#endif
