/* Writing a record as a tree of toolkit nodes, by its row of the table:
 * the header's attributes, the element's own attributes, then its content
 * in field order. Content is appended through a List builder, so a list of
 * n children costs n appends, not n walks of the content. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "rnamlList.h"
#include "rnamlRecord.h"
#include "vortanByteBuffer.h"
#include "vortanElement.h"
#include "vortanListBuilder.h"
#include "vortanNumbers.h"
#include "vortanObject.h"
#include "vortanRecords.h"
#include "vortanString.h"

static const char source[] = "object";

/* Wide enough for "%f" of -FLT_MAX (47 characters). */
enum { numberSize = 64 };

/* "%f", except that every NaN, whatever its sign bit, is "nan". */
static void formatFloat(char *text, float value)
{
  if (isnan(value)) snprintf(text, numberSize, "nan");
  else vortanformatFixed(text, numberSize, (double)value);
}

static int32_t intAt(const rnamlOBJECT *record, const rnamlFieldInfo *f)
{
  return *(const int32_t *)rnamlfieldOf(record, f);
}

static float floatAt(const rnamlOBJECT *record, const rnamlFieldInfo *f)
{
  return *(const float *)rnamlfieldOf(record, f);
}

/* The text of a scalar field, in text (of numberSize) when it is a number;
   null when the field holds its default, unless always is set (a text or
   type field holding none has no text even then). */
static const char *scalarText(const rnamlOBJECT *record, const rnamlFieldInfo *f, int always,
                              char *text)
{
  const void *at = rnamlfieldOf(record, f);
  switch (f->kind) {
  case rnamlKindSTRING: return *(char *const *)at;
  case rnamlKindTYPE: {
    const char *type = *(const char *const *)at;
    return strcmp(type, f->textDefault) != 0 ? type : NULL;
  }
  case rnamlKindFLAG:
  case rnamlKindBOOL: return intAt(record, f) ? "true" : NULL;
  case rnamlKindINT:
  case rnamlKindCHAR:
    if (!always && intAt(record, f) == f->intDefault) return NULL;
    snprintf(text, numberSize, f->kind == rnamlKindCHAR ? "%c" : "%d", (int)intAt(record, f));
    return text;
  case rnamlKindFLOAT:
    if (!always && floatAt(record, f) == f->floatDefault) return NULL;
    formatFloat(text, floatAt(record, f));
    return text;
  default: return NULL;
  }
}

/* A CharData node of a copy of text. */
static vortanCHARDATA *newText(const char *text)
{
  char *copy = RNAML_COPY_TEXT(text, source);
  vortanSTRING *string = copy ? vortannewString(copy) : NULL;
  vortanCHARDATA *data = string ? vortannewCharData(string) : NULL;
  if (!data) {
    if (string) vortandelete(string);
    else free(copy);
  }
  return data;
}

/* Appends node, which the content then owns; a null node (a part that
   failed) or a failed append fails, and the node is freed. */
static int append(vortanListBuilder *content, void *node)
{
  if (!node) return -1;
  if (vortanappendListBuilder(content, node) == 0) return 0;
  vortandelete(node);
  return -1;
}

/* Appends <name>text</name>. */
static int appendTagged(vortanListBuilder *content, const char *name, const char *text)
{
  vortanELEMENT *child = vortannewElementWithName(name);
  if (child && !vortanaddContentPCData(child, text)) {
    vortandelete(child);
    child = NULL;
  }
  return append(content, child);
}

/* A CharData of the integers of a List: "%d", then " %d" for each next. */
static vortanCHARDATA *newIntegersText(const vortanLIST *values)
{
  vortanByteBuffer buffer;
  vortaninitByteBuffer(&buffer);
  for (const vortanPAIR *link = rnamlfirstLink(values); link; link = rnamlnextLink(link)) {
    char text[numberSize];
    snprintf(text, sizeof text, link == rnamlfirstLink(values) ? "%d" : " %d",
             (int)(intptr_t)rnamllinkValue(link));
    vortanappendByteBufferText(&buffer, text);
  }
  vortanSTRING *string = vortantakeByteBufferString(&buffer);
  vortanCHARDATA *data = string ? vortannewCharData(string) : NULL;
  if (!data) vortandelete(string);
  return data;
}

/* The floats of f and the count - 1 fields after it, joined by blanks. */
static void formatCoordinates(const rnamlOBJECT *record, const rnamlFieldInfo *f, int count,
                              char *text)
{
  char *end = text;
  for (int i = 0; i < count; ++i) {
    if (i) *end++ = ' ';
    formatFloat(end, floatAt(record, f + i));
    end += strlen(end);
  }
}

static int writeChildren(vortanListBuilder *content, const vortanLIST *children)
{
  for (const vortanPAIR *link = rnamlfirstLink(children); link; link = rnamlnextLink(link))
    if (append(content, rnamltoXML(rnamllinkValue(link))) < 0) return -1;
  return 0;
}

static int writeContent(const rnamlOBJECT *record, const rnamlFieldInfo *f,
                        vortanListBuilder *content)
{
  char text[3 * numberSize];
  const void *at = rnamlfieldOf(record, f);
  int isList = f->kind == rnamlKindLIST || f->kind == rnamlKindLIST_ANY ||
               f->kind == rnamlKindLIST_INT;
  int isChild = f->kind == rnamlKindCHILD || f->kind == rnamlKindCHILD_ANY;
  const vortanLIST *list = isList ? *(vortanLIST *const *)at : NULL;
  const rnamlOBJECT *child = isChild ? *(rnamlOBJECT *const *)at : NULL;
  const char *value;
  switch (f->form) {
  case rnamlFormTAGGED:
    value = scalarText(record, f, 0, text);
    return value ? appendTagged(content, f->xmlName, value) : 0;
  case rnamlFormTEXT:
    if (isList) return rnamlfirstLink(list) ? append(content, newIntegersText(list)) : 0;
    value = scalarText(record, f, 1, text);
    return value ? append(content, newText(value)) : 0;
  case rnamlFormXYZ:
  case rnamlFormXY:
    formatCoordinates(record, f, f->form == rnamlFormXYZ ? 3 : 2, text);
    return appendTagged(content, f->xmlName, text);
  case rnamlFormPAGES:
    snprintf(text, sizeof text, "%d,%d", (int)intAt(record, f), (int)intAt(record, f + 1));
    return append(content, newText(text));
  case rnamlFormOWN:
    if (isList) return writeChildren(content, list);
    return child ? append(content, rnamltoXML(child)) : 0;
  case rnamlFormALWAYS:
    /* A missing child is reported by rnamltoXML and fails the whole. */
    return append(content, rnamltoXML(child));
  default: return 0;
  }
}

static int writeAttributes(const rnamlOBJECT *record, const rnamlElementInfo *element,
                           vortanELEMENT *node)
{
  for (const rnamlFieldInfo *f = element->fields; f < element->fields + element->fieldCount; ++f) {
    if (f->form != rnamlFormATTR && f->form != rnamlFormID) continue;
    char text[numberSize];
    const char *value = scalarText(record, f, 0, text);
    if (value && !vortanaddAttribute(node, f->xmlName, value, f->form == rnamlFormID)) return -1;
  }
  return 0;
}

vortanELEMENT *rnamlwriteElement(const rnamlOBJECT *record)
{
  const rnamlElementInfo *element = rnamlelementInfo(record->code);
  vortanELEMENT *node = vortannewElementWithName(element->tag);
  if (!node) return NULL;
  vortanListBuilder content;
  vortanLIST *items = vortangetContentList(vortangetElementContent(node));
  int failed = rnamltoXMLObjectAttributes(record, node) < 0 ||
               writeAttributes(record, element, node) < 0 ||
               vortanstartListBuilder(&content, items) < 0;
  for (int i = 0; i < element->fieldCount && !failed; ++i)
    failed = writeContent(record, &element->fields[i], &content) < 0;
  if (failed) {
    vortandelete(node);
    return NULL;
  }
  return node;
}

vortanCHARDATA *rnamltoXMLPcData(const rnamlOBJECT *record)
{
  if (!rnamlisPcData(record)) return NULL;
  const char *value = rnamlgetPcDataValue(record);
  return newText(value ? value : "");
}

void *rnamltoXML(const void *record)
{
  const rnamlElementInfo *element =
    record ? rnamlelementInfo(((const rnamlOBJECT *)record)->code) : NULL;
  if (!element) {
    RNAML_REPORT("Invalid rnaml structure.", source);
    return NULL;
  }
  if (element->writer == rnamlWriterCHARDATA) return rnamltoXMLPcData(record);
  return rnamlwriteElement(record);
}
