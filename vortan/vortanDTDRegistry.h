/* The toolkit's global DTD tables: the registry of DTDs held in memory, by
 * document type name and version, and the tables of the DTD chosen for the
 * current document. Every table is a Map, null before vortaninit and after
 * vortandestroy; everything that uses one tolerates null.
 *
 * A registry entry is Pair(validator structure, Pair(general-entity table,
 * unparsed-entity map)). A validator structure maps each declared element
 * name (String) to Pair(content model, attribute Map), and an
 * attribute Map maps each attribute name (String) to Pair(attribute type,
 * default declaration). */
#ifndef VORTAN_DTD_REGISTRY_H
#define VORTAN_DTD_REGISTRY_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Document type name (String) -> Map from version (String) to an entry. */
extern vortanMAP *staticDTDTable;
/* The validator structure of the DTD chosen for the current document. */
extern vortanMAP *validatorStructure;
/* General and parameter entities: name (String) -> replacement text. */
extern vortanMAP *GERTable;
extern vortanMAP *PERTable;
/* The element-ID table: an ID value or ID attribute name (String) -> a
   copy of an Element (its name and attributes). */
extern vortanMAP *EAITable;
/* The unparsed-entity map: notation name (String) -> its identifier. */
extern vortanMAP *UETable;

/* Makes every table (and every constraint list of vortanConstraints.h)
   that does not exist yet: an empty registry, validator structure,
   parameter-entity table, element-ID table and unparsed-entity map, and a
   general-entity table of the predefined entities. Idempotent. */
void vortaninit(void);
/* Deletes the six tables and the four constraint lists and sets them to
   null: a later vortaninit makes them anew. */
void vortandestroy(void);

/* A new empty registry Map. */
vortanMAP *vortannewStaticDTDTable(void);
/* Registers Pair(validator, Pair(geTable, ueMap)) under the document type
   name and version (Strings), taking the three tables and deleting name
   and version (the registry keeps copies). Registering a name and version
   again writes "Warning: Static DTD table already contains an entry for
   <name> version <version>.\n" on standard error and replaces the old
   entry, which is deleted. Runs vortaninit first. When name or version is
   no String that is reported and all five are deleted. */
void vortanputStaticDTDTable(vortanSTRING *name, vortanSTRING *version, vortanMAP *validator,
                             vortanMAP *geTable, vortanMAP *ueMap);
/* The version Map registered for the document type name; null when none
   is (or name is null). */
vortanMAP *vortangetStaticDTD(const vortanSTRING *name);
/* A deep copy of the validator structure registered under name and
   version, which the caller owns; null when either is null or nothing is
   registered. */
vortanMAP *vortangetValidatorStructure(const char *name, const char *version);
/* Makes the entry's tables the current ones: the validator structure
   becomes a copy of the entry's and, when the entry's tail is a Pair, the
   general-entity table and unparsed-entity map become copies of its two
   tables; the old ones are deleted. Anything but a Pair is ignored; when
   memory runs out the table concerned is left as it was. */
void vortansetReferenceTables(const vortanPAIR *entry);

#ifdef __cplusplus
}
#endif

#endif
