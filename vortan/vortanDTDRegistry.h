/* The toolkit's global DTD tables. */
#ifndef VORTAN_DTD_REGISTRY_H
#define VORTAN_DTD_REGISTRY_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The element-ID table: a Map from an ID value or ID attribute name
   (String) to a copy of an Element. Null until the tables are made;
   everything that uses it tolerates null. */
extern vortanMAP *EAITable;

#ifdef __cplusplus
}
#endif

#endif
