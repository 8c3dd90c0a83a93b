#include "vortanNameForm.h"

static int restAreNameChars(const unsigned char *c)
{
  for (; *c; ++c)
    if (!vortanisNameChar(*c)) return 0;
  return 1;
}

int vortannameForm(const char *text)
{
  const unsigned char *c = (const unsigned char *)text;
  return c && vortanisNameStartChar(*c) && restAreNameChars(c + 1);
}

int vortanNmTokenForm(const char *text)
{
  const unsigned char *c = (const unsigned char *)text;
  return c && *c && restAreNameChars(c);
}
