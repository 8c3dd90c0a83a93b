#include "vortanErrors.h"

#include <stdarg.h>
#include <stdio.h>

/* Per thread: a holder gathers the reports of its own thread's work. */
static _Thread_local vortanByteBuffer *held;

vortanByteBuffer *vortanholdReports(vortanByteBuffer *buffer)
{
  vortanByteBuffer *before = held;
  held = buffer;
  return before;
}

static void writePieces(FILE *out, const char *text, va_list pieces)
{
  for (; text; text = va_arg(pieces, const char *)) fputs(text, out);
}

/* 0, or -1 when the buffer could not take every piece: it then holds
   what it held before. */
static int holdPieces(vortanByteBuffer *buffer, const char *text, va_list pieces)
{
  size_t length = buffer->length;
  for (; text; text = va_arg(pieces, const char *))
    if (vortanappendByteBufferText(buffer, text) < 0) {
      buffer->length = length;
      return -1;
    }
  return 0;
}

void vortanwriteReport(const char *text, ...)
{
  va_list pieces;
  va_start(pieces, text);
  vortanByteBuffer *buffer = held;
  /* Running out of memory in the buffer is itself a report: it goes to
     standard error, and so does the report that could not be held. */
  held = NULL;
  va_list again;
  va_copy(again, pieces);
  if (!buffer || holdPieces(buffer, text, pieces) < 0) writePieces(stderr, text, again);
  va_end(again);
  va_end(pieces);
  held = buffer;
}

void vortaninternalError(const char *message, const char *file, int line)
{
  char where[32];
  snprintf(where, sizeof where, ":%d: ", line);
  vortanwriteReport(":", file ? file : "", where, message ? message : "", "\n", (char *)NULL);
}

void vortanfatalError(const char *message)
{
  vortanwriteReport(message ? message : "", "\n", (char *)NULL);
}
