/* Inside the toolkit: the blank-separated tokens of attribute values
 * (IDREFS, ENTITIES, NMTOKENS) and lookups of texts in Lists of Strings. */
#ifndef VORTAN_TOKENS_H
#define VORTAN_TOKENS_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Calls visit with each token of value, split at space, TAB, CR and LF.
   The tokens live in a copy: value is never changed. The walk stops at the
   first visit that answers 0. 1 when every visit answered non-zero, 0 when
   one answered 0, -1 when memory ran out (reported). */
int vortanforEachToken(const char *value, int (*visit)(const char *token, void *context),
                       void *context);

/* 1 when some String of the List holds text. */
int vortanlistHoldsText(const vortanLIST *strings, const char *text);
/* Appends a String copy of text to the List; -1 after a report. */
int vortanappendTextCopy(vortanLIST *list, const char *text);

#ifdef __cplusplus
}
#endif

#endif
