#include "vortanDTDRegistry.h"

#include <stdio.h>

#include "vortanConstraints.h"
#include "vortanList.h"
#include "vortanMap.h"
#include "vortanObject.h"
#include "vortanPrint.h"
#include "vortanRecord.h"
#include "vortanReferenceTable.h"

vortanMAP *staticDTDTable = NULL;
vortanMAP *validatorStructure = NULL;
vortanMAP *GERTable = NULL;
vortanMAP *PERTable = NULL;
vortanMAP *EAITable = NULL;
vortanMAP *UETable = NULL;

static void makeIfMissing(vortanMAP **table, vortanMAP *(*make)(void))
{
  if (!*table) *table = make();
}

void vortaninit(void)
{
  makeIfMissing(&staticDTDTable, vortannewStaticDTDTable);
  makeIfMissing(&validatorStructure, vortannewMap);
  makeIfMissing(&GERTable, vortannewGEReferenceTable);
  makeIfMissing(&PERTable, vortannewPEReferenceTable);
  makeIfMissing(&EAITable, vortannewEAIDTable);
  makeIfMissing(&UETable, vortannewMap);
  vortanconstraintsMake();
}

static void deleteTable(vortanMAP **table)
{
  vortandelete(*table);
  *table = NULL;
}

void vortandestroy(void)
{
  deleteTable(&staticDTDTable);
  deleteTable(&validatorStructure);
  deleteTable(&GERTable);
  deleteTable(&PERTable);
  deleteTable(&EAITable);
  deleteTable(&UETable);
  vortanconstraintsDestroy();
}

vortanMAP *vortannewStaticDTDTable(void)
{
  return vortannewMap();
}

static void warnReplaced(const vortanSTRING *name, const vortanSTRING *version)
{
  fputs("Warning: Static DTD table already contains an entry for ", stderr);
  vortanprint(stderr, name);
  fputs(" version ", stderr);
  vortanprint(stderr, version);
  fputs(".\n", stderr);
}

/* The version Map of name, made and registered when name is new; null
   after a report. */
static vortanMAP *versionsOf(const vortanSTRING *name)
{
  vortanMAPENTRY *found = vortanfindEntry(staticDTDTable, name);
  if (found) return vortanhasTag(found->value, vortanTagMap) ? found->value : NULL;
  vortanMAP *versions = vortannewMap();
  if (versions && vortaninsertEntry(staticDTDTable, name, versions) < 0) {
    vortandelete(versions);
    return NULL;
  }
  return versions;
}

void vortanputStaticDTDTable(vortanSTRING *name, vortanSTRING *version, vortanMAP *validator,
                             vortanMAP *geTable, vortanMAP *ueMap)
{
  vortaninit();
  vortanPAIR *tables = NULL, *entry = NULL;
  vortanMAP *versions = NULL;
  if (!vortanhasTag(name, vortanTagString) || !vortanhasTag(version, vortanTagString))
    VORTAN_REPORT_MISUSE();
  else if ((tables = vortannewPair(geTable, ueMap)) && (entry = vortannewPair(validator, tables)))
    versions = staticDTDTable ? versionsOf(name) : NULL;

  vortanMAPENTRY *old = versions ? vortanfindEntry(versions, version) : NULL;
  if (old) {
    warnReplaced(name, version);
    vortandelete(old->value);
    old->value = entry;
  } else if (!versions || vortaninsertEntry(versions, version, entry) < 0) {
    if (entry) vortandelete(entry);
    else {
      vortanfreeRecord(tables);
      vortandelete(validator);
      vortandelete(geTable);
      vortandelete(ueMap);
    }
  }
  vortandelete(name);
  vortandelete(version);
}

vortanMAP *vortangetStaticDTD(const vortanSTRING *name)
{
  if (!vortanhasTag(staticDTDTable, vortanTagMap) || !name) return NULL;
  vortanMAPENTRY *entry = vortanfindEntry(staticDTDTable, name);
  return entry && vortanhasTag(entry->value, vortanTagMap) ? entry->value : NULL;
}

vortanMAP *vortangetValidatorStructure(const char *name, const char *version)
{
  if (!name || !version) return NULL;
  vortanSTRING nameKey = vortanborrowString(name), versionKey = vortanborrowString(version);
  const vortanMAP *versions = vortangetStaticDTD(&nameKey);
  const vortanMAPENTRY *found = versions ? vortanfindEntry(versions, &versionKey) : NULL;
  const vortanPAIR *entry = found ? found->value : NULL;
  return vortanisPair(entry) ? vortanclone(entry->head) : NULL;
}

/* *table becomes a copy of source, unless memory runs out. */
static void replaceWithCopy(vortanMAP **table, const void *source)
{
  vortanMAP *copy = vortanclone(source);
  if (source && !copy) return;
  vortandelete(*table);
  *table = copy;
}

void vortansetReferenceTables(const vortanPAIR *entry)
{
  if (!vortanisPair(entry)) return;
  replaceWithCopy(&validatorStructure, entry->head);
  const vortanPAIR *tables = entry->tail;
  if (!vortanisPair(tables)) return;
  replaceWithCopy(&GERTable, tables->head);
  replaceWithCopy(&UETable, tables->tail);
}
