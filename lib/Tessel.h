// The core molecular library, in one include.
#ifndef TESSEL_TESSEL_H
#define TESSEL_TESSEL_H

#include "AbstractResidue.h"
#include "Atom.h"
#include "AtomPlacement.h"
#include "AtomSet.h"
#include "AtomType.h"
#include "AtomTypes.h"
#include "AtomicBond.h"
#include "Binstream.h"
#include "Exception.h"
#include "Jacobi.h"
#include "Messagestream.h"
#include "Numerics.h"
#include "Pdbstream.h"
#include "Point3D.h"
#include "ResId.h"
#include "ResIdSet.h"
#include "Residue.h"
#include "ResidueAtomSets.h"
#include "ResidueFactory.h"
#include "ResidueType.h"
#include "Rmsd.h"
#include "SharedAtomSet.h"
#include "TesselInit.h"
#include "TextUtil.h"
#include "Transfo.h"
#include "fPdbstream.h"
#include "zfstream.h"

#endif
