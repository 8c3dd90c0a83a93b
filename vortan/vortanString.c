#include "vortanString.h"

#include <stdlib.h>
#include <string.h>

#include "vortanRecord.h"

vortanSTRING *vortannewString(char *buffer)
{
  vortanSTRING *string = VORTAN_ALLOCATE(sizeof *string);
  if (!string) return NULL;
  if (!buffer) {
    buffer = VORTAN_COPY_TEXT("");
    if (!buffer) {
      vortanfreeRecord(string);
      return NULL;
    }
  }
  string->tag = vortanTagString;
  string->str = buffer;
  return string;
}

vortanSTRING *vortancopyString(const char *text)
{
  char *copy = VORTAN_COPY_TEXT(text);
  vortanSTRING *string = copy ? vortannewString(copy) : NULL;
  if (!string) free(copy);
  return string;
}

char *vortangetStringStr(const vortanSTRING *string)
{
  if (!vortanhasTag(string, vortanTagString)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  return string->str;
}

vortanSTRING *vortansetStringStr(vortanSTRING *string, char *buffer)
{
  if (!vortanhasTag(string, vortanTagString)) VORTAN_REPORT_MISUSE();
  else string->str = buffer;
  return string;
}

/* Replaces the text by itself followed by the length bytes at text. A new
   buffer, since text may lie inside the old one. */
static vortanSTRING *append(vortanSTRING *string, const char *text, size_t length)
{
  size_t old = string->str ? strlen(string->str) : 0;
  if (length > SIZE_MAX - 1 - old) {
    VORTAN_REPORT_NO_MEMORY();
    return NULL;
  }
  char *joined = VORTAN_ALLOCATE(old + length + 1);
  if (!joined) return NULL;
  if (old) memcpy(joined, string->str, old);
  memcpy(joined + old, text, length);
  joined[old + length] = '\0';
  free(string->str);
  string->str = joined;
  return string;
}

vortanSTRING *vortanconcatString(vortanSTRING *string, const char *text)
{
  if (!vortanhasTag(string, vortanTagString)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  return text ? append(string, text, strlen(text)) : NULL;
}

vortanSTRING *vortanconcatChar(vortanSTRING *string, char c)
{
  if (!vortanhasTag(string, vortanTagString)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  return append(string, &c, 1);
}

static int isBlank(char c)
{
  return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

vortanSTRING *vortantrimString(const vortanSTRING *string)
{
  if (!vortanhasTag(string, vortanTagString) || !string->str) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  const char *start = string->str;
  const char *end = start + strlen(start);
  while (start < end && isBlank(*start)) ++start;
  while (end > start && isBlank(end[-1])) --end;
  char *text = VORTAN_ALLOCATE((size_t)(end - start) + 1);
  if (!text) return NULL;
  memcpy(text, start, (size_t)(end - start));
  text[end - start] = '\0';
  vortanSTRING *trimmed = vortannewString(text);
  if (!trimmed) free(text);
  return trimmed;
}
