// Bond partners of the concrete atom types, keyed by AtomKind.
#include "AtomTypes.h"

// Until the partner table is written, no type names a partner.
bool atomTypeConnected(AtomKind /*self*/, const t_Atom* /*other*/, const t_Residue* /*residue*/)
{
  return false;
}
