#include "vortanErrors.h"

#include <stdio.h>

void vortaninternalError(const char *message, const char *file, int line)
{
  fprintf(stderr, ":%s:%d: %s\n", file ? file : "", line, message ? message : "");
}

void vortanfatalError(const char *message)
{
  fprintf(stderr, "%s\n", message ? message : "");
}
