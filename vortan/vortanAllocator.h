/* The allocation behind every record and text of the toolkit. */
#ifndef VORTAN_ALLOCATOR_H
#define VORTAN_ALLOCATOR_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
#define VORTAN_THREAD_LOCAL thread_local
#else
#define VORTAN_THREAD_LOCAL _Thread_local
#endif

/* malloc unless replaced: tests put a failing allocator here to exhaust
   memory at a chosen allocation, and a read watches its own allocations
   through it. Each thread has its own, so that one thread's watch never
   sees another's allocations. Every block is released with free. */
extern VORTAN_THREAD_LOCAL void *(*vortanAllocator)(size_t size);

#ifdef __cplusplus
}
#endif

#endif
