/* The parser: recursive descent over the scanner's tokens with one token
 * of lookahead. Elements are read by a loop over an explicit stack of open
 * elements, particle groups by recursion; both stop at vortanMaxNesting.
 *
 * Every parsing function returns what it built, or null once the parse
 * must stop (P.result is then set), having freed its own pieces first. An
 * element is attached to its parent as soon as its start tag is read, so
 * that a failure inside it frees the whole tree through the root. */
#include "vortanParser.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "vortanConstraints.h"
#include "vortanDTDRegistry.h"
#include "vortanErrors.h"
#include "vortanFormat.h"
#include "vortanList.h"
#include "vortanMap.h"
#include "vortanMessages.h"
#include "vortanObject.h"
#include "vortanParseState.h"
#include "vortanRecord.h"
#include "vortanRecords.h"
#include "vortanReferenceTable.h"
#include "vortanScanner.h"
#include "vortanString.h"
#include "vortanValidatingParse.h"
#include "vortanWellFormedness.h"

vortanDOCUMENT *vortanast = NULL;

#define P (vortanparseState.parse)

/* --- handlers ---------------------------------------------------------- */

void vortansetCharDataContentHandler(vortanCharDataContentHandler handler)
{
  P.onCharData = handler;
}

void vortansetDocumentContentHandler(vortanStartDocumentContentHandler start,
                                     vortanEndDocumentContentHandler end)
{
  P.onStartDocument = start;
  P.onEndDocument = end;
}

void vortansetElementContentHandler(vortanStartElementContentHandler start,
                                    vortanEndElementContentHandler end)
{
  P.onStartElement = start;
  P.onEndElement = end;
}

void vortancallCharDataContentHandler(const char *text, int start, int length)
{
  if (P.onCharData) P.onCharData(text, start, length);
}

void vortancallStartDocumentContentHandler(void)
{
  if (P.onStartDocument) P.onStartDocument();
}

void vortancallEndDocumentContentHandler(void)
{
  if (P.onEndDocument) P.onEndDocument();
}

void vortancallStartElementContentHandler(void *unused1, void *unused2, const char *name,
                                          vortanLIST *attributes)
{
  if (P.onStartElement) P.onStartElement(unused1, unused2, name, attributes);
}

void vortancallEndElementContentHandler(void *unused1, void *unused2, const char *name)
{
  if (P.onEndElement) P.onEndElement(unused1, unused2, name);
}

/* --- small helpers ----------------------------------------------------- */

int vortanerror(const char *message)
{
  if (vortanUserOptions & vortanOptionParseErrors)
    vortanreportf(vortanfatalError, "vortan:%d:%s", vortanLineNo, message);
  return 1;
}

int isYesOrNo(const char *text)
{
  if (text && strcmp(text, "yes") == 0) return 1;
  if (text && strcmp(text, "no") == 0) return 0;
  return -1;
}

int isEmptyOrAny(const char *text)
{
  if (text && strcmp(text, "EMPTY") == 0) return 0;
  if (text && strcmp(text, "ANY") == 0) return 1;
  return -1;
}

/* The parse stops with result (the first reason stays). */
static void *stop(int result)
{
  if (!P.result) P.result = result;
  return NULL;
}

/* A token the grammar does not allow here; after a scanner failure the
   scanner has said why. */
static void *syntaxError(void)
{
  if (vortanparseState.scan.failure) return stop(2);
  if (!P.result) vortanerror("parse error");
  return stop(1);
}

static void *overflow(void)
{
  if (!P.result) vortanerror("parser stack overflow");
  return stop(2);
}

static void advance(void)
{
  free(P.value);
  P.value = NULL;
  if (P.result) {
    P.token = VORTAN_END;
    return;
  }
  P.token = vortanlex();
  if (P.token == VORTAN_CHARREF) P.character = vortanlval.character;
  else P.value = vortanlval.string;
}

static int is(int token)
{
  return P.token == token;
}

/* 1 when the lookahead is token; else a syntax error and 0. */
static int expect(int token)
{
  if (P.token == token) return 1;
  syntaxError();
  return 0;
}

/* The lookahead's text as a String (keywords have none of their own), the
   lookahead then moving on. */
static vortanSTRING *takeString(void)
{
  char *text = P.value ? P.value : VORTAN_COPY_TEXT(vortantext);
  P.value = NULL;
  vortanSTRING *string = text ? vortannewString(text) : NULL;
  if (!string) {
    free(text);
    stop(2);
  }
  advance();
  return string;
}

/* The lookahead must be token: its String, or null after a syntax error. */
static vortanSTRING *expectString(int token)
{
  return expect(token) ? takeString() : NULL;
}

/* Checks that a constructor gave a record: without one the pieces given
   to it are freed by the caller and the parse stops. */
static void *made(void *record)
{
  return record ? record : stop(2);
}

/* Appends item to the builder's List; on failure the item is deleted. */
static int append(vortanListBuilder *builder, void *item)
{
  if (vortanappendListBuilder(builder, item) == 0) return 1;
  vortandelete(item);
  stop(2);
  return 0;
}

static int startList(vortanListBuilder *builder)
{
  if (vortanstartListBuilder(builder, NULL) == 0) return 1;
  stop(2);
  return 0;
}

/* The List built; deleted (and null) when the parse has stopped. */
static vortanLIST *finishList(vortanListBuilder *builder)
{
  vortanLIST *list = vortanfinishListBuilder(builder);
  if (!P.result) return list;
  vortandelete(list);
  return NULL;
}

static int isLiteral(void)
{
  return is(VORTAN_PUBIDLITERAL) || is(VORTAN_SYSTEMLITERAL);
}

/* --- comments and processing instructions ------------------------------ */

static vortanCOMMENT *comment(void)
{
  advance();
  vortanSTRING *text = expectString(VORTAN_COMMENT_TEXT);
  vortanCOMMENT *record = text ? made(vortannewComment(text)) : NULL;
  if (!record) vortandelete(text);
  return record;
}

static vortanPI *pi(void)
{
  advance();
  vortanSTRING *target = expectString(VORTAN_NAME), *text = NULL;
  if (target && is(VORTAN_PI_TEXT)) text = takeString();
  vortanPI *record = NULL;
  if (target && !P.result && expect(VORTAN_CLOSE) && (record = made(vortannewPI(target, text))))
    advance();
  if (!record) {
    vortandelete(target);
    vortandelete(text);
  }
  return record;
}

/* Comments and PIs, as many as come. */
static vortanLIST *miscList(void)
{
  vortanListBuilder builder;
  if (!startList(&builder)) return NULL;
  while (!P.result && (is(VORTAN_COMMENT_OPEN) || is(VORTAN_PI_OPEN))) {
    void *item = is(VORTAN_PI_OPEN) ? (void *)pi() : (void *)comment();
    if (item) append(&builder, item);
  }
  return finishList(&builder);
}

/* --- the XML declaration ----------------------------------------------- */

/* VERSION EQ VERSIONNUM: the number. */
static vortanSTRING *versionInfo(void)
{
  if (!expect(VORTAN_VERSION)) return NULL;
  advance();
  if (!expect(VORTAN_EQ)) return NULL;
  advance();
  return expectString(VORTAN_VERSIONNUM);
}

/* ENCODING EQ NAME: the name. */
static vortanSTRING *encodingDecl(void)
{
  advance();
  if (!expect(VORTAN_EQ)) return NULL;
  advance();
  return expectString(VORTAN_NAME);
}

static int standaloneDecl(void)
{
  advance();
  if (!expect(VORTAN_EQ)) return -1;
  advance();
  if (!expect(VORTAN_NAME)) return -1;
  int standalone = isYesOrNo(P.value);
  if (standalone < 0) {
    vortanfatalError("\"yes\" or \"no\" required in standalone declaration.");
    stop(2);
  }
  advance();
  return standalone;
}

static vortanXMLDECL *xmlDecl(void)
{
  advance();
  vortanSTRING *version = versionInfo(), *encoding = NULL;
  int standalone = -1;
  if (version && is(VORTAN_ENCODING)) encoding = encodingDecl();
  if (version && !P.result && is(VORTAN_STANDALONE)) standalone = standaloneDecl();
  vortanXMLDECL *decl = NULL;
  if (version && !P.result && expect(VORTAN_CLOSE) &&
      (decl = made(vortannewXMLDecl(version, encoding, standalone))))
    advance();
  if (!decl) {
    vortandelete(version);
    vortandelete(encoding);
  }
  return decl;
}

/* A text declaration of an external subset: read and dropped. */
static void textDecl(void)
{
  advance();
  vortandelete(is(VORTAN_VERSION) ? versionInfo() : NULL);
  if (!P.result && expect(VORTAN_ENCODING)) vortandelete(encodingDecl());
  if (!P.result && expect(VORTAN_CLOSE)) advance();
}

/* --- external identifiers ---------------------------------------------- */

static vortanSTRING *literal(void)
{
  if (isLiteral()) return takeString();
  return syntaxError();
}

/* SYSTEM literal, or PUBLIC literal literal: a SystemExternalID or a
   PublicExternalID. With allowPublicID, PUBLIC and a single literal give a
   PublicID. */
static void *externalID(int allowPublicID)
{
  int system = is(VORTAN_SYSTEM);
  advance();
  vortanSTRING *first = system ? literal() : expectString(VORTAN_PUBIDLITERAL), *second = NULL;
  void *id = NULL;
  if (!first) return NULL;
  if (system) id = made(vortannewSystemExternalID(first));
  else if (allowPublicID && !isLiteral()) id = made(vortannewPublicID(first));
  else if ((second = literal())) id = made(vortannewPublicExternalID(first, second));
  if (!id) {
    vortandelete(first);
    vortandelete(second);
  }
  return id;
}

/* An ExternalID record holding id and ndata (either may be null). */
static vortanEXTERNALID *wrapExternalID(void *id, vortanNDATADECL *ndata)
{
  vortanEXTERNALID *wrapped = id ? made(vortannewExternalID(id, ndata)) : NULL;
  if (!wrapped) {
    vortandelete(id);
    vortandelete(ndata);
  }
  return wrapped;
}

/* --- element type declarations ----------------------------------------- */

static void *group(void);

/* "?", "*" or "+" after a particle wraps it. */
static void *modifier(void *node)
{
  void *wrapped;
  switch (P.token) {
  case VORTAN_QMARK: wrapped = vortannewChildrenOpt(node); break;
  case VORTAN_STAR: wrapped = vortannewChildrenStar(node); break;
  case VORTAN_PLUS: wrapped = vortannewChildrenPlus(node); break;
  default: return node;
  }
  if (!made(wrapped)) {
    vortandelete(node);
    return NULL;
  }
  advance();
  return wrapped;
}

/* An element name or a parenthesised group, with its modifier. */
static void *particle(void)
{
  if (is(VORTAN_NAME)) {
    vortanSTRING *name = takeString();
    return name ? modifier(name) : NULL;
  }
  if (!expect(VORTAN_LPAR)) return NULL;
  advance();
  return group();
}

/* After "(": particles joined by "|" (a choice) or "," (a sequence), ")"
   and a modifier. One particle alone is a sequence of one. */
static void *group(void)
{
  if (P.groupDepth >= vortanMaxNesting) return overflow();
  ++P.groupDepth;
  vortanListBuilder builder;
  void *node = NULL;
  if (startList(&builder)) {
    void *item = particle();
    int separator = is(VORTAN_BAR) ? VORTAN_BAR : VORTAN_COMMA;
    if (item && append(&builder, item))
      while (is(separator)) {
        advance();
        if (!(item = particle()) || !append(&builder, item)) break;
      }
    vortanLIST *list = finishList(&builder);
    if (list && expect(VORTAN_RPAR))
      node = made(separator == VORTAN_BAR ? (void *)vortannewChildrenAlt(list)
                                          : (void *)vortannewChildrenSeq(list));
    if (node) advance();
    else vortandelete(list);
  }
  --P.groupDepth;
  return node ? modifier(node) : NULL;
}

/* After "(" at "#PCDATA": "(#PCDATA)" is a sequence of PCData alone; with
   names, "(#PCDATA|a|b)*" repeats a choice of PCData and the names, and so
   does "(#PCDATA)*". */
static void *mixed(void)
{
  advance();
  vortanListBuilder builder;
  if (!startList(&builder)) return NULL;
  void *pcdata = made(vortannewPCData());
  int names = 0;
  if (pcdata) append(&builder, pcdata);
  while (!P.result && is(VORTAN_BAR)) {
    advance();
    vortanSTRING *name = expectString(VORTAN_NAME);
    if (name && append(&builder, name)) ++names;
  }
  vortanLIST *list = finishList(&builder);
  void *model = NULL, *choice = NULL;
  if (list && expect(VORTAN_RPAR)) {
    advance();
    if (!names && !is(VORTAN_STAR)) model = made(vortannewChildrenSeq(list));
    else if (expect(VORTAN_STAR) && (choice = made(vortannewChildrenAlt(list))) &&
             (model = made(vortannewChildrenStar(choice))))
      advance();
  }
  if (!model) {
    if (choice) vortandelete(choice);
    else vortandelete(list);
  }
  return model;
}

static void *contentSpec(void)
{
  if (is(VORTAN_NAME)) {
    int kind = isEmptyOrAny(P.value);
    if (kind < 0) {
      vortanfatalError("EMPTY or ANY required.");
      return stop(2);
    }
    advance();
    return made(kind == 0 ? (void *)vortannewEmpty() : (void *)vortannewAny());
  }
  if (!expect(VORTAN_LPAR)) return NULL;
  advance();
  return is(VORTAN_PCDATA) ? mixed() : group();
}

static vortanELEMENTDECL *elementDecl(void)
{
  advance();
  vortanSTRING *name = expectString(VORTAN_NAME);
  void *model = name ? contentSpec() : NULL;
  vortanELEMENTDECL *decl = NULL;
  if (model && expect(VORTAN_CLOSE) && (decl = made(vortannewElementDecl(name, model, P.isExtern))))
    advance();
  if (!decl) {
    vortandelete(name);
    vortandelete(model);
  }
  return decl;
}

/* --- attribute-list declarations --------------------------------------- */

/* The attribute types without fields: their token and record tag. */
static const struct {
  int token, tag;
} simpleTypes[] = {
  {VORTAN_ID, vortanTagId},
  {VORTAN_IDREF, vortanTagIdRef},
  {VORTAN_IDREFS, vortanTagIdRefs},
  {VORTAN_ENTITY, vortanTagEntity},
  {VORTAN_ENTITIES, vortanTagEntities},
  {VORTAN_NMTOKEN_TYPE, vortanTagNmToken},
  {VORTAN_NMTOKENS_TYPE, vortanTagNmTokens},
};

/* A word that may name an attribute: a Name, or a type keyword. */
static int isAttributeName(void)
{
  if (is(VORTAN_NAME) || is(VORTAN_CDATA) || is(VORTAN_NOTATION)) return 1;
  for (size_t i = 0; i < sizeof simpleTypes / sizeof simpleTypes[0]; ++i)
    if (is(simpleTypes[i].token)) return 1;
  return 0;
}

/* After "(": words joined by "|", then ")". Keywords count as words: an
   enumeration may hold "ID" or "CDATA". */
static vortanLIST *wordList(void)
{
  vortanListBuilder builder;
  if (!startList(&builder)) return NULL;
  for (int first = 1; !P.result && (first || is(VORTAN_BAR)); first = 0) {
    if (!first) advance();
    if (!isAttributeName() && !is(VORTAN_NMTOKEN)) {
      syntaxError();
      break;
    }
    vortanSTRING *word = takeString();
    if (word) append(&builder, word);
  }
  vortanLIST *list = finishList(&builder);
  if (list && expect(VORTAN_RPAR)) {
    advance();
    return list;
  }
  vortandelete(list);
  return NULL;
}

static void *attType(void)
{
  int token = P.token;
  for (size_t i = 0; i < sizeof simpleTypes / sizeof simpleTypes[0]; ++i)
    if (token == simpleTypes[i].token) {
      advance();
      return made(VORTAN_NEW_RECORD(simpleTypes[i].tag));
    }
  if (token == VORTAN_CDATA) {
    advance();
    return made(vortannewCData(NULL));
  }
  if (token != VORTAN_NOTATION && token != VORTAN_LPAR) return syntaxError();
  advance();
  if (token == VORTAN_NOTATION) {
    if (!expect(VORTAN_LPAR)) return NULL;
    advance();
  }
  vortanLIST *words = wordList();
  void *type = NULL;
  if (words)
    type = made(token == VORTAN_NOTATION ? (void *)vortannewNotationType(words)
                                         : (void *)vortannewEnumeration(words));
  if (!type) vortandelete(words);
  return type;
}

/* An attribute value: entity references, whose text is read as part of
   the literal, then the literal's text. *less tells whether a '<' stood in
   the literal or an entity's text (not one from a character reference). */
static vortanSTRING *attValue(int *less)
{
  while (is(VORTAN_REFERENCE)) {
    const char *name = P.value;
    if (!vortanwellFormednessEntityDeclared(name) ||
        !vortanwellFormednessNoExternalEntityReferences(name) ||
        !vortanwellFormednessParsedEntity(name))
      return stop(2);
    char *text = vortanattributeQuoteReplacement(vortangetGEntity(name));
    int pushed = text ? vortanscanPushEntity(name, 0, NULL, text, NULL) : -1;
    free(text);
    if (pushed < 0) return stop(2);
    advance();
  }
  if (!expect(VORTAN_ATTVALUE)) return NULL;
  if (less) *less = vortanparseState.scan.literalLess;
  return takeString();
}

/* #REQUIRED, #IMPLIED, #FIXED value, a value, or nothing (null, with
   P.result unset). */
static void *defaultDecl(void)
{
  vortanSTRING *value;
  void *decl;
  switch (P.token) {
  case VORTAN_REQUIRED: advance(); return made(vortannewRequired());
  case VORTAN_IMPLIED: advance(); return made(vortannewImplied());
  case VORTAN_FIXED:
    advance();
    if (!(value = attValue(NULL))) return NULL;
    decl = made(vortannewFixed(value));
    break;
  case VORTAN_ATTVALUE:
  case VORTAN_REFERENCE:
    if (!(value = attValue(NULL))) return NULL;
    decl = made(vortannewAttValue(value));
    break;
  default: return NULL;
  }
  if (!decl) vortandelete(value);
  return decl;
}

/* One attribute definition into *def; *def stays null when the ID default
   check drops it. 0 when the parse stops. */
static int attDef(vortanATTDEF **def)
{
  *def = NULL;
  vortanSTRING *name = takeString();
  void *type = name ? attType() : NULL;
  void *deflt = type ? defaultDecl() : NULL;
  int keep = type && !P.result && vortanvalidityIDAttributeDefault(type, deflt, name->str);
  if (keep && (*def = made(vortannewAttDef(name, type, deflt)))) {
    if (vortanhasTag(deflt, vortanTagFixed) || vortanhasTag(deflt, vortanTagAttValue))
      vortanvalidityAttributeDefaultLegal(*def);
    return 1;
  }
  vortandelete(name);
  vortandelete(type);
  vortandelete(deflt);
  return !P.result;
}

static vortanATTLISTDECL *attlistDecl(void)
{
  advance();
  vortanSTRING *name = expectString(VORTAN_NAME);
  vortanLIST *defs = NULL;
  vortanListBuilder builder;
  if (name && startList(&builder)) {
    while (!P.result && isAttributeName()) {
      vortanATTDEF *def;
      if (attDef(&def) && def) append(&builder, def);
    }
    defs = finishList(&builder);
  }
  vortanATTLISTDECL *decl = NULL;
  if (defs && expect(VORTAN_CLOSE) && (decl = made(vortannewAttlistDecl(name, defs, P.isExtern))))
    advance();
  if (!decl) {
    vortandelete(name);
    vortandelete(defs);
  }
  return decl;
}

/* --- entity and notation declarations ---------------------------------- */

static void *entityDef(int parameter)
{
  if (is(VORTAN_ENTITYVALUE)) {
    vortanSTRING *value = takeString();
    vortanENTITYVALUE *def = value ? made(vortannewEntityValue(value)) : NULL;
    if (!def) vortandelete(value);
    return def;
  }
  if (!is(VORTAN_SYSTEM) && !is(VORTAN_PUBLIC)) return syntaxError();
  void *id = externalID(0);
  vortanNDATADECL *ndata = NULL;
  if (id && !parameter && is(VORTAN_NDATA)) {
    advance();
    vortanSTRING *notation = is(VORTAN_NDATA) ? takeString() : expectString(VORTAN_NAME);
    if (notation && !(ndata = made(vortannewNDataDecl(notation)))) vortandelete(notation);
  }
  if (!id || P.result) {
    vortandelete(id);
    vortandelete(ndata);
    return NULL;
  }
  return wrapExternalID(id, ndata);
}

/* A general or parameter entity; a literal value is declared at once, so
   that the next token may refer to it. */
static void *entityDecl(void)
{
  advance();
  int parameter = is(VORTAN_PERCENT);
  if (parameter) advance();
  if (!is(VORTAN_NAME) && !is(VORTAN_SYSTEM) && !is(VORTAN_PUBLIC)) return syntaxError();
  vortanSTRING *name = takeString();
  void *def = name ? entityDef(parameter) : NULL, *decl = NULL;
  if (def && expect(VORTAN_CLOSE))
    decl = made(parameter ? (void *)vortannewPEDecl(name, def, P.isExtern)
                          : (void *)vortannewGEDecl(name, def, P.isExtern));
  if (!decl) {
    vortandelete(name);
    vortandelete(def);
    return NULL;
  }
  if (vortanhasTag(def, vortanTagEntityValue)) {
    const char *text = vortangetStringStr(vortangetEntityValueValue(def));
    if (parameter) vortanputPEntity(name->str, text);
    else vortanputGEntity(name->str, text);
  }
  advance();
  return decl;
}

static vortanNOTATIONDECL *notationDecl(void)
{
  advance();
  vortanSTRING *name = expectString(VORTAN_NAME);
  void *id = NULL;
  if (name && (is(VORTAN_SYSTEM) || is(VORTAN_PUBLIC))) id = externalID(1);
  else if (name) syntaxError();
  if (id && !vortanhasTag(id, vortanTagPublicID)) id = wrapExternalID(id, NULL);
  vortanNOTATIONDECL *decl = NULL;
  if (id && expect(VORTAN_CLOSE) && (decl = made(vortannewNotationDecl(name, id, P.isExtern)))) {
    vortanvalidityUniqueNotationName(name->str);
    advance();
  }
  if (!decl) {
    vortandelete(name);
    vortandelete(id);
  }
  return decl;
}

/* --- the document type declaration ------------------------------------- */

static int isMarkupDecl(void)
{
  switch (P.token) {
  case VORTAN_ELEMENT_OPEN:
  case VORTAN_ATTLIST_OPEN:
  case VORTAN_ENTITY:
  case VORTAN_NOTATION:
  case VORTAN_PI_OPEN:
  case VORTAN_COMMENT_OPEN: return 1;
  }
  return 0;
}

static void *markupDecl(void)
{
  switch (P.token) {
  case VORTAN_ELEMENT_OPEN: return elementDecl();
  case VORTAN_ATTLIST_OPEN: return attlistDecl();
  case VORTAN_ENTITY: return entityDecl();
  case VORTAN_NOTATION: return notationDecl();
  case VORTAN_PI_OPEN: return pi();
  default: return comment();
  }
}

/* Declarations, as many as come, appended to list (a new one when null). */
static vortanLIST *markupDecls(vortanLIST *list)
{
  vortanListBuilder builder;
  if (vortanstartListBuilder(&builder, list) < 0) {
    vortandelete(list);
    return stop(2);
  }
  while (!P.result && isMarkupDecl()) {
    void *decl = markupDecl();
    if (decl) append(&builder, decl);
  }
  return finishList(&builder);
}

/* The external identifier of the DTD, an optional text declaration and the
   declarations that follow. A SYSTEM file of a type the registry does not
   know is only looked for (a FIFO must not block the parse). */
static vortanLIST *externalPart(void)
{
  void *id = externalID(0);
  if (!id) return NULL;
  if (!P.versions && vortanhasTag(id, vortanTagSystemExternalID)) {
    const char *path = vortangetStringStr(vortangetSystemExternalIDName(id));
    if (access(path, R_OK) != 0) vortanfatalError("Unable to find DTD file.");
  }
  vortandelete(id);
  if (is(VORTAN_XMLDECL_OPEN)) textDecl();
  return P.result ? NULL : markupDecls(NULL);
}

/* Moves the declarations of from to the end of to and frees from. */
static void appendAll(vortanLIST *to, vortanLIST *from)
{
  vortanListBuilder builder;
  if (vortanstartListBuilder(&builder, to) < 0) {
    vortandelete(from);
    stop(2);
    return;
  }
  vortanPAIR *link = from->sentinel->tail;
  from->sentinel->tail = NULL;
  while (link) {
    vortanPAIR *next = link->tail;
    link->tail = NULL;
    builder.last->tail = link;
    builder.last = link;
    link = next;
  }
  vortandelete(from);
}

static vortanDOCTYPEDECL *doctypeDecl(void)
{
  advance();
  if (!is(VORTAN_NAME) && !is(VORTAN_SYSTEM) && !is(VORTAN_PUBLIC)) return syntaxError();
  int lookup = is(VORTAN_NAME);
  vortanSTRING *name = takeString();
  if (!name) return NULL;
  if (lookup) P.versions = vortangetStaticDTD(name);
  vortanLIST *external = NULL, *decls = NULL;
  if (is(VORTAN_SYSTEM) || is(VORTAN_PUBLIC)) external = externalPart();
  if (!P.result && is(VORTAN_LSQB)) {
    advance();
    if ((decls = markupDecls(NULL)) && expect(VORTAN_RSQB)) advance();
  } else if (!P.result) {
    decls = made(vortannewList());
  }
  vortanDOCTYPEDECL *decl = NULL;
  if (decls && !P.result && expect(VORTAN_CLOSE)) {
    if (external && P.versions) vortandelete(external);
    else if (external) appendAll(decls, external);
    external = NULL;
    if (!P.result && (decl = made(vortannewDocTypeDecl(name, NULL, decls)))) advance();
  }
  if (!decl) {
    vortandelete(name);
    vortandelete(external);
    vortandelete(decls);
  }
  return decl;
}

/* --- elements ---------------------------------------------------------- */

static vortanOpenElement *topElement(void)
{
  return P.openCount ? &P.open[P.openCount - 1] : NULL;
}

static int pushElement(vortanELEMENT *element, vortanLIST *content)
{
  if (P.openCount == P.openCapacity) {
    size_t capacity = P.openCapacity ? 2 * P.openCapacity : 64;
    vortanOpenElement *open = VORTAN_ALLOCATE(capacity * sizeof *open);
    if (!open) return 0;
    if (P.openCount) memcpy(open, P.open, P.openCount * sizeof *open);
    free(P.open);
    P.open = open;
    P.openCapacity = capacity;
  }
  vortanOpenElement *top = &P.open[P.openCount++];
  top->element = element;
  vortanstartListBuilder(&top->content, content);
  return 1;
}

static const char *elementName(const vortanELEMENT *element)
{
  return ((const vortanSTRING *)((const vortanRecord *)element)->field[0].p)->str;
}

/* The document's own general entities stay, ahead of the chosen DTD's, as
   they would if the internal subset were read before the external one. */
static void useVersion(const vortanPAIR *entry)
{
  vortanMAP *declared = GERTable;
  GERTable = NULL;
  vortansetReferenceTables(entry);
  if (!GERTable) {
    GERTable = declared;
    return;
  }
  for (vortanPAIR *link = declared->list->sentinel->tail; vortanisPair(link); link = link->tail) {
    const vortanMAPENTRY *entity = link->head;
    const char *name = vortangetStringStr(entity->key);
    vortanremoveReferenceTable(GERTable, name);
    vortanputGEntity(name, vortangetStringStr(entity->value));
  }
  vortandelete(declared);
}

/* At the document's first tag: the DTD version named by its "version"
   attribute, among those of the DOCTYPE's registered type. */
static void chooseVersion(const char *name, const vortanLIST *attributes, int empty)
{
  const char *version = NULL;
  for (const vortanPAIR *link = attributes->sentinel->tail; vortanisPair(link) && !version;
       link = link->tail) {
    const vortanRecord *attribute = link->head;
    if (strcmp(((const vortanSTRING *)attribute->field[0].p)->str, "version") == 0)
      version = ((const vortanSTRING *)attribute->field[1].p)->str;
  }
  const vortanPAIR *entry = NULL;
  if (version) {
    vortanSTRING key = {vortanTagString, (char *)version};
    entry = vortanget(P.versions, &key);
  }
  if (entry) useVersion(entry);
  else if (empty) vortanreportf(vortanfatalError, "Unable to retrieve %s dtd version %s.", name, version ? version : "(null)");
  else
    vortanreportf(vortanfatalError, "Unable to retrieve %s dtd version %s.  File content will not be validated.",
                  name, version ? version : "(null)");
}

/* NAME EQ AttValue; a '<' in the value stops the parse. */
static vortanATTRIBUTE *attribute(void)
{
  vortanSTRING *name = takeString(), *value = NULL;
  int less = 0;
  if (name && expect(VORTAN_EQ)) {
    advance();
    value = attValue(&less);
  }
  vortanATTRIBUTE *attribute = value ? made(vortannewAttribute(name, value)) : NULL;
  if (!attribute) {
    vortandelete(name);
    vortandelete(value);
    return NULL;
  }
  if (less && !vortanwellFormednessNoLessThanInAttributeValues(attribute)) {
    vortandelete(attribute);
    return stop(2);
  }
  return attribute;
}

/* A start or empty-element tag. Its element goes into its parent's
   content, or is the root; an open one is pushed. Returns the root when
   this empty tag was the whole of it, else null. */
static vortanELEMENT *startTag(void)
{
  if (P.openCount >= vortanMaxNesting) return overflow();
  advance();
  vortanSTRING *name = expectString(VORTAN_NAME);
  vortanLIST *attributes = NULL, *items = NULL;
  vortanListBuilder builder;
  if (name && startList(&builder)) {
    while (!P.result && is(VORTAN_NAME)) {
      vortanATTRIBUTE *attribute_ = attribute();
      if (attribute_) append(&builder, attribute_);
    }
    attributes = finishList(&builder);
  }
  int empty = is(VORTAN_EMPTY_CLOSE);
  if (attributes && (empty || expect(VORTAN_CLOSE)) &&
      !vortanwellFormednessUniqueAttSpec(name->str, attributes))
    stop(2);
  vortanCONTENT *content = NULL;
  vortanELEMENT *element = NULL;
  if (attributes && !P.result && (items = made(vortannewList())) &&
      (content = made(vortannewContent(items))))
    element = made(vortannewElement(name, attributes, content));
  if (!element) {
    vortandelete(name);
    vortandelete(attributes);
    if (content) vortandelete(content);
    else vortandelete(items);
    return NULL;
  }
  if (P.firstElement && P.versions) chooseVersion(name->str, attributes, empty);
  P.firstElement = 0;
  vortanOpenElement *parent = topElement();
  if (parent && !append(&parent->content, element)) return NULL;
  if ((!empty && !pushElement(element, items)) || vortanvalidatingStartTag(element) < 0) {
    if (!parent && !P.openCount) vortandelete(element);
    return stop(2);
  }
  vortancallStartElementContentHandler(NULL, NULL, name->str, attributes);
  if (empty) {
    vortancallEndElementContentHandler(NULL, NULL, name->str);
    vortanvalidatingEndTag(element);
  }
  advance();
  return empty && !parent ? element : NULL;
}

/* An end tag closes the innermost open element; returns the root when it
   closed it. */
static vortanELEMENT *endTag(void)
{
  advance();
  if (!expect(VORTAN_NAME)) return NULL;
  vortanELEMENT *element = topElement()->element;
  const char *name = elementName(element);
  if (!vortanwellFormednessElementTypeMatch(name, P.value)) return stop(2);
  advance();
  if (!expect(VORTAN_CLOSE)) return NULL;
  vortancallEndElementContentHandler(NULL, NULL, name);
  vortanvalidatingEndTag(element);
  --P.openCount;
  advance();
  return P.openCount ? NULL : element;
}

/* A piece of a run of character data: text, a character, or an entity
   reference, whose text comes as the next pieces. */
static void textPiece(void)
{
  if (is(VORTAN_CHARDATA) && !P.inText) {
    P.firstPiece = P.value;
    P.value = NULL;
  } else if (!is(VORTAN_REFERENCE)) {
    if (P.firstPiece) {
      vortanappendByteBufferText(&P.text, P.firstPiece);
      free(P.firstPiece);
      P.firstPiece = NULL;
    }
    /* Each piece is within the bound; the run they make must be too. */
    const char *piece = is(VORTAN_CHARREF) ? NULL : P.value;
    if (!vortanscanTextFits(P.text.length, piece ? strlen(piece) : 1)) stop(2);
    else if (piece) vortanappendByteBufferText(&P.text, piece);
    else vortanappendByteBufferChar(&P.text, (char)P.character);
  }
  P.inText = 1;
  advance();
}

/* Ends a run of character data: a CharData in the open element's content,
   then the handler. */
static void flushText(void)
{
  if (!P.inText) return;
  P.inText = 0;
  char *text = P.firstPiece ? P.firstPiece : vortantakeByteBufferText(&P.text);
  P.firstPiece = NULL;
  if (text && text[strspn(text, " \r\n\t")] == '\0' && vortanvalidatingParseUnderWay()) {
    /* White space between elements counts for no content model. */
    vortancallCharDataContentHandler(text, 0, (int)strlen(text));
    free(text);
    return;
  }
  vortanSTRING *string = text ? vortannewString(text) : NULL;
  vortanCHARDATA *data = string ? vortannewCharData(string) : NULL;
  if (!data) {
    if (string) vortandelete(string);
    else free(text);
    stop(2);
    return;
  }
  if (append(&topElement()->content, data))
    vortancallCharDataContentHandler(text, 0, (int)strlen(text));
}

static void contentItem(void)
{
  void *item = NULL;
  if (is(VORTAN_CDATA_OPEN)) {
    advance();
    vortanSTRING *text = expectString(VORTAN_CDATA);
    if (text && !(item = made(vortannewCData(text)))) vortandelete(text);
    /* A CDATA section is character data to the handlers. */
    if (item && append(&topElement()->content, item))
      vortancallCharDataContentHandler(text->str, 0, (int)strlen(text->str));
    return;
  }
  item = is(VORTAN_PI_OPEN) ? (void *)pi() : (void *)comment();
  if (item) append(&topElement()->content, item);
}

/* The root element with everything inside it, read by a loop over the
   stack of open elements. */
static vortanELEMENT *element(void)
{
  vortanELEMENT *root = NULL;
  while (!root && !P.result) {
    switch (P.token) {
    case VORTAN_STAG_OPEN: flushText(); root = startTag(); break;
    case VORTAN_ETAG_OPEN: flushText(); root = P.result ? NULL : endTag(); break;
    case VORTAN_CHARDATA:
    case VORTAN_CHARREF:
    case VORTAN_REFERENCE: textPiece(); break;
    case VORTAN_CDATA_OPEN:
    case VORTAN_PI_OPEN:
    case VORTAN_COMMENT_OPEN: flushText(); contentItem(); break;
    default: syntaxError();
    }
  }
  if (!P.result) return root;
  if (P.openCount) vortandelete(P.open[0].element);
  P.openCount = 0;
  return NULL;
}

/* --- the document ------------------------------------------------------ */

static vortanPROLOG *prolog(void)
{
  vortanXMLDECL *decl = is(VORTAN_XMLDECL_OPEN) ? xmlDecl() : NULL;
  vortanLIST *misc1 = P.result ? NULL : miscList();
  vortanPAIR *tail = NULL;
  if (misc1 && is(VORTAN_DOCTYPE_OPEN)) {
    vortanDOCTYPEDECL *dtd = doctypeDecl();
    vortanLIST *misc2 = dtd ? miscList() : NULL;
    if (!misc2 || !(tail = made(vortannewPair(dtd, misc2)))) {
      vortandelete(dtd);
      vortandelete(misc2);
    }
  }
  vortanPROLOG *prolog = P.result ? NULL : made(vortannewProlog(decl, misc1, tail));
  if (!prolog) {
    vortandelete(decl);
    vortandelete(misc1);
    vortandelete(tail);
  }
  return prolog;
}

static vortanDOCUMENT *document(void)
{
  advance();
  vortanPROLOG *head = prolog();
  if (!head || !expect(VORTAN_STAG_OPEN)) {
    vortandelete(head);
    return NULL;
  }
  vortanvalidatingPrologRead(head);
  vortancallStartDocumentContentHandler();
  vortanELEMENT *root = element();
  vortanLIST *misc = NULL;
  if (root) {
    vortancallEndDocumentContentHandler();
    misc = miscList();
  }
  vortanDOCUMENT *document = NULL;
  /* After a fatal error the scanner gives the end at once, also when the
     input failed right after the root: that input never came to its end. */
  if (vortanparseState.scan.failure) stop(2);
  else if (misc && expect(VORTAN_END)) document = made(vortannewDocument(head, root, misc));
  if (!document) {
    vortandelete(head);
    vortandelete(root);
    vortandelete(misc);
  }
  return document;
}

/* Each document starts from the predefined entities alone: a document's
   declarations never reach the next. */
static void resetEntities(void)
{
  vortanMAP *general = vortannewGEReferenceTable(), *parameter = vortannewPEReferenceTable();
  if (!general || !parameter) {
    vortandelete(general);
    vortandelete(parameter);
    stop(2);
    return;
  }
  vortandelete(GERTable);
  vortandelete(PERTable);
  GERTable = general;
  PERTable = parameter;
}

static void beginParse(void)
{
  P.result = 0;
  P.token = VORTAN_END;
  P.value = NULL;
  P.versions = NULL;
  P.firstElement = 1;
  P.isExtern = 0;
  P.groupDepth = 0;
  P.openCount = 0;
  P.inText = 0;
  P.firstPiece = NULL;
  vortanresetByteBuffer(&P.text);
  vortanconstraintsInit();
  resetEntities();
  vortanscanStart();
  vortanbeginValidatingParse();
}

static void endParse(void)
{
  free(P.value);
  P.value = NULL;
  free(P.firstPiece);
  P.firstPiece = NULL;
  vortanfreeByteBuffer(&P.text);
  free(P.open);
  P.open = NULL;
  P.openCount = P.openCapacity = 0;
  vortanscanFinish();
}

int vortanparse(void)
{
  if (P.running) return 2;
  P.running = 1;
  vortanast = NULL;
  vortaninit();
  beginParse();
  vortanDOCUMENT *read = P.result ? NULL : document();
  vortanendValidatingParse(read != NULL);
  int result = P.result;
  endParse();
  vortanast = read;
  P.running = 0;
  return result;
}
