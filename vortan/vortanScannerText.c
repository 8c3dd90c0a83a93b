/* The scanner's text helpers: line ends, quotes and white space of values. */
#include <stdlib.h>
#include <string.h>

#include "vortanByteBuffer.h"
#include "vortanRecord.h"
#include "vortanScanner.h"

/* A copy of text in which each byte is passed to rewrite, which appends
   its replacement (or nothing) and tells how many bytes it used (at least
   one). */
static char *rewriteText(const char *text, size_t (*rewrite)(vortanByteBuffer *, const char *))
{
  if (!text) return NULL;
  vortanByteBuffer out;
  vortaninitByteBuffer(&out);
  for (const char *c = text; *c;) c += rewrite(&out, c);
  return vortantakeByteBufferText(&out);
}

static size_t endOfLine(vortanByteBuffer *out, const char *c)
{
  if (*c != '\r') return vortanappendByteBufferChar(out, *c), 1;
  vortanappendByteBufferChar(out, '\n');
  return c[1] == '\n' ? 2 : 1;
}

static size_t quote(vortanByteBuffer *out, const char *c)
{
  if (*c == '\'') vortanappendByteBufferText(out, "&#39;");
  else if (*c == '"') vortanappendByteBufferText(out, "&#34;");
  else vortanappendByteBufferChar(out, *c);
  return 1;
}

static size_t space(vortanByteBuffer *out, const char *c)
{
  vortanappendByteBufferChar(out, *c == '\t' || *c == '\n' || *c == '\r' ? ' ' : *c);
  return 1;
}

char *vortanEOLNormalisation(const char *text)
{
  return rewriteText(text, endOfLine);
}

char *vortanattributeQuoteReplacement(const char *text)
{
  return rewriteText(text, quote);
}

char *vortanAttValueNormalizeWhiteSpaces(const char *text)
{
  return rewriteText(text, space);
}

int vortanAddLineNo(int counter, const char *text)
{
  for (const char *c = text; c && *c; ++c)
    if (*c == '\n' || (*c == '\r' && c[1] != '\n')) ++counter;
  return counter;
}

char *vortancopy(const char *text)
{
  return text ? VORTAN_COPY_TEXT(text) : NULL;
}

char *vortansubstring(int from, int to, const char *text)
{
  if (!text || from < 0 || from > to || (size_t)to > strlen(text)) return NULL;
  char *part = VORTAN_ALLOCATE((size_t)(to - from) + 1);
  if (!part) return NULL;
  memcpy(part, text + from, (size_t)(to - from));
  part[to - from] = '\0';
  return part;
}
