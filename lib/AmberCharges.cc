// Amber partial charges of the concrete atom types, keyed by AtomKind. Lone
// pairs and pseudo-atoms never come here: they answer their category's.
#include "AtomTypes.h"

// Until the charge table is written, every type answers the fallback 0.0.
float atomTypeAmberCharge(AtomKind /*self*/, const AbstractResidue* /*residue*/)
{
  return 0.0f;
}
