/* Inside the toolkit: messages built from a format and its arguments. The
 * names and values they show come from documents and have no length bound,
 * so every text is sized before it is written: there is no fixed buffer. */
#ifndef VORTAN_FORMAT_H
#define VORTAN_FORMAT_H

#include <stdarg.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define VORTAN_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define VORTAN_PRINTF_LIKE(f, a)
#endif

/* The formatted text, malloc'd; null after an "Out of Memory" report. */
char *vortanformatText(const char *format, va_list args);

/* Formats the message and hands it to sink (vortanfatalError,
   vortanvalidityWarning, ...). When memory runs out that is reported and
   the message is skipped. */
void vortanreportf(void (*sink)(const char *text), const char *format, ...)
  VORTAN_PRINTF_LIKE(2, 3);

/* A validity finding: a "Validity Warning: " line, written only when the
   validity bit of vortanUserOptions is set (nothing is formatted else). */
void vortanvalidityFinding(const char *format, ...) VORTAN_PRINTF_LIKE(1, 2);

#ifdef __cplusplus
}
#endif

#endif
