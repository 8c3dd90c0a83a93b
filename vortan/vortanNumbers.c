/* strtof_l is a GNU extension: its declaration needs _GNU_SOURCE. */
#define _GNU_SOURCE
#include "vortanNumbers.h"

#include <locale.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

static locale_t cLocale;
static pthread_once_t cLocaleMade = PTHREAD_ONCE_INIT;

static void makeCLocale(void)
{
  cLocale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
}

/* The C locale; (locale_t)0 when it could not be made, the numbers then
   following the program's locale. */
static locale_t theCLocale(void)
{
  pthread_once(&cLocaleMade, makeCLocale);
  return cLocale;
}

float vortanreadFloat(const char *text, char **end)
{
  locale_t c = theCLocale();
  return c ? strtof_l(text, end, c) : strtof(text, end);
}

int vortanformatFixed(char *text, size_t size, double value)
{
  /* There is no snprintf_l: the thread takes the C locale for the call. */
  locale_t c = theCLocale();
  locale_t previous = c ? uselocale(c) : (locale_t)0;
  int length = snprintf(text, size, "%f", value);
  if (c) uselocale(previous);
  return length;
}
