/* Reading RNAML documents into element records.
 *
 *   rnamlOBJECT *u = rnamlnewUnmarshaller();
 *   rnamlsetUnmarshallerValidating(u, 1);
 *   rnamlOBJECT *root = rnamlunmarshallUnmarshaller(u, file);
 *   if (!root) fprintf(stderr, "%s\n", rnamlgetReason());
 *
 * The toolkit parses the document and calls the content handlers below,
 * which build the records: a record element's start tag makes its record,
 * its end tag attaches the record to the record of the enclosing element;
 * a text element's end tag stores its text, converted, in the enclosing
 * record. Elements of other names are skipped (their content is not). The
 * parse tree is discarded after an optional validation against the RNAML
 * 1.1 DTD, whose findings are warnings on standard error.
 *
 * The result is the Rnaml record of the document's rnaml element, which the
 * caller owns, or null: for input that is no well-formed XML, for a
 * document without an rnaml element at its top, for an element standing
 * where the tables do not let it (an atom directly in a model), and when
 * memory runs out. These print nothing of their own (the toolkit may print
 * its well-formedness findings) and leave errno as it was; a rejected
 * document is not validated. rnamlgetReason says why: for a stream that
 * failed (a gzip file cut short), "the input could not be read: " and the
 * stream's error string.
 *
 * One document is read at a time, on one thread: the state is global. */
#ifndef RNAML_UNMARSHALLER_H
#define RNAML_UNMARSHALLER_H

#include <stdio.h>

#include "rnamlObject.h"
#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A new unmarshaller, not validating. The first one makes the toolkit
   print validity warnings and well-formedness findings (option bits 1 and
   2) for the rest of the process, and registers the RNAML 1.1 DTD. Null
   after ":unmarshaller:60: Out of memory". */
rnamlOBJECT *rnamlnewUnmarshaller(void);
rnamlOBJECT *rnamlcloneUnmarshaller(const rnamlOBJECT *unmarshaller);
void rnamldeleteUnmarshaller(rnamlOBJECT *unmarshaller);
int rnamlequalsUnmarshaller(const rnamlOBJECT *a, const rnamlOBJECT *b);
/* Non-zero: each document read is validated. */
void rnamlsetUnmarshallerValidating(rnamlOBJECT *unmarshaller, int validating);

/* The root read from stream (a toolkit file or gzip input stream), or
   null. Null with errno EINVAL for a wrong argument. */
rnamlOBJECT *rnamlunmarshallUnmarshallerStream(const rnamlOBJECT *unmarshaller,
                                               vortanINPUTSTREAM *stream);
/* The same from a FILE open for reading, which stays open. */
rnamlOBJECT *rnamlunmarshallUnmarshaller(const rnamlOBJECT *unmarshaller, FILE *file);

/* Why the last unmarshall call gave null, as a phrase ("'atom' may not
   stand in 'model'"); "" after a call that gave a root. */
const char *rnamlgetReason(void);
/* The root of the last unmarshall call (owned by whoever received it). */
rnamlOBJECT *rnamlgetRoot(void);

/* The content handlers, and their installation in the toolkit's slots. */
void rnamlSetHandlers(void);
/* Abandons the building: deletes the records still open, forgets the
   pending text and empties the handler slots, so that the rest of the
   document builds nothing. The root already completed, if any, stays. */
void rnamlStopHandlers(void);
void rnamlCharDatContentHandler(const char *text, int start, int length);
void rnamlStartDocumentContentHandler(void);
void rnamlEndDocumentContentHandler(void);
void rnamlStartElementContentHandler(void *unused1, void *unused2, const char *name,
                                     vortanLIST *attributes);
void rnamlEndElementContentHandler(void *unused1, void *unused2, const char *name);

/* A new Map from a String of each attribute's name to a malloc'd copy of
   its value (a bare string, never to reach vortandelete: free it, then
   delete the Map); null for anything but a List, or when memory ran out. */
vortanMAP *rnamlmapAttributes(const vortanLIST *attributes);
/* Stores the values of "comment", "reference-ids", "analysis-ids" and
   "database-ids" of such a Map into the record's header, each id list
   value as one id; the values taken are freed and their entries left
   null. */
void rnamladdObjectAttributes(rnamlOBJECT *record, vortanMAP *attributes);

#ifdef __cplusplus
}
#endif

#endif
