/* Writing records as XML text, compactly or indented, through a print
 * stream (vortanPrintStream.h). Every String is written escaped, so the
 * text of a document prints as well-formed character data and attribute
 * values. An element without content prints as an empty-element tag, also
 * without attributes: "<a/>". */
#ifndef VORTAN_PRINT_H
#define VORTAN_PRINT_H

#include <stdio.h>

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The compact form, all on the lines the records make. Null, streams and
   iterators print nothing. */
void vortanprintObject(vortanPRINTSTREAM *stream, const void *object);
/* The same on a FILE, through stream records made and freed here (the
   FILE is neither flushed nor closed). */
void vortanprint(FILE *file, const void *object);

/* The indented form from indentation 0 (two spaces more per element
   level), ended by a line feed when the last block asks for one. */
void vortanprettyPrintObject(vortanPRINTSTREAM *stream, const void *object);
void vortanprettyPrint(FILE *file, const void *object);
/* The indented form at indentation indent. 1 when what it printed ends a
   block after which the next markup goes on a new line, else 0. */
int vortanprettyPrintAux(vortanPRINTSTREAM *stream, const void *object, int indent);

/* n spaces. */
void vortanindentPrint(vortanPRINTSTREAM *stream, int n);
/* The first apostrophe of text, or null (also for null): a quoted value
   holding one is written between double quotes. */
const char *vortanisQuoted(const char *text);
/* text with '&' as "&#38;", '<' as "&#60;", '>' as "&#62;", the apostrophe
   as "&#39;" and the double quote as "&#34;". */
void vortanprintEscapedString(vortanPRINTSTREAM *stream, const char *text);

#ifdef __cplusplus
}
#endif

#endif
