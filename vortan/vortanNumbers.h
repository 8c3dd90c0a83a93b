/* Numbers read and written in the C locale's form whatever LC_NUMERIC the
 * program has set: a document's "1.5" is one and a half under a
 * decimal-comma locale too, and a number written is read back the same. */
#ifndef VORTAN_NUMBERS_H
#define VORTAN_NUMBERS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* strtof in the C locale. */
float vortanreadFloat(const char *text, char **end);
/* snprintf(text, size, "%f", value) in the C locale: the point is always
   a '.'. */
int vortanformatFixed(char *text, size_t size, double value);

#ifdef __cplusplus
}
#endif

#endif
