#include "vortanFormat.h"

#include <stdio.h>
#include <stdlib.h>

#include "vortanMessages.h"
#include "vortanRecord.h"

char *vortanformatText(const char *format, va_list args)
{
  va_list sizing;
  va_copy(sizing, args);
  int length = vsnprintf(NULL, 0, format, sizing);
  va_end(sizing);
  if (length < 0) {
    VORTAN_REPORT_NO_MEMORY(); /* only EOVERFLOW: a text past INT_MAX */
    return NULL;
  }
  char *text = VORTAN_ALLOCATE((size_t)length + 1);
  if (text) vsnprintf(text, (size_t)length + 1, format, args);
  return text;
}

static void report(void (*sink)(const char *), const char *format, va_list args)
{
  char *text = vortanformatText(format, args);
  if (!text) return;
  sink(text);
  free(text);
}

void vortanreportf(void (*sink)(const char *text), const char *format, ...)
{
  va_list args;
  va_start(args, format);
  report(sink, format, args);
  va_end(args);
}

void vortanvalidityFinding(const char *format, ...)
{
  if (!(vortanUserOptions & vortanOptionValidity)) return;
  va_list args;
  va_start(args, format);
  report(vortanvalidityWarning, format, args);
  va_end(args);
}
