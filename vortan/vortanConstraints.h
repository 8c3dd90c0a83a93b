/* The validity constraints checked while a DTD is read or compiled, and the
 * four constraint lists that the checks and the document validator fill.
 *
 * A finding marked "bit 1" is printed as a validity warning only when bit 1
 * of vortanUserOptions is set; one marked "always" is printed as a validity
 * warning whatever the bits. */
#ifndef VORTAN_CONSTRAINTS_H
#define VORTAN_CONSTRAINTS_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The constraint lists, made by vortaninit:
   - declared IDs: Strings, copies of the ID values met so far;
   - ID references: Pair(String copy of an IDREF value, copy of the name
     and attributes of the element holding it);
   - declared notations: Strings, the notation names met while parsing;
   - declared element types: Strings, the element names declared so far. */
extern vortanLIST *vortanDeclaredIDs;
extern vortanLIST *vortanIDReferences;
extern vortanLIST *vortanDeclaredNotations;
extern vortanLIST *vortanDeclaredElementTypes;

/* Empties the four lists (each is a fresh empty List afterwards). */
void vortanconstraintsInit(void);
/* Deletes the four lists and sets them to null. */
void vortanconstraintsDestroy(void);
/* Inside the toolkit (vortaninit): makes each list that does not exist. */
void vortanconstraintsMake(void);

/* 1 when no earlier notation was declared with that name, else 0 after
   "The notation '%s' is declared more than once" (bit 1). The name is then
   recorded in either case. */
int vortanvalidityUniqueNotationName(const char *name);
/* 1 and the name recorded when no element type of that name was declared
   before; else 0 after "The element '%s' is declared more than once"
   (always). */
int vortanvalidityUniqueElementTypeDeclaration(const char *name);
/* 0 for an attribute of type ID (type an Id record) declared without a
   default (defaultDecl null), after "The attribute '%s' must have a
   declared default of #IMPLIED or #REQUIRED " (bit 1); the caller then drops
   the declaration. Without bit 1, and for anything else, 1. */
int vortanvalidityIDAttributeDefault(const void *type, const void *defaultDecl,
                                     const char *name);
/* For an AttDef whose default is a Fixed or an AttValue: 1 when the value
   has the form its type asks for (a Name for ID, IDREF, ENTITY; Names for
   IDREFS, ENTITIES; a Nmtoken or Nmtokens; a notation declared so far; one
   of the enumerated tokens), else 0 after "The declared default value of
   the attribute'%s' doesn't meet the lexical constraints of its type"
   (always). Other defaults, and types unknown (reported as "Invalid
   attribute type structure."), pass. */
int vortanvalidityAttributeDefaultLegal(const vortanATTDEF *attdef);
/* For a PEDecl with a literal value: 0 when its '<' and '>' do not pair
   up, after "The entity '%s' is not properly nested with markup
   declaration" (always); else 1. */
int vortanvalidityProperDeclarationPENesting(const vortanPEDECL *pedecl);
/* 1 when value equals the Fixed default's value; else 0 after "Fixed
   attribute '%s' from element '%s' does not match it's default value
   '%s'." (bit 1; the value, the element name, the default). */
int vortanvalidityFixedAttributeDefault(const char *value, const vortanFIXED *fixed,
                                        const char *element);

/* Constraints this toolkit does not test: the first three always answer 1,
   the next four do nothing, and the legal-character check returns c. */
int vortanvalidityNotationDeclared(const char *name);
int vortanvalidityStandaloneDocumentDeclaration(const char *name);
int vortanvalidityEntityDeclared(const char *name);
void vortanvalidityProperGroupPENesting(const void *record);
void vortanvalidityNoDuplicateTypes(const void *record);
void vortanvalidatePITarget(const void *record);
void vortanvalidateCharData(const void *record);
int vortanvalidityLegalCharacter(int c);

#ifdef __cplusplus
}
#endif

#endif
