/* The XML scanner: the bytes of vortanin become the tokens of vortanTokens.h.
 *
 * Markup pushes the start condition that reads its inside and pops it at
 * its end, so the same bytes mean different things in content, tags,
 * literals and declarations. Character references become characters;
 * general-entity references in content and parameter-entity references in
 * the DTD are replaced by their text, read next. Input is 8-bit (ISO 8859-1
 * name characters); no other encoding is decoded.
 *
 * A failure of the input or of memory ends the parse, never the process:
 * its message goes to standard error and every later token is the end,
 * until the next parse starts the scanner afresh. */
#ifndef VORTAN_SCANNER_H
#define VORTAN_SCANNER_H

#include <stdio.h>

#include "vortanTags.h"
#include "vortanTokenCodes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A token's value: a malloc'd text, which the caller takes over (null for
   tokens without one), or for CHARREF the character. */
typedef union vortanSTYPE {
  char *string;
  int character;
} vortanSTYPE;

extern vortanINPUTSTREAM *vortanin; /* the stream read; set by the caller */
extern FILE *vortanout;             /* where unmatched text would go: never written */
extern vortanSTYPE vortanlval;      /* the last token's value */
extern const char *vortantext;      /* the last token's text, valid until the next */
extern int vortanleng;              /* its length */
extern int vortanLineNo;            /* the line being read, from 1 */

/* The next token code, its value in vortanlval; 0 at the end of the input. */
int vortanlex(void);

/* Reads text (copied) before the rest of the input; null and "" push nothing. */
void vortanUnputString(const char *text);
/* Reads stream from its current position on, dropping whatever was buffered
   or pushed back; the start condition is kept. */
void vortanrestart(vortanINPUTSTREAM *stream);
/* Reads the length bytes at bytes (copied) instead of vortanin, up to the
   next vortanrestart or parse. scan_string reads a zero-terminated text. */
void vortan_scan_bytes(const char *bytes, int length);
void vortan_scan_string(const char *text);
/* Drops the buffered bytes, so that the next token reads vortanin anew. */
void vortanflushBuffer(void);

/* Text helpers; each result is a new malloc'd text, null when out of memory
   (reported) or for a null argument. */
/* CR LF and a lone CR become LF. */
char *vortanEOLNormalisation(const char *text);
/* Every apostrophe becomes "&#39;", every double quote "&#34;". */
char *vortanattributeQuoteReplacement(const char *text);
/* TAB, LF and CR become spaces. */
char *vortanAttValueNormalizeWhiteSpaces(const char *text);
/* counter plus one line for every LF, CR LF and lone CR of text. */
int vortanAddLineNo(int counter, const char *text);
char *vortancopy(const char *text);
/* The characters [from, to) of text; null when from > to or either lies
   beyond the text. */
char *vortansubstring(int from, int to, const char *text);

#ifdef __cplusplus
}
#endif

#endif
