#include "vortanDTDRegistry.h"

#include <stddef.h>

vortanMAP *EAITable = NULL;
