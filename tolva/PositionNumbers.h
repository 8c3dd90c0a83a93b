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
// when `by_id`, else in the file order of the first residue of each id
// that is a position. Without validation every id is a position. With it,
// the residues read from ATOM records under the name of a nucleotide or an
// amino acid are positions; so is any other residue that holds a chain's
// backbone when it is listed between two of those of its chain, with no
// TER record between them, and its id lies between theirs (rising or
// falling), or when it is linked, either way, to the residue of its chain
// next to it in id order. Waters, ions and ligands listed after their
// chain take no number; an alternate residue at a repeated id takes none
// of its own.
PositionNumbers number_positions(const Model& model, bool by_id, bool validated);

}  // namespace tolva

#endif
