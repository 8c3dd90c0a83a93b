#include "vortanConstraints.h"

#include <string.h>

#include "vortanFormat.h"
#include "vortanList.h"
#include "vortanMessages.h"
#include "vortanNameForm.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanTokens.h"

vortanLIST *vortanDeclaredIDs = NULL;
vortanLIST *vortanIDReferences = NULL;
vortanLIST *vortanDeclaredNotations = NULL;
vortanLIST *vortanDeclaredElementTypes = NULL;

static vortanLIST **const constraintLists[] = {&vortanDeclaredIDs, &vortanIDReferences,
                                              &vortanDeclaredNotations, &vortanDeclaredElementTypes};
enum { listCount = sizeof constraintLists / sizeof *constraintLists };

void vortanconstraintsMake(void)
{
  for (int i = 0; i < listCount; ++i)
    if (!*constraintLists[i]) *constraintLists[i] = vortannewList();
}

void vortanconstraintsInit(void)
{
  for (int i = 0; i < listCount; ++i) vortanclear(*constraintLists[i]);
  vortanconstraintsMake();
}

void vortanconstraintsDestroy(void)
{
  for (int i = 0; i < listCount; ++i) {
    vortandelete(*constraintLists[i]);
    *constraintLists[i] = NULL;
  }
}

/* Records name in a constraint list (made when missing); 1 when it was not
   there before. */
static int recordName(vortanLIST **list, const char *name)
{
  vortanconstraintsMake();
  int isNew = !vortanlistHoldsText(*list, name);
  vortanappendTextCopy(*list, name);
  return isNew;
}

int vortanvalidityUniqueNotationName(const char *name)
{
  if (!name) return 1;
  if (recordName(&vortanDeclaredNotations, name)) return 1;
  vortanvalidityFinding("The notation '%s' is declared more than once", name);
  return 0;
}

int vortanvalidityUniqueElementTypeDeclaration(const char *name)
{
  if (!name) return 1;
  vortanconstraintsMake();
  if (vortanlistHoldsText(vortanDeclaredElementTypes, name)) {
    vortanreportf(vortanvalidityWarning, "The element '%s' is declared more than once", name);
    return 0;
  }
  vortanappendTextCopy(vortanDeclaredElementTypes, name);
  return 1;
}

int vortanvalidityIDAttributeDefault(const void *type, const void *defaultDecl, const char *name)
{
  if (!(vortanUserOptions & vortanOptionValidity) || !vortanhasTag(type, vortanTagId) || defaultDecl)
    return 1;
  vortanvalidityFinding("The attribute '%s' must have a declared default of #IMPLIED or #REQUIRED ",
                        name ? name : "");
  return 0;
}

static int nameToken(const char *token, void *unused)
{
  (void)unused;
  return vortannameForm(token);
}

static int nmToken(const char *token, void *unused)
{
  (void)unused;
  return vortanNmTokenForm(token);
}

/* 1 when value has the lexical form that type asks for. */
static int fitsType(const void *type, const char *value)
{
  switch (vortantagOf(type)) {
  case vortanTagCData: return 1;
  case vortanTagId:
  case vortanTagIdRef:
  case vortanTagEntity: return vortannameForm(value);
  case vortanTagIdRefs:
  case vortanTagEntities: return vortanforEachToken(value, nameToken, NULL) == 1;
  case vortanTagNmToken: return vortanNmTokenForm(value);
  case vortanTagNmTokens: return vortanforEachToken(value, nmToken, NULL) == 1;
  case vortanTagNotationType: return vortanlistHoldsText(vortanDeclaredNotations, value);
  case vortanTagEnumeration:
    return vortanlistHoldsText(((const vortanRecord *)type)->field[0].p, value);
  default:
    vortaninternalError("Invalid attribute type structure.", vortansourceName(__FILE__), __LINE__);
    return 1;
  }
}

int vortanvalidityAttributeDefaultLegal(const vortanATTDEF *attdef)
{
  if (!vortanhasTag(attdef, vortanTagAttDef)) {
    VORTAN_REPORT_MISUSE();
    return 1;
  }
  const vortanWord *fields = ((const vortanRecord *)attdef)->field;
  const void *defaultDecl = fields[2].p;
  if (!vortanhasTag(defaultDecl, vortanTagFixed) && !vortanhasTag(defaultDecl, vortanTagAttValue))
    return 1;
  const char *value = vortantextOf(((const vortanRecord *)defaultDecl)->field[0].p);
  if (fitsType(fields[1].p, value ? value : "")) return 1;
  const char *name = vortantextOf(fields[0].p);
  vortanreportf(vortanvalidityWarning,
                "The declared default value of the attribute'%s' doesn't meet the lexical "
                "constraints of its type",
                name ? name : "");
  return 0;
}

int vortanvalidityProperDeclarationPENesting(const vortanPEDECL *pedecl)
{
  if (!vortanhasTag(pedecl, vortanTagPEDecl)) {
    VORTAN_REPORT_MISUSE();
    return 1;
  }
  const vortanWord *fields = ((const vortanRecord *)pedecl)->field;
  if (!vortanhasTag(fields[1].p, vortanTagEntityValue)) return 1;
  const char *value = vortantextOf(((const vortanRecord *)fields[1].p)->field[0].p);
  long depth = 0;
  for (const char *c = value ? value : ""; *c; ++c) depth += (*c == '<') - (*c == '>');
  if (depth == 0) return 1;
  const char *name = vortantextOf(fields[0].p);
  vortanreportf(vortanvalidityWarning,
                "The entity '%s' is not properly nested with markup declaration", name ? name : "");
  return 0;
}

int vortanvalidityFixedAttributeDefault(const char *value, const vortanFIXED *fixed,
                                        const char *element)
{
  if (!vortanhasTag(fixed, vortanTagFixed)) {
    VORTAN_REPORT_MISUSE();
    return 1;
  }
  const char *expected = vortantextOf(((const vortanRecord *)fixed)->field[0].p);
  if (!expected) expected = "";
  if (!value) value = "";
  if (strcmp(value, expected) == 0) return 1;
  vortanvalidityFinding("Fixed attribute '%s' from element '%s' does not match it's default value '%s'.",
                        value, element ? element : "", expected);
  return 0;
}

/* The constraints this toolkit does not test. */
#define HOLDS_ALWAYS(check) \
  int check(const char *name) { return (void)name, 1; }
#define CHECKS_NOTHING(check) \
  void check(const void *record) { (void)record; }
HOLDS_ALWAYS(vortanvalidityNotationDeclared)
HOLDS_ALWAYS(vortanvalidityStandaloneDocumentDeclaration)
HOLDS_ALWAYS(vortanvalidityEntityDeclared)
CHECKS_NOTHING(vortanvalidityProperGroupPENesting)
CHECKS_NOTHING(vortanvalidityNoDuplicateTypes)
CHECKS_NOTHING(vortanvalidatePITarget)
CHECKS_NOTHING(vortanvalidateCharData)

int vortanvalidityLegalCharacter(int c)
{
  return c;
}
