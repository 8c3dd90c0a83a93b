/* Writing RNAML documents: a root record (Rnaml) as a whole XML document,
 * its prolog declaring the document type "rnaml" with the SYSTEM identifier
 * "rnaml.dtd", and the marshaller, which writes documents compactly
 * or indented, validated against the registered RNAML 1.1 DTD on demand.
 *
 *   rnamlOBJECT *m = rnamlnewMarshaller();
 *   rnamlsetMarshallerFormatted(m, 1);
 *   rnamlmarshallMarshaller(m, root, stdout);
 *   rnamldelete(m);
 *
 * The marshaller writes nothing and sets errno to EINVAL when an argument
 * is wrong or missing, and also when the root cannot be written (a child
 * lacking a part it cannot be written without: "Invalid rnaml structure.");
 * ENOMEM when memory runs out before anything is written. Validity
 * findings go to standard error under the toolkit's option bits and never
 * stop the writing. */
#ifndef RNAML_MARSHALLER_H
#define RNAML_MARSHALLER_H

#include <stdio.h>

#include "rnamlObject.h"
#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The SYSTEM identifier of the written DOCTYPE: a DTD file beside the
   document, where validating readers that have no DTD of their own look.
   It names no host, and the toolkit never fetches it: the RNAML 1.1 DTD is
   compiled in. */
extern const char rnamlSystemIdentifier[];

/* The XML declaration (version 1.0) and the DOCTYPE "rnaml" with its
   SYSTEM identifier, no internal declarations; null when memory ran out. */
vortanPROLOG *rnamlbuildProlog(void);
/* A new Document: the prolog, the root's element and an empty trailing
   List. Its element is null when the root could not be converted. Null
   for anything but a root record, and when memory ran out. */
vortanDOCUMENT *rnamltoXMLDocument(const rnamlOBJECT *root);

/* A marshaller with both flags 0; registers the RNAML 1.1 DTD on first
   use (rnamlinit). Null after "Out of memory". */
rnamlOBJECT *rnamlnewMarshaller(void);
rnamlOBJECT *rnamlcloneMarshaller(const rnamlOBJECT *marshaller);
void rnamldeleteMarshaller(rnamlOBJECT *marshaller);
int rnamlequalsMarshaller(const rnamlOBJECT *a, const rnamlOBJECT *b);
/* Store the flag as given; nothing for anything but a marshaller. */
void rnamlsetMarshallerValidating(rnamlOBJECT *marshaller, int validating);
void rnamlsetMarshallerFormatted(rnamlOBJECT *marshaller, int formatted);

/* Writes root as a document to file, which stays open and unflushed. */
void rnamlmarshallMarshaller(const rnamlOBJECT *marshaller, const rnamlOBJECT *root, FILE *file);
/* The same through a toolkit print stream. */
void rnamlmarshallMarshallerStream(const rnamlOBJECT *marshaller, const rnamlOBJECT *root,
                                   vortanPRINTSTREAM *stream);

#ifdef __cplusplus
}
#endif

#endif
