#include "vortanReferenceTable.h"


#include "vortanDTDRegistry.h"
#include "vortanMap.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanString.h"

vortanMAP *vortannewReferenceTable(void)
{
  return vortannewMap();
}

static vortanMAPENTRY *findName(const vortanMAP *table, const char *name)
{
  if (!vortanhasTag(table, vortanTagMap) || !name) return NULL;
  vortanSTRING key = vortanborrowString(name);
  return vortanfindEntry(table, &key);
}

const char *vortangetReferenceTable(const vortanMAP *table, const char *name)
{
  const vortanMAPENTRY *entry = findName(table, name);
  const char *text = entry ? vortantextOf(entry->value) : NULL;
  return text ? text : "";
}

/* 1 when stored, 0 when name was present or could not be stored (value is
   then deleted). */
static int putNew(vortanMAP *table, const char *name, void *value)
{
  if (vortanhasTag(table, vortanTagMap) && name && !findName(table, name)) {
    vortanSTRING key = vortanborrowString(name);
    if (vortaninsertEntry(table, &key, value) == 0) return 1;
  }
  vortandelete(value);
  return 0;
}

vortanMAP *vortanputReferenceTable(vortanMAP *table, const char *name, void *value)
{
  putNew(table, name, value);
  return table;
}

vortanMAP *vortanremoveReferenceTable(vortanMAP *table, const char *name)
{
  if (!vortanhasTag(table, vortanTagMap)) {
    VORTAN_REPORT_MISUSE();
    return table;
  }
  if (name) {
    vortanSTRING key = vortanborrowString(name);
    vortandelete(vortanRemove(table, &key));
  }
  return table;
}

void vortanclearReferenceTable(vortanMAP *table)
{
  if (vortanhasTag(table, vortanTagMap)) vortanclear(table);
}

/* Stores a String copy of text under name when name is absent. -1 when
   memory ran out (reported). */
static int putText(vortanMAP *table, const char *name, const char *text)
{
  if (!vortanhasTag(table, vortanTagMap) || !name || findName(table, name)) return 0;
  vortanSTRING *value = vortancopyString(text ? text : "");
  if (!value) return -1;
  return putNew(table, name, value) ? 0 : -1;
}

vortanMAP *vortannewGEReferenceTable(void)
{
  static const char *const predefined[][2] = {
    {"amp", "&#38;"}, {"lt", "&#60;"}, {"gt", ">"}, {"apos", "'"}, {"quot", "\""}};
  vortanMAP *table = vortannewMap();
  for (size_t i = 0; table && i < sizeof predefined / sizeof *predefined; ++i)
    if (putText(table, predefined[i][0], predefined[i][1]) < 0) {
      vortandelete(table);
      return NULL;
    }
  return table;
}

vortanMAP *vortannewPEReferenceTable(void)
{
  return vortannewMap();
}

const char *vortangetGEntity(const char *name)
{
  return vortangetReferenceTable(GERTable, name);
}

const char *vortangetPEntity(const char *name)
{
  return vortangetReferenceTable(PERTable, name);
}

void vortanputGEntity(const char *name, const char *text)
{
  putText(GERTable, name, text);
}

void vortanputPEntity(const char *name, const char *text)
{
  putText(PERTable, name, text);
}

char vortangetCharacterReferenceTable(long code)
{
  return (char)(code & 0xFF);
}

vortanMAP *vortannewEAIDTable(void)
{
  return vortannewMap();
}

void vortanclearEAIDTable(void)
{
  vortanclearReferenceTable(EAITable);
}

void vortanputEAIDTable(vortanELEMENT *element, const char *key)
{
  putNew(EAITable, key, element);
}
