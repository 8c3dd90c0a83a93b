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

#include <stddef.h>
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

/* Buffers. The scanner reads one buffer at a time: a buffer over a stream,
   refilled from it, or over bytes in memory. Text pushed back is pushed
   into the current buffer and read before its other bytes, also after
   switching away from it and back. The scanner keeps a buffer of its own
   over vortanin, which every parse reads afresh; the buffers made below
   belong to the caller, who deletes them. A failure (no memory) prints its
   message and ends the parse, as every fatal error does. */
typedef struct vortanBufferState *vortanBUFFER_STATE;

/* A buffer of size bytes over stream, not yet current; null when out of
   memory. It grows when a token needs more than size bytes at once. */
vortanBUFFER_STATE vortan_create_buffer(vortanINPUTSTREAM *stream, int size);
/* Frees buffer (null does nothing) with the text pushed into it. When it
   was current, the next token is read from vortanin in the scanner's own
   buffer, afresh. */
void vortan_delete_buffer(vortanBUFFER_STATE buffer);
/* Reads buffer from where it was left; what the current one holds stays in
   it for a switch back. Null changes nothing. */
void vortan_switch_to_buffer(vortanBUFFER_STATE buffer);
/* Drops the bytes buffer holds and the text pushed into it: a buffer over
   a stream then reads on from the stream, one over memory is at its end. */
void vortan_flush_buffer(vortanBUFFER_STATE buffer);
/* Flushes buffer and makes it read stream (from a terminal, a line at a
   time). */
void vortan_init_buffer(vortanBUFFER_STATE buffer, vortanINPUTSTREAM *stream);
/* Takes the current buffer up again as it stands, and its stream (if any)
   into vortanin. */
void vortan_load_buffer_state(void);
/* Makes current a new buffer over the size bytes at base, read in place
   (they must outlive it); the last two are NUL, end the input and are not
   read, while a NUL before them is a byte like any other. Null when size is
   below 2 or either of the last two bytes is not NUL. */
vortanBUFFER_STATE vortan_scan_buffer(char *base, size_t size);
/* Makes current a new buffer over a copy of the length bytes at bytes, or
   of a zero-terminated text. */
vortanBUFFER_STATE vortan_scan_bytes(const char *bytes, int length);
vortanBUFFER_STATE vortan_scan_string(const char *text);
/* Reads stream from its current position on in the current buffer,
   dropping whatever it held or had pushed back; the start condition is
   kept, the line count starts again and an earlier fatal error is
   forgotten. */
void vortanrestart(vortanINPUTSTREAM *stream);
/* Flushes the current buffer. */
void vortanflushBuffer(void);
/* Reading an external file: vortansaveBuffer remembers the current buffer;
   vortanswitchToBuffer then reads vortanin in a new buffer of the
   scanner's, and once that file is read, called again, deletes that buffer
   and returns to the remembered one where it was left. */
void vortansaveBuffer(void);
void vortanswitchToBuffer(void);

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

/* Whether a text of length bytes may grow by more: 1, or 0 after the
   well-formedness failure that names the bound and the line, which stops
   the parse as vortanscanFail does. Content handlers that join the texts
   of several events bound the joined text with it. */
int vortanscanTextFits(size_t length, size_t more);

#ifdef __cplusplus
}
#endif

#endif
