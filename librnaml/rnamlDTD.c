/* The RNAML 1.1 declarations as data, one row per element in the order
 * the registry entry is built, and the small reader that turns each row's
 * content model and attribute list, written as in a DTD, into the
 * toolkit's records: the same shapes the toolkit's parser would build. */
#include "rnamlDTD.h"

#include <string.h>

#include "vortanDTDRegistry.h"
#include "vortanList.h"
#include "vortanListBuilder.h"
#include "vortanMap.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanRecords.h"

typedef struct Declaration {
  const char *name;
  const char *content;    /* "EMPTY", or a parenthesised model */
  const char *attributes; /* triples: name, type, default */
} Declaration;

/* The attributes whose values every record's header keeps. */
#define COMMON                                                                 \
  "database-ids IDREFS #IMPLIED analysis-ids IDREFS #IMPLIED "                 \
  "reference-ids IDREFS #IMPLIED comment CDATA #IMPLIED "
#define TEXT(name) {name, "(#PCDATA)", ""}

static const Declaration declarations[] = {
  {"alignment-id", "EMPTY", "ref IDREF #REQUIRED"},
  {"base-pair-id", "EMPTY", "ref IDREF #REQUIRED"},
  TEXT("strand"),
  {"model-id", "EMPTY", "ref IDREF #IMPLIED"},
  {"molecule-id", "EMPTY", "ref IDREF #REQUIRED"},
  {"base-id", "(molecule-id? , model-id? , strand? , position)", ""},
  TEXT("length"), TEXT("end"), TEXT("start"), TEXT("position"),
  TEXT("year"), TEXT("month"), TEXT("day"),
  {"date", "(day? , month? , year)", ""},
  TEXT("prog-version"), TEXT("prog-name"),
  {"program", "(prog-name | prog-version | reference)*", ""},
  TEXT("affiliation"), TEXT("last-name"), TEXT("first-name"),
  {"person", "(first-name , last-name , affiliation*)", ""},
  {"path", "(url | file)", ""},
  TEXT("file"), TEXT("url"),
  {"revision", "(#PCDATA | date)*", COMMON},
  {"analysis", "(program | date | author | reference)*", COMMON "id ID #REQUIRED"},
  TEXT("entry"), TEXT("database"),
  {"database-entry", "(database , entry , path?)", COMMON "id ID #REQUIRED"},
  TEXT("pages"), TEXT("issue"), TEXT("volume"), TEXT("editor"),
  TEXT("book-title"), TEXT("pubmed-id"), TEXT("journal"), TEXT("title"),
  {"author", "(person)", ""},
  {"reference",
   "(author | title | journal | date | pubmed-id | book-title | editor | volume | issue | pages "
   "| path)*",
   "comment CDATA #IMPLIED id ID #REQUIRED"},
  TEXT("strain"), TEXT("species"), TEXT("genus"), TEXT("family"), TEXT("order"),
  TEXT("class"), TEXT("phylum"), TEXT("kingdom"), TEXT("domain"),
  {"taxonomy",
   "(domain? , kingdom? , phylum? , class? , order? , family? , genus? , species? , strain?)",
   COMMON},
  {"interactions", "(str-annotation)*", COMMON},
  {"ali-sequence", "(molecule-id , seq-data)", COMMON},
  {"alignment", "(ali-sequence*)", COMMON "id ID #REQUIRED"},
  {"consensus-molecule", "(alignment-id , molecule)", COMMON},
  {"molecule-class",
   "(identity? , (molecule | molecule-id | numbering-system | consensus-molecule | alignment)*)",
   COMMON},
  {"ss-base-coord", "(base-id , coordinates)", COMMON},
  {"secondary-structure-display", "(ss-base-coord)*", COMMON},
  TEXT("surface-value"),
  {"surface-constraint", "(base-id , atom-type , surface-value?)", COMMON},
  TEXT("weight"), TEXT("range"), TEXT("mean"),
  {"distance-constraint",
   "(base-id , atom-type , base-id , atom-type , mean , range? , weight?)", COMMON},
  {"single-strand", "(segment)", COMMON},
  {"helix-id", "EMPTY", COMMON "ref IDREF #REQUIRED"},
  {"pseudoknot", "(helix-id , helix-id)", COMMON},
  {"helix", "(base-id-5p , base-id-3p , length)", COMMON "id ID #IMPLIED"},
  {"base-stack", "(base-id , base-id)", COMMON},
  {"base-triple",
   "((base-pair | base-pair-id) , (base-pair | base-pair-id) , (base-pair | base-pair-id))",
   COMMON},
  TEXT("strand-orientation"), TEXT("bond-orientation"), TEXT("edge-3p"), TEXT("edge-5p"),
  {"base-id-3p", "(base-id)", ""},
  {"base-id-5p", "(base-id)", ""},
  {"base-pair",
   "(base-id-5p , base-id-3p , edge-5p? , edge-3p? , bond-orientation? , strand-orientation?)",
   COMMON},
  TEXT("nu4"), TEXT("nu3"), TEXT("nu2"), TEXT("nu1"), TEXT("nu0"), TEXT("chi"),
  TEXT("zeta"), TEXT("epsilon"), TEXT("delta"), TEXT("gamma"), TEXT("beta"), TEXT("alpha"),
  {"base-torsion-angles",
   "(alpha? , beta? , gamma? , delta? , epsilon? , zeta? , chi? , nu0? , nu1? , nu2? , nu3? , "
   "nu4?)",
   COMMON},
  TEXT("glycosyl"), TEXT("pucker"),
  {"base-conformation", "(base-id , pucker? , glycosyl? , base-torsion-angles?)", COMMON},
  {"str-annotation",
   "((base-conformation | base-pair | base-triple | base-stack | helix | pseudoknot | "
   "single-strand | distance-constraint | surface-constraint)*)",
   COMMON},
  TEXT("charge"), TEXT("element"), TEXT("seg-id"), TEXT("temp-factor"), TEXT("occupancy"),
  TEXT("coordinates"), TEXT("atom-type"),
  {"atom", "(atom-type , coordinates? , occupancy? , temp-factor? , seg-id? , element? , charge?)",
   COMMON "serial CDATA #IMPLIED"},
  TEXT("insertion"), TEXT("alt-loc"), TEXT("base-type"),
  {"base", "(strand? , position , base-type? , alt-loc? , insertion? , atom*)", COMMON},
  {"free-energy", "(#PCDATA)", COMMON},
  {"resolution", "(#PCDATA)", COMMON},
  {"method", "(#PCDATA)", COMMON},
  {"model-info", "(method? , resolution? , free-energy*)", COMMON},
  {"model", "(model-info? , base* , str-annotation? , secondary-structure-display?)",
   COMMON "id ID #IMPLIED"},
  {"structure", "(model)*", COMMON},
  TEXT("seg-name"),
  {"segment", "(seg-name? , base-id-5p , (base-id-3p | length))", COMMON},
  TEXT("modified-type"),
  {"modification", "(base-id , modified-type)", COMMON},
  {"seq-annotation", "(modification | segment)*", COMMON},
  {"seq-data", "(#PCDATA)", COMMON},
  {"numbering-table", "(#PCDATA)", COMMON "length CDATA #REQUIRED"},
  {"numbering-range", "(start , (end | length))", COMMON},
  {"numbering-system", "((numbering-range)* | numbering-table)",
   COMMON "used-in-file (true|false) \"false\" id ID #REQUIRED"},
  {"sequence", "(numbering-system* , seq-data? , seq-annotation?)",
   COMMON "circular (true|false) #IMPLIED length CDATA #IMPLIED strand CDATA #IMPLIED"},
  TEXT("name"),
  {"identity", "(name , taxonomy?)", COMMON},
  {"molecule", "(identity? , sequence* , structure?)",
   COMMON "type (rna|dna) \"rna\" id ID #REQUIRED"},
  {"rnaml",
   "(molecule | molecule-class | interactions | reference | database-entry | analysis | "
   "revision)*",
   COMMON "version (1.1) #REQUIRED"},
};

_Static_assert(sizeof declarations / sizeof declarations[0] == 124,
               "the RNAML 1.1 document type declares 124 elements");

/* --- reading declaration text -------------------------------------------- */

/* Longer than any word of the declarations. */
enum { tokenSize = 64 };

typedef struct Cursor {
  const char *at;
} Cursor;

enum { endOfText = 0, word = 'w', quoted = 'q' };

/* Reads the next token into text: a word (a run of characters that are
   neither blanks nor punctuation), one punctuation character, or a quoted
   value without its quotes. Returns its kind: word, quoted, the
   punctuation character itself, or endOfText. */
static int next(Cursor *cursor, char text[tokenSize])
{
  static const char punctuation[] = "()|,?*+";
  while (*cursor->at == ' ') ++cursor->at;
  const char *start = cursor->at, *end;
  int kind;
  if (!*start) {
    kind = endOfText;
    end = start;
  } else if (*start == '"') {
    kind = quoted;
    end = strchr(++start, '"');
    cursor->at = end + 1;
  } else if (strchr(punctuation, *start)) {
    kind = *start;
    end = cursor->at = start + 1;
  } else {
    kind = word;
    end = cursor->at = start + strcspn(start, " \"()|,?*+");
  }
  size_t length = (size_t)(end - start) < tokenSize ? (size_t)(end - start) : tokenSize - 1;
  memcpy(text, start, length);
  text[length] = '\0';
  return kind;
}

static int peek(const Cursor *cursor)
{
  Cursor ahead = *cursor;
  char text[tokenSize];
  return next(&ahead, text);
}

/* Appends item; on failure (item null, or no memory) item is deleted and
   -1 returned. */
static int add(vortanListBuilder *items, void *item)
{
  if (item && vortanappendListBuilder(items, item) == 0) return 0;
  vortandelete(item);
  return -1;
}

/* The List built, or null after deleting it when failed. */
static vortanLIST *finish(vortanListBuilder *items, int failed)
{
  vortanLIST *list = vortanfinishListBuilder(items);
  if (!failed) return list;
  vortandelete(list);
  return NULL;
}

static void *particle(Cursor *cursor);

/* The group after its "(": a choice when its items are joined by bars,
   else a sequence (one item alone too). */
static void *group(Cursor *cursor)
{
  vortanListBuilder items;
  if (vortanstartListBuilder(&items, NULL) < 0) return NULL;
  char text[tokenSize];
  int separator = ',', kind, failed = 0;
  do {
    failed = add(&items, particle(cursor)) < 0;
    kind = next(cursor, text);
    if (kind == '|') separator = '|';
  } while (!failed && (kind == ',' || kind == '|'));
  vortanLIST *list = finish(&items, failed);
  if (!list) return NULL;
  void *made = separator == '|' ? (void *)vortannewChildrenAlt(list)
                                : (void *)vortannewChildrenSeq(list);
  if (!made) vortandelete(list);
  return made;
}

/* item wrapped for its suffix, or item alone when none follows. */
static void *repeated(Cursor *cursor, void *item)
{
  char text[tokenSize];
  int suffix = peek(cursor);
  if (!item || (suffix != '?' && suffix != '*' && suffix != '+')) return item;
  next(cursor, text);
  void *made = suffix == '?'   ? (void *)vortannewChildrenOpt(item)
               : suffix == '*' ? (void *)vortannewChildrenStar(item)
                               : (void *)vortannewChildrenPlus(item);
  if (!made) vortandelete(item);
  return made;
}

static void *particle(Cursor *cursor)
{
  char text[tokenSize];
  void *item;
  if (next(cursor, text) == '(') item = group(cursor);
  else if (strcmp(text, "#PCDATA") == 0) item = vortannewPCData();
  else item = vortancopyString(text);
  return repeated(cursor, item);
}

static void *contentModel(const char *model)
{
  if (strcmp(model, "EMPTY") == 0) return vortannewEmpty();
  Cursor cursor = {model};
  return particle(&cursor);
}

/* The tokens of "(a|b)" after its "(". */
static vortanENUMERATION *enumeration(Cursor *cursor)
{
  vortanListBuilder tokens;
  if (vortanstartListBuilder(&tokens, NULL) < 0) return NULL;
  char text[tokenSize];
  int failed = 0;
  do {
    next(cursor, text);
    failed = add(&tokens, vortancopyString(text)) < 0;
  } while (!failed && next(cursor, text) == '|');
  vortanLIST *list = finish(&tokens, failed);
  vortanENUMERATION *made = list ? vortannewEnumeration(list) : NULL;
  if (!made) vortandelete(list);
  return made;
}

static void *attributeType(Cursor *cursor)
{
  char text[tokenSize];
  if (next(cursor, text) == '(') return enumeration(cursor);
  if (strcmp(text, "ID") == 0) return vortannewId();
  if (strcmp(text, "IDREF") == 0) return vortannewIdRef();
  if (strcmp(text, "IDREFS") == 0) return vortannewIdRefs();
  return vortannewCData(NULL); /* CDATA */
}

static void *defaultDeclaration(Cursor *cursor)
{
  char text[tokenSize];
  if (next(cursor, text) == quoted) {
    vortanSTRING *value = vortancopyString(text);
    vortanATTVALUE *made = value ? vortannewAttValue(value) : NULL;
    if (!made) vortandelete(value);
    return made;
  }
  if (strcmp(text, "#REQUIRED") == 0) return vortannewRequired();
  return vortannewImplied();
}

/* Enters Pair(head, tail) under name; on failure both are deleted and -1
   returned. */
static int enter(vortanMAP *map, const char *name, void *head, void *tail)
{
  vortanPAIR *pair = head && tail ? vortannewPair(head, tail) : NULL;
  vortanSTRING key = vortanborrowString(name);
  if (pair && vortaninsertEntry(map, &key, pair) == 0) return 0;
  if (pair) {
    vortandelete(pair);
  } else {
    vortandelete(head);
    vortandelete(tail);
  }
  return -1;
}

/* Each attribute is entered in front, as vortanput would: a walk of the
   Map meets them in reverse. */
static vortanMAP *attributeMap(const char *attributes)
{
  vortanMAP *map = vortannewMap();
  Cursor cursor = {attributes};
  char name[tokenSize];
  while (map && next(&cursor, name) == word) {
    void *type = attributeType(&cursor);
    if (enter(map, name, type, defaultDeclaration(&cursor)) < 0) {
      vortandelete(map);
      map = NULL;
    }
  }
  return map;
}

/* --- the registry entry -------------------------------------------------- */

vortanMAP *buildrnaml_1_1Ast(void)
{
  vortanMAP *ast = vortannewMap();
  for (size_t i = 0; ast && i < sizeof declarations / sizeof declarations[0]; ++i) {
    const Declaration *d = &declarations[i];
    void *content = contentModel(d->content);
    if (enter(ast, d->name, content, attributeMap(d->attributes)) < 0) {
      vortandelete(ast);
      ast = NULL;
    }
  }
  return ast;
}

vortanMAP *buildrnaml_1_1GERTable(void)
{
  static const char *const entities[][2] = {
    {"quot", "\""}, {"apos", "'"}, {"gt", ">"}, {"lt", "&#60;"}, {"amp", "&#38;"},
  };
  vortanMAP *table = vortannewMap();
  for (size_t i = 0; table && i < sizeof entities / sizeof entities[0]; ++i) {
    vortanSTRING key = vortanborrowString(entities[i][0]);
    vortanSTRING *text = vortancopyString(entities[i][1]);
    if (!text || vortaninsertEntry(table, &key, text) < 0) {
      vortandelete(text);
      vortandelete(table);
      table = NULL;
    }
  }
  return table;
}

vortanMAP *buildrnaml_1_1UEM(void)
{
  return vortannewMap();
}

void rnamlinit(void)
{
  vortaninit();
  vortanSTRING type = vortanborrowString("rnaml");
  if (vortangetStaticDTD(&type)) return;
  vortanSTRING *name = vortancopyString("rnaml"), *version = vortancopyString("1.1");
  vortanMAP *ast = name && version ? buildrnaml_1_1Ast() : NULL;
  vortanMAP *entities = ast ? buildrnaml_1_1GERTable() : NULL;
  vortanMAP *unparsed = entities ? buildrnaml_1_1UEM() : NULL;
  if (unparsed) {
    vortanputStaticDTDTable(name, version, ast, entities, unparsed);
    return;
  }
  vortandelete(name);
  vortandelete(version);
  vortandelete(ast);
  vortandelete(entities);
}
