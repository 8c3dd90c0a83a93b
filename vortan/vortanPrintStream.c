#include "vortanPrintStream.h"

#include <errno.h>
#include <float.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>

#include "vortanNumbers.h"
#include "vortanOutputStream.h"
#include "vortanStream.h"

enum { printTag = vortanTagPrintStream };

/* The stream a PrintStream wraps, or null with EINVAL. */
static vortanOUTPUTSTREAM *wrapped(const vortanPRINTSTREAM *stream)
{
  return vortanstreamHandle(stream, printTag);
}

vortanPRINTSTREAM *vortannewPrintStream(vortanOUTPUTSTREAM *out)
{
  if (!vortanisOutputStream(out)) {
    errno = EINVAL;
    return NULL;
  }
  return vortannewStream(printTag, out);
}

void vortandeletePrintStream(vortanPRINTSTREAM *stream)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  if (!out) return;
  vortandeleteOutputStream(out);
  vortandeleteStream(stream, printTag);
}

int vortanisPrintStream(const void *record)
{
  return vortanisStream(record, printTag);
}

/* Writes length bytes, in pieces that an int count can hold. */
static void print(vortanPRINTSTREAM *stream, const char *bytes, size_t length)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  if (!out) return;
  while (length > 0) {
    int piece = length > INT_MAX ? INT_MAX : (int)length;
    if (vortanwriteOutputStream(out, bytes, piece) <= 0) return;
    bytes += piece;
    length -= (size_t)piece;
  }
}

void vortanprintPrintStreamChar(vortanPRINTSTREAM *stream, char c)
{
  print(stream, &c, 1);
}

void vortanprintPrintStreamString(vortanPRINTSTREAM *stream, const char *text)
{
  if (!text) errno = EINVAL;
  else print(stream, text, strlen(text));
}

void vortanprintPrintStreamDouble(vortanPRINTSTREAM *stream, double d)
{
  /* The longest "%f" text: a sign, DBL_MAX's 309 digits, the point and six. */
  char text[DBL_MAX_10_EXP + 16];
  int length = vortanformatFixed(text, sizeof text, d);
  if (length > 0) print(stream, text, (size_t)length);
}

void vortanprintPrintStreamFloat(vortanPRINTSTREAM *stream, float f)
{
  vortanprintPrintStreamDouble(stream, f);
}

void vortanprintPrintStreamInt(vortanPRINTSTREAM *stream, int i)
{
  char text[32];
  print(stream, text, (size_t)snprintf(text, sizeof text, "%d", i));
}

void vortanprintPrintStreamUnsignedInt(vortanPRINTSTREAM *stream, unsigned u)
{
  char text[32];
  print(stream, text, (size_t)snprintf(text, sizeof text, "%u", u));
}

void vortanprintPrintStreamLong(vortanPRINTSTREAM *stream, long l)
{
  char text[32];
  print(stream, text, (size_t)snprintf(text, sizeof text, "%ld", l));
}

void vortanprintPrintStreamLn(vortanPRINTSTREAM *stream)
{
  print(stream, "\n", 1);
}

int vortangetPrintStreamEOS(const vortanPRINTSTREAM *stream)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  return out ? vortangetOutputStreamEOS(out) : 1;
}

int vortanflushPrintStream(vortanPRINTSTREAM *stream)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  return out ? vortanflushOutputStream(out) : -1;
}

int vortanwritePrintStreamChar(vortanPRINTSTREAM *stream, int c)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  return out ? vortanwriteOutputStreamChar(out, c) : -1;
}

int vortanwritePrintStream(vortanPRINTSTREAM *stream, const void *buffer, int count)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  return out ? vortanwriteOutputStream(out, buffer, count) : -1;
}

int vortanclosePrintStream(vortanPRINTSTREAM *stream)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  return out ? vortancloseOutputStream(out) : -1;
}

int vortangetPrintStreamError(const vortanPRINTSTREAM *stream)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  return out ? vortangetOutputStreamError(out) : EINVAL;
}

const char *vortangetPrintStreamErrorString(const vortanPRINTSTREAM *stream)
{
  vortanOUTPUTSTREAM *out = wrapped(stream);
  return out ? vortangetOutputStreamErrorString(out) : strerror(EINVAL);
}
