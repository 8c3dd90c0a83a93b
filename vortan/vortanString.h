/* Strings: a record owning a zero-terminated buffer from malloc. */
#ifndef VORTAN_STRING_H
#define VORTAN_STRING_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A String taking over buffer (malloc'd, zero-terminated); a null buffer
   gives an empty text. Null after a report when memory runs out, and the
   caller then keeps buffer. */
vortanSTRING *vortannewString(char *buffer);
char *vortangetStringStr(const vortanSTRING *string);
/* Stores buffer without freeing the old one; returns the String. */
vortanSTRING *vortansetStringStr(vortanSTRING *string, char *buffer);
/* Appends text (or one character) to the String's text and returns the
   String. Null for a null or wrong String, a null text, and when memory
   runs out (reported); the String is then unchanged. Each call copies the
   whole text: accumulate long texts in a byte buffer (vortanByteBuffer.h). */
vortanSTRING *vortanconcatString(vortanSTRING *string, const char *text);
vortanSTRING *vortanconcatChar(vortanSTRING *string, char c);
/* A new String: the text without leading and trailing blanks (space, CR,
   LF, TAB). */
vortanSTRING *vortantrimString(const vortanSTRING *string);

#ifdef __cplusplus
}
#endif

#endif
