/* Reference tables: Maps from a String name to a record, looked up by
 * zero-terminated names. The general- and parameter-entity tables map an
 * entity's name to its replacement text (a String); the element-ID table
 * maps an ID value or ID attribute name to a copy of an Element. In every
 * table the first value stored under a name stays: a later one is freed. */
#ifndef VORTAN_REFERENCE_TABLE_H
#define VORTAN_REFERENCE_TABLE_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A new empty table. */
vortanMAP *vortannewReferenceTable(void);
/* The text of the String stored under name; "" when table is no Map, when
   name is null or absent, and when the value is no String. Never null; the
   text belongs to the table. */
const char *vortangetReferenceTable(const vortanMAP *table, const char *name);
/* Stores value (a record the table takes over) under a copy of name when
   name is absent. Otherwise, and when table is no Map, name is null or
   memory runs out, value is deleted and the table is unchanged. Returns
   table. */
vortanMAP *vortanputReferenceTable(vortanMAP *table, const char *name, void *value);
/* Removes and deletes the entry for name; a table that is no Map is
   reported. Returns table. */
vortanMAP *vortanremoveReferenceTable(vortanMAP *table, const char *name);
/* Deletes every entry with its key and value; anything but a Map is left
   alone. */
void vortanclearReferenceTable(vortanMAP *table);

/* A new general-entity table holding the five predefined entities, in this
   order: amp "&#38;", lt "&#60;", gt ">", apos "'" and quot "\"" (amp and
   lt are character references, so that their expansion is read as a
   character and not as markup). Null after an "Out of Memory" report. */
vortanMAP *vortannewGEReferenceTable(void);
/* A new empty parameter-entity table; null after a report. */
vortanMAP *vortannewPEReferenceTable(void);
/* The replacement text of a general or parameter entity in the current
   tables (GERTable, PERTable); "" when it is not declared. Never null. */
const char *vortangetGEntity(const char *name);
const char *vortangetPEntity(const char *name);
/* Declares an entity with a copy of text (null is ""), unless name is
   declared already: the first declaration wins. Nothing for a null name. */
void vortanputGEntity(const char *name, const char *text);
void vortanputPEntity(const char *name, const char *text);
/* The character a character reference of that number stands for: the
   number's low 8 bits. */
char vortangetCharacterReferenceTable(long code);

/* The element-ID table, EAITable. */
vortanMAP *vortannewEAIDTable(void);
/* Deletes every entry. */
void vortanclearEAIDTable(void);
/* Stores element under key unless key is present; else deletes element. */
void vortanputEAIDTable(vortanELEMENT *element, const char *key);

#ifdef __cplusplus
}
#endif

#endif
