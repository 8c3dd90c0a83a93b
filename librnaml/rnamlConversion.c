/* Turning text into the values of records, with the C library's number
 * readers: a number must have digits and fit its type, and only the values
 * actually read are stored, so a field that cannot be read keeps its
 * default. */
#include <ctype.h>
#include <errno.h>
#include <limits.h>
#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "rnamlElements.h"
#include "rnamlHandlerTables.h"
#include "vortanListBuilder.h"
#include "vortanNumbers.h"

/* Where the numbers of a numbering table are split. */
static const char separators[] = " \n\t";

/* The integer at *at, after white space; *at moves past it. 0 when there
   is none or it does not fit an int. */
static int readInteger(const char **at, int *value)
{
  char *end;
  errno = 0;
  long number = strtol(*at, &end, 10);
  if (end == *at || errno == ERANGE || number < INT_MIN || number > INT_MAX) return 0;
  *value = (int)number;
  *at = end;
  return 1;
}

/* The same for a float, in the C locale's form; a number beyond the float
   range is refused, one too small for it is read as what strtof gives
   (zero or subnormal). */
static int readFloat(const char **at, float *value)
{
  char *end;
  errno = 0;
  float number = vortanreadFloat(*at, &end);
  if (end == *at || (errno == ERANGE && isinf(number))) return 0;
  *value = number;
  *at = end;
  return 1;
}

static const char *skipSpace(const char *at)
{
  while (isspace((unsigned char)*at)) ++at;
  return at;
}

/* Coordinates are all or nothing: one finite float per setter and nothing
   else but blanks. Otherwise nothing is stored and 0 is returned, since a
   default put in place of a coordinate (a zero for "nan", a missing z)
   gives a structure no document holds. */
static int storeCoordinates(const rnamlSetter *set, const char *text, rnamlOBJECT *record)
{
  float values[3];
  int count = 0;
  const char *at = text;
  for (; count < 3 && set[count].real; ++count)
    if (!readFloat(&at, &values[count]) || !isfinite(values[count])) return 0;
  if (*skipSpace(at)) return 0;
  for (int i = 0; i < count; ++i) set[i].real(record, values[i]);
  return 1;
}

/* Layout coordinates only place a base in a drawing: what can be read is
   kept, and the fields after it keep their defaults. */
static void storeLeadingFloats(const rnamlSetter *set, const char *text, rnamlOBJECT *record)
{
  const char *at = text;
  float value;
  for (int i = 0; i < 3 && set[i].real && readFloat(&at, &value); ++i) set[i].real(record, value);
}

/* Appends the integer of each word of text, in order, to values (held in
   the element pointers, as the table's adder stores them). A word that is
   no integer adds nothing. */
static void appendNumbers(vortanLIST *values, const char *text)
{
  vortanListBuilder builder;
  if (vortanstartListBuilder(&builder, values) < 0) return;
  for (const char *at = text + strspn(text, separators); *at; at += strspn(at, separators)) {
    const char *number = at;
    int value;
    at += strcspn(at, separators);
    /* strtol would skip a CR and go on into the next word. */
    if (readInteger(&number, &value) && number <= at &&
        vortanappendListBuilder(&builder, (void *)(intptr_t)value) < 0)
      return;
  }
}

rnamlOBJECT *rnamlnewPcDataOf(const char *text)
{
  rnamlOBJECT *data = rnamlnewPcData();
  rnamlsetPcDataValue(data, text);
  if (data && !rnamlgetPcDataValue(data)) {
    rnamldelete(data);
    return NULL;
  }
  return data;
}

int rnamlconvert(const rnamlValueRule *rule, const char *text, rnamlOBJECT *record)
{
  const rnamlSetter *set = rule->set;
  const char *at = text;
  int first, second;
  float real;
  if (!text) return rule->conversion != rnamlAsFloats;
  switch (rule->conversion) {
  case rnamlNoValue: break;
  case rnamlAsText: set[rule->held && rule->held(record) ? 1 : 0].text(record, text); break;
  case rnamlAsInteger:
    if (readInteger(&at, &first)) set[0].integer(record, first);
    break;
  case rnamlAsFloat:
    if (readFloat(&at, &real)) set[0].real(record, real);
    break;
  case rnamlAsFloats: return storeCoordinates(set, text, record);
  case rnamlAsLeadingFloats: storeLeadingFloats(set, text, record); break;
  case rnamlAsCharacter:
    at = skipSpace(at);
    if (*at) set[0].character(record, *at);
    break;
  case rnamlAsPages:
    if (!readInteger(&at, &first)) break;
    set[0].integer(record, first);
    at = skipSpace(at);
    if (*at == ',' && (++at, readInteger(&at, &second))) set[1].integer(record, second);
    break;
  case rnamlAsTrue:
    if (strcmp(text, "true") == 0) set[0].integer(record, 1);
    break;
  case rnamlAsNumbers: appendNumbers(set[0].values(record), text); break;
  case rnamlAsPcData: {
    rnamlOBJECT *data = rnamlnewPcDataOf(text);
    if (data && !set[0].child(record, data)) rnamldelete(data);
    break;
  }
  }
  return 1;
}
