/* The XML parser and its content handlers.
 *
 * vortanparse reads one document from vortanin (vortanScanner.h), calls the
 * installed content handlers as it goes, runs the well-formedness checks
 * that belong to parsing, picks the registered DTD version by the DOCTYPE
 * name and the root's "version" attribute, and leaves the Document in
 * vortanast. It stops at the first syntax error or failed check; whatever
 * was built is then freed.
 *
 *   vortanin = stream;
 *   vortansetElementContentHandler(start, end);
 *   if (vortanparse() == 0) { use(vortanast); vortandelete(vortanast); }
 *   vortanast = NULL;
 *
 * The text, name and attribute List passed to a handler belong to the tree
 * being built: a handler copies what it keeps. */
#ifndef VORTAN_PARSER_H
#define VORTAN_PARSER_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*vortanCharDataContentHandler)(const char *text, int start, int length);
typedef void (*vortanStartDocumentContentHandler)(void);
typedef void (*vortanEndDocumentContentHandler)(void);
typedef void (*vortanStartElementContentHandler)(void *unused1, void *unused2, const char *name,
                                                 vortanLIST *attributes);
typedef void (*vortanEndElementContentHandler)(void *unused1, void *unused2, const char *name);

/* The Document of the last accepted parse, null otherwise. The caller takes
   it over and sets the global back to null. */
extern vortanDOCUMENT *vortanast;

/* 0 when the document was accepted; 1 after a syntax error ("parse error"
   through vortanerror); 2 when a well-formedness check stopped the parse,
   when elements or particle groups nest more than 10000 deep ("parser stack
   overflow" through vortanerror), after a fatal scanner error, and when
   called from a handler of a running parse. */
int vortanparse(void);

/* Install handlers; null empties a slot. */
void vortansetCharDataContentHandler(vortanCharDataContentHandler handler);
void vortansetDocumentContentHandler(vortanStartDocumentContentHandler start,
                                     vortanEndDocumentContentHandler end);
void vortansetElementContentHandler(vortanStartElementContentHandler start,
                                    vortanEndElementContentHandler end);
/* Call a slot when it is set. */
void vortancallCharDataContentHandler(const char *text, int start, int length);
void vortancallStartDocumentContentHandler(void);
void vortancallEndDocumentContentHandler(void);
void vortancallStartElementContentHandler(void *unused1, void *unused2, const char *name,
                                          vortanLIST *attributes);
void vortancallEndElementContentHandler(void *unused1, void *unused2, const char *name);

/* With bit 4 of vortanUserOptions, writes "vortan:LINE:message" on standard
   error. Returns 1. */
int vortanerror(const char *message);

/* 1 for "yes", 0 for "no", -1 otherwise. */
int isYesOrNo(const char *text);
/* 0 for "EMPTY", 1 for "ANY", -1 otherwise. */
int isEmptyOrAny(const char *text);

#ifdef __cplusplus
}
#endif

#endif
