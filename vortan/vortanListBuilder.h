/* Building a List by appending, in constant time per element.
 *
 *   vortanListBuilder b;
 *   if (vortanstartListBuilder(&b, NULL) < 0) ...;       // a new List
 *   while (...) if (vortanappendListBuilder(&b, item) < 0) ...;
 *   vortanLIST *list = vortanfinishListBuilder(&b);
 *
 * The builder keeps the List's last Pair, so nothing else may change the
 * List between start and finish. It holds no memory of its own: there is
 * nothing to free, and an abandoned builder leaves a valid List. */
#ifndef VORTAN_LIST_BUILDER_H
#define VORTAN_LIST_BUILDER_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vortanListBuilder {
  vortanLIST *list;
  vortanPAIR *last; /* the Pair the next element hangs from */
} vortanListBuilder;

/* Starts appending to list, or to a new List when list is null. An
   existing List is walked once to its end (a dotted end is wrapped into a
   Pair, as vortanaddLast does). 0, or -1 after a report (a wrong list or no
   memory). */
int vortanstartListBuilder(vortanListBuilder *builder, vortanLIST *list);
/* Appends element at the end. 0, or -1 after a report when memory runs out;
   the element then stays with the caller. */
int vortanappendListBuilder(vortanListBuilder *builder, void *element);
/* The List built; the builder must not be used again before a new start. */
vortanLIST *vortanfinishListBuilder(vortanListBuilder *builder);

#ifdef __cplusplus
}
#endif

#endif
