#include "vortanMessages.h"

#include <stdio.h>

#include "vortanErrors.h"

int vortanUserOptions = 0;

void vortanvalidityWarning(const char *text)
{
  fprintf(stderr, "Validity Warning: %s\n", text ? text : "");
}

void vortanwellFormedConstraintFailure(const char *text)
{
  if (vortanUserOptions & vortanOptionWellFormedness) vortanfatalError(text);
}

void vortancompatibilityError(const char *text)
{
  fprintf(stderr, "Compatibility Error: %s\n", text ? text : "");
}
