#include "vortanMessages.h"

#include "vortanErrors.h"

int vortanUserOptions = 0;

void vortanvalidityWarning(const char *text)
{
  vortanwriteReport("Validity Warning: ", text ? text : "", "\n", (char *)NULL);
}

void vortanwellFormedConstraintFailure(const char *text)
{
  if (vortanUserOptions & vortanOptionWellFormedness) vortanfatalError(text);
}

void vortancompatibilityError(const char *text)
{
  vortanwriteReport("Compatibility Error: ", text ? text : "", "\n", (char *)NULL);
}
