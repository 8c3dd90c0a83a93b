/* The allocation behind every record and text of the toolkit. */
#ifndef VORTAN_ALLOCATOR_H
#define VORTAN_ALLOCATOR_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* malloc unless replaced: tests put a failing allocator here to exhaust
   memory at a chosen allocation. Every block is released with free. */
extern void *(*vortanAllocator)(size_t size);

#ifdef __cplusplus
}
#endif

#endif
