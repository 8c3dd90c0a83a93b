/* Validation of a document's element tree against a validator structure.
 *
 * The validator structure's element types and the IDs met so far are
 * indexed by hash for the walk, so that validation time grows linearly
 * with the document; the constraint lists are filled as the interface
 * promises. */
#include "vortanValidator.h"

#include <string.h>

#include "vortanConstraints.h"
#include "vortanDTDRegistry.h"
#include "vortanElement.h"
#include "vortanErrors.h"
#include "vortanFormat.h"
#include "vortanList.h"
#include "vortanListBuilder.h"
#include "vortanMessages.h"
#include "vortanNameForm.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanReferenceTable.h"
#include "vortanString.h"
#include "vortanTextIndex.h"
#include "vortanTokens.h"
#include "vortanValidation.h"

/* The parser's last Document; a weak reference, so that the toolkit links
   without the parser and then sees no Document. */
extern vortanDOCUMENT *vortanast __attribute__((weak));

/* What an attribute value is checked in: the element, named for messages. */
typedef struct Holder {
  vortanValidation *validation;
  const vortanELEMENT *element;
  const char *name;
} Holder;

static const vortanWord *fieldsOf(const void *record)
{
  return ((const vortanRecord *)record)->field;
}

static const char *orEmpty(const char *text)
{
  return text ? text : "";
}

static const char *elementName(const void *element)
{
  return orEmpty(vortantextOf(fieldsOf(element)[0].p));
}

/* The List of an Element's content, or null. */
static const vortanLIST *contentItems(const void *element)
{
  const void *content = fieldsOf(element)[2].p;
  if (!vortanhasTag(content, vortanTagContent)) return NULL;
  const vortanLIST *items = fieldsOf(content)[0].p;
  return vortanhasTag(items, vortanTagList) ? items : NULL;
}

static const vortanPAIR *firstLink(const vortanLIST *list)
{
  return vortanhasTag(list, vortanTagList) ? list->sentinel->tail : NULL;
}

/* --- IDs and ID references --------------------------------------------- */

static void recordId(Holder *holder, const char *value)
{
  vortanValidation *v = holder->validation;
  if (vortanfindTextIndex(&v->ids, value)) {
    vortanvalidityFinding("ID '%s' from element '%s' already defined.", value, holder->name);
    return;
  }
  vortanSTRING *string = vortancopyString(value);
  if (string && vortanappendListBuilder(&v->idList, string) < 0) vortandelete(string);
  else if (string) vortanaddTextIndex(&v->ids, vortantextOf(string), NULL);
}

static void recordReference(Holder *holder, const char *value)
{
  vortanSTRING *string = vortancopyString(value);
  vortanELEMENT *element = string ? vortancopyElementHead(holder->element) : NULL;
  vortanPAIR *reference = element ? vortannewPair(string, element) : NULL;
  if (reference && vortanappendListBuilder(&holder->validation->referenceList, reference) == 0)
    return;
  if (reference) vortandelete(reference);
  else {
    vortandelete(string);
    vortandelete(element);
  }
}

/* --- attribute values --------------------------------------------------- */

static int checkReferenceToken(const char *token, void *context)
{
  Holder *holder = context;
  if (!vortannameForm(token))
    vortanvalidityFinding("IDREFS '%s' from element '%s' is not in Names form.", token, holder->name);
  recordReference(holder, token);
  return 1;
}

static void checkUnparsedEntity(const Holder *holder, const char *kind, const char *value)
{
  vortanSTRING key = vortanborrowString(value);
  if (!vortanhasTag(UETable, vortanTagMap) || !vortanfindEntry(UETable, &key))
    vortanvalidityFinding("No unparsed entity referenced by %s '%s' from element '%s'.", kind,
                          value, holder->name);
}

static int checkEntityToken(const char *token, void *context)
{
  Holder *holder = context;
  if (!vortannameForm(token))
    vortanvalidityFinding("ENTITIES '%s' from element '%s' is not in Names form.", token,
                          holder->name);
  checkUnparsedEntity(holder, "ENTITIES", token);
  return 1;
}

static int checkNmToken(const char *token, void *context)
{
  Holder *holder = context;
  if (!vortanNmTokenForm(token))
    vortanvalidityFinding("NMTOKENS '%s' from element '%s' is not in NmTokens form.", token,
                          holder->name);
  return 1;
}

/* A finding when value has not the Name form. */
static void checkName(const Holder *holder, const char *kind, const char *value)
{
  if (!vortannameForm(value))
    vortanvalidityFinding("%s '%s' from element '%s' is not in Name form.", kind, value,
                          holder->name);
}

static void checkValue(Holder *holder, const void *type, const char *value)
{
  switch (vortantagOf(type)) {
  case vortanTagCData: break;
  case vortanTagId:
    checkName(holder, "ID", value);
    recordId(holder, value);
    break;
  case vortanTagIdRef:
    checkName(holder, "IDREF", value);
    recordReference(holder, value);
    break;
  case vortanTagIdRefs: vortanforEachToken(value, checkReferenceToken, holder); break;
  case vortanTagEntity:
    checkName(holder, "ENTITY", value);
    checkUnparsedEntity(holder, "ENTITY", value);
    break;
  case vortanTagEntities: vortanforEachToken(value, checkEntityToken, holder); break;
  case vortanTagNmToken:
    if (!vortanNmTokenForm(value))
      vortanvalidityFinding("NMTOKEN '%s' from element '%s' is not in NmToken form.", value,
                            holder->name);
    break;
  case vortanTagNmTokens: vortanforEachToken(value, checkNmToken, holder); break;
  case vortanTagNotationType:
    if (!vortanlistHoldsText(fieldsOf(type)[0].p, value))
      vortanvalidityFinding("NOTATION '%s' from element '%s' does not match any declared notation.",
                            value, holder->name);
    break;
  case vortanTagEnumeration:
    if (!vortanlistHoldsText(fieldsOf(type)[0].p, value))
      vortanvalidityFinding(
        "ENUMERATION '%s' from element '%s' does not match any declared name token.", value,
        holder->name);
    break;
  default:
    vortaninternalError("Invalid attribute value type structure.", vortansourceName(__FILE__),
                        __LINE__);
  }
}

/* --- attributes of one element ------------------------------------------ */

/* The declaration Pair(type, default) of an attribute, or null. */
static const vortanPAIR *declarationOf(const vortanMAP *attributes, const void *name)
{
  if (!vortanhasTag(attributes, vortanTagMap)) return NULL;
  const vortanMAPENTRY *entry = vortanfindEntry(attributes, name);
  return entry && vortanisPair(entry->value) ? entry->value : NULL;
}

static int hasAttributeNamed(const void *element, const void *name)
{
  for (const vortanPAIR *link = firstLink(fieldsOf(element)[1].p); vortanisPair(link); link = link->tail)
    if (vortanhasTag(link->head, vortanTagAttribute) && vortanequals(fieldsOf(link->head)[0].p, name))
      return 1;
  return 0;
}

/* The name of the first declared attribute of type ID, or null. */
static const char *idAttributeName(const vortanMAP *attributes)
{
  if (!vortanhasTag(attributes, vortanTagMap)) return NULL;
  for (const vortanPAIR *link = firstLink(attributes->list); vortanisPair(link); link = link->tail) {
    const vortanMAPENTRY *entry = link->head;
    if (vortanisPair(entry->value) && vortanhasTag(((const vortanPAIR *)entry->value)->head, vortanTagId))
      return vortantextOf(entry->key);
  }
  return NULL;
}

static void checkRequired(const Holder *holder, const vortanMAP *attributes)
{
  if (!vortanhasTag(attributes, vortanTagMap)) return;
  for (const vortanPAIR *link = firstLink(attributes->list); vortanisPair(link); link = link->tail) {
    const vortanMAPENTRY *entry = link->head;
    const vortanPAIR *declaration = entry->value;
    if (vortanisPair(declaration) && vortanhasTag(declaration->tail, vortanTagRequired) &&
        !hasAttributeNamed(holder->element, entry->key))
      vortanvalidityFinding("Attribute '%s' should be defined for element '%s'.",
                            orEmpty(vortantextOf(entry->key)), holder->name);
  }
}

static void validateAttributes(Holder *holder, const vortanMAP *attributes)
{
  const char *idName = idAttributeName(attributes);
  vortanclearEAIDTable();
  int ids = 0, notations = 0;
  for (const vortanPAIR *link = firstLink(fieldsOf(holder->element)[1].p); vortanisPair(link);
       link = link->tail) {
    if (!vortanhasTag(link->head, vortanTagAttribute)) {
      vortaninternalError("Invalid attribute in attribute list.", vortansourceName(__FILE__),
                          __LINE__);
      continue;
    }
    const vortanWord *attribute = fieldsOf(link->head);
    const vortanPAIR *declaration = declarationOf(attributes, attribute[0].p);
    if (!declaration) {
      vortanreportf(vortanfatalError, "The attribute '%s' is not present in element '%s' dtd",
                    orEmpty(vortantextOf(attribute[0].p)), holder->name);
      continue;
    }
    checkValue(holder, declaration->head, orEmpty(vortantextOf(attribute[1].p)));
    ids += vortanhasTag(declaration->head, vortanTagId);
    notations += vortanhasTag(declaration->head, vortanTagNotationType);
  }
  checkRequired(holder, attributes);
  if (ids > 1) vortanreportf(vortanvalidityWarning, "The element '%s' has more than one ID.", holder->name);
  if (notations > 1)
    vortanreportf(vortanvalidityWarning, "Element '%s'has more than one notation attribute specified",
                  holder->name);
  if (idName) vortanputEAIDTable(vortancopyElementHead(holder->element), idName);
}

/* --- content of one element --------------------------------------------- */

static int isBlankText(const char *text)
{
  for (; text && *text; ++text)
    if (!strchr(" \r\n\t", *text)) return 0;
  return 1;
}

/* Comments and blank text do not count against a content model. */
static int isSignificant(const void *item)
{
  if (vortanhasTag(item, vortanTagComment)) return 0;
  if (vortanhasTag(item, vortanTagCharData)) return !isBlankText(vortantextOf(fieldsOf(item)[0].p));
  return 1;
}

/* The significant items of an element's content, in a List that does not
   own them (delete it light); null when memory runs out. */
static vortanLIST *significantItems(const void *element)
{
  vortanListBuilder items;
  if (vortanstartListBuilder(&items, NULL) < 0) return NULL;
  for (const vortanPAIR *link = firstLink(contentItems(element)); vortanisPair(link); link = link->tail)
    if (isSignificant(link->head) && vortanappendListBuilder(&items, link->head) < 0) {
      vortandeletelight(vortanfinishListBuilder(&items), 1);
      return NULL;
    }
  return vortanfinishListBuilder(&items);
}

static int hasSignificantItem(const void *element)
{
  for (const vortanPAIR *link = firstLink(contentItems(element)); vortanisPair(link); link = link->tail)
    if (isSignificant(link->head)) return 1;
  return 0;
}

/* 1 when the whole List of items matches the model. */
static int matchesModel(vortanLIST *items, const void *model)
{
  vortanITERATOR start = {vortanTagListIterator, items->sentinel, NULL};
  vortanITERATOR *end = vortanvalidityChildren(&start, model);
  int matches = end && !vortanhasNext(end);
  vortandelete(end);
  return matches;
}

static void reportNotationsOnEmpty(const Holder *holder, const vortanMAP *attributes)
{
  for (const vortanPAIR *link = firstLink(fieldsOf(holder->element)[1].p); vortanisPair(link);
       link = link->tail) {
    if (!vortanhasTag(link->head, vortanTagAttribute)) continue;
    const vortanPAIR *declaration = declarationOf(attributes, fieldsOf(link->head)[0].p);
    if (declaration && vortanhasTag(declaration->head, vortanTagNotationType))
      vortanreportf(vortanvalidityWarning, "Element '%s' is empty and containt a notation attribute",
                    holder->name);
  }
}

static void validateContent(const Holder *holder, const void *model, const vortanMAP *attributes)
{
  switch (vortantagOf(model)) {
  case vortanTagEmpty:
    if (hasSignificantItem(holder->element))
      vortanvalidityFinding("Element '%s' is not EMPTY as specified.", holder->name);
    reportNotationsOnEmpty(holder, attributes);
    break;
  case vortanTagAny: break;
  case vortanTagChildrenOpt:
  case vortanTagChildrenStar:
  case vortanTagChildrenPlus:
  case vortanTagChildrenAlt:
  case vortanTagChildrenSeq: {
    vortanLIST *items = significantItems(holder->element);
    if (items && !matchesModel(items, model))
      vortanvalidityFinding("Content of element '%s' does not match the content model.", holder->name);
    vortandeletelight(items, 1);
    break;
  }
  default: vortanfatalError("Invalid dtd in vortanvalidityElementValid.");
  }
}

/* --- the tree ------------------------------------------------------------ */

const vortanPAIR *vortanvalidateElementHead(vortanValidation *v, const vortanELEMENT *element)
{
  Holder holder = {v, element, elementName(element)};
  void **found = vortanfindTextIndex(&v->elementTypes, holder.name);
  if (!found) {
    vortanreportf(vortanfatalError, "The element '%s' is not present in the dtd", holder.name);
    return NULL;
  }
  const vortanPAIR *declaration = *found;
  validateAttributes(&holder, declaration->tail);
  return declaration;
}

void vortanvalidateElementContent(const vortanELEMENT *element, const vortanPAIR *declaration)
{
  Holder holder = {NULL, element, elementName(element)};
  validateContent(&holder, declaration->head, declaration->tail);
}

static void validateElement(vortanValidation *v, const vortanELEMENT *element)
{
  const vortanPAIR *declaration = vortanvalidateElementHead(v, element);
  if (!declaration) return;
  vortanvalidateElementContent(element, declaration);
  for (const vortanPAIR *link = firstLink(contentItems(element)); vortanisPair(link); link = link->tail)
    if (vortanhasTag(link->head, vortanTagElement)) validateElement(v, link->head);
}

/* Indexes the element types of a validator structure; -1 when memory runs
   out. The first entry of a name wins, as a Map lookup would find it. */
static int indexElementTypes(vortanTextIndex *index, const vortanMAP *validator)
{
  for (const vortanPAIR *link = firstLink(validator->list); vortanisPair(link); link = link->tail) {
    const vortanMAPENTRY *entry = link->head;
    const char *name = vortantextOf(entry->key);
    if (name && vortanisPair(entry->value) && vortanaddTextIndex(index, name, entry->value) < 0)
      return -1;
  }
  return 0;
}

int vortanstartValidation(vortanValidation *v, const vortanMAP *validator)
{
  vortaninitTextIndex(&v->elementTypes);
  vortaninitTextIndex(&v->ids);
  if (vortanhasTag(validator, vortanTagMap) && indexElementTypes(&v->elementTypes, validator) == 0 &&
      vortanstartListBuilder(&v->idList, vortanDeclaredIDs) == 0 &&
      vortanstartListBuilder(&v->referenceList, vortanIDReferences) == 0)
    return 0;
  vortanendValidation(v);
  return -1;
}

void vortanendValidation(vortanValidation *v)
{
  vortanfreeTextIndex(&v->elementTypes);
  vortanfreeTextIndex(&v->ids);
}

/* Validates the tree rooted at element against a validator structure;
   nothing without one. */
static void validateTree(const vortanELEMENT *element, const vortanMAP *validator)
{
  vortanValidation v;
  if (vortanstartValidation(&v, validator) < 0) return;
  if (vortanhasTag(element, vortanTagElement)) validateElement(&v, element);
  vortanendValidation(&v);
}

void vortanvalidityIDReferences(void)
{
  vortanTextIndex ids;
  vortaninitTextIndex(&ids);
  for (const vortanPAIR *link = firstLink(vortanDeclaredIDs); vortanisPair(link); link = link->tail)
    if (vortantextOf(link->head) && vortanaddTextIndex(&ids, vortantextOf(link->head), NULL) < 0) {
      vortanfreeTextIndex(&ids);
      return;
    }
  for (const vortanPAIR *link = firstLink(vortanIDReferences); vortanisPair(link); link = link->tail) {
    const vortanPAIR *reference = link->head;
    if (!vortanisPair(reference)) continue;
    const char *value = orEmpty(vortantextOf(reference->head));
    if (!vortanfindTextIndex(&ids, value))
      vortanvalidityFinding("No referenced for IDREF '%s' from element '%s'.", value,
                            vortanhasTag(reference->tail, vortanTagElement) ? elementName(reference->tail) : "");
  }
  vortanfreeTextIndex(&ids);
}

int vortancheckRootElementType(const vortanPROLOG *prolog, const vortanELEMENT *root)
{
  const void *doctype = vortanhasTag(prolog, vortanTagProlog) ? fieldsOf(prolog)[2].p : NULL;
  if (!vortanhasTag(doctype, vortanTagDocTypeDecl)) return 1;
  const void *rootName = vortanhasTag(root, vortanTagElement) ? fieldsOf(root)[0].p : NULL;
  if (vortanequals(fieldsOf(doctype)[0].p, rootName)) return 1;
  vortanvalidityFinding("%s", "The root element does not have the same name as the document name \n");
  return 0;
}

int vortanvalidityRootElementType(const vortanDOCUMENT *document)
{
  if (!vortanhasTag(document, vortanTagDocument)) {
    VORTAN_REPORT_MISUSE();
    return 0;
  }
  return vortancheckRootElementType(fieldsOf(document)[0].p, fieldsOf(document)[1].p);
}

vortanMAP *vortanvalidatorOfRoot(const vortanELEMENT *root)
{
  if (!vortanhasTag(root, vortanTagElement)) return NULL;
  vortanSTRING versionKey = vortanborrowString("version");
  const char *version = vortantextOf(vortangetElementAttributeByName(root, &versionKey));
  return vortangetValidatorStructure(elementName(root), version);
}

void vortanspecializedValidatorElement(const vortanELEMENT *element, const vortanMAP *validator)
{
  vortanconstraintsInit();
  validateTree(element, validator);
  vortanvalidityIDReferences();
}

void vortanspecializedValidator(const vortanELEMENT *element, const vortanMAP *validator)
{
  vortanconstraintsInit();
  validateTree(element, validator);
  if (&vortanast && vortanast) vortanvalidityRootElementType(vortanast);
  vortanvalidityIDReferences();
}

void vortanvalidate(const vortanDOCUMENT *document)
{
  if (!vortanhasTag(document, vortanTagDocument)) {
    VORTAN_REPORT_MISUSE();
    return;
  }
  vortanconstraintsInit();
  vortanvalidityRootElementType(document);
  const vortanELEMENT *root = fieldsOf(document)[1].p;
  if (vortanhasTag(root, vortanTagElement)) {
    vortanMAP *validator = vortanvalidatorOfRoot(root);
    validateTree(root, validator);
    vortandelete(validator);
  }
  vortanvalidityIDReferences();
}
