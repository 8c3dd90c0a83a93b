#include "vortanTokens.h"

#include <stdlib.h>
#include <string.h>

#include "vortanListBuilder.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanString.h"

static int isBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int vortanforEachToken(const char *value, int (*visit)(const char *token, void *context),
                       void *context)
{
  char *copy = VORTAN_COPY_TEXT(value ? value : "");
  if (!copy) return -1;
  int result = 1;
  for (char *c = copy; *c && result;) {
    while (isBlank(*c)) ++c;
    if (!*c) break;
    char *token = c;
    while (*c && !isBlank(*c)) ++c;
    if (*c) *c++ = '\0';
    result = visit(token, context) != 0;
  }
  free(copy);
  return result;
}

int vortanlistHoldsText(const vortanLIST *strings, const char *text)
{
  if (!vortanhasTag(strings, vortanTagList) || !text) return 0;
  for (const vortanPAIR *link = strings->sentinel->tail; vortanisPair(link); link = link->tail) {
    const char *held = vortantextOf(link->head);
    if (held && strcmp(held, text) == 0) return 1;
  }
  return 0;
}

int vortanappendTextCopy(vortanLIST *list, const char *text)
{
  vortanSTRING *string = vortancopyString(text);
  if (!string) return -1;
  vortanListBuilder builder;
  if (vortanstartListBuilder(&builder, list) < 0 || vortanappendListBuilder(&builder, string) < 0) {
    vortandelete(string);
    return -1;
  }
  return 0;
}
