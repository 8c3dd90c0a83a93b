#include "vortanListBuilder.h"

#include "vortanList.h"
#include "vortanRecord.h"

int vortanstartListBuilder(vortanListBuilder *builder, vortanLIST *list)
{
  builder->list = NULL;
  builder->last = NULL;
  if (!list) {
    list = vortannewList();
    if (!list) return -1;
  } else if (!vortanhasTag(list, vortanTagList)) {
    VORTAN_REPORT_MISUSE();
    return -1;
  }
  vortanPAIR *last = list->sentinel;
  while (last->tail) {
    if (!vortanisPair(last->tail)) {
      vortanPAIR *wrapped = vortannewPair(last->tail, NULL);
      if (!wrapped) return -1;
      last->tail = wrapped;
    }
    last = last->tail;
  }
  builder->list = list;
  builder->last = last;
  return 0;
}

int vortanappendListBuilder(vortanListBuilder *builder, void *element)
{
  if (!builder->last) {
    VORTAN_REPORT_MISUSE();
    return -1;
  }
  vortanPAIR *pair = vortannewPair(element, NULL);
  if (!pair) return -1;
  builder->last->tail = pair;
  builder->last = pair;
  return 0;
}

vortanLIST *vortanfinishListBuilder(vortanListBuilder *builder)
{
  vortanLIST *list = builder->list;
  builder->list = NULL;
  builder->last = NULL;
  return list;
}
