/* The compact and the indented printers, walking the records by tag.
 *
 * Chains of Pairs are walked by loops; only nesting (an element inside an
 * element, a particle inside a group) recurses. */
#include "vortanPrint.h"

#include <limits.h>
#include <string.h>

#include "vortanList.h"
#include "vortanObject.h"
#include "vortanOutputStream.h"
#include "vortanPrintStream.h"
#include "vortanRecord.h"

static void put(vortanPRINTSTREAM *stream, const char *text)
{
  vortanprintPrintStreamString(stream, text);
}

static void newIndentedLine(vortanPRINTSTREAM *stream, int indent)
{
  vortanprintPrintStreamLn(stream);
  vortanindentPrint(stream, indent);
}

static void *field(const void *record, int i)
{
  return ((const vortanRecord *)record)->field[i].p;
}

static int intField(const void *record, int i)
{
  return ((const vortanRecord *)record)->field[i].i;
}

/* The kinds printed as one fixed word. */
static const char *const words[vortanTagCount] = {
  [vortanTagEmpty] = "EMPTY",       [vortanTagAny] = "ANY",           [vortanTagPCData] = "#PCDATA",
  [vortanTagId] = "ID",             [vortanTagIdRef] = "IDREF",       [vortanTagIdRefs] = "IDREFS",
  [vortanTagEntity] = "ENTITY",     [vortanTagEntities] = "ENTITIES", [vortanTagNmToken] = "NMTOKEN",
  [vortanTagNmTokens] = "NMTOKENS", [vortanTagRequired] = "#REQUIRED", [vortanTagImplied] = "#IMPLIED",
};

/* The suffix of each repeated particle. */
static const char *const repeats[vortanTagCount] = {
  [vortanTagChildrenOpt] = "?", [vortanTagChildrenStar] = "*", [vortanTagChildrenPlus] = "+"};

/* An iterator on the stack over a List; null for anything else. */
static vortanITERATOR *startWalk(vortanITERATOR *iterator, const void *list)
{
  if (!vortanhasTag(list, vortanTagList)) return NULL;
  iterator->tag = vortanTagListIterator;
  iterator->current = ((const vortanLIST *)list)->sentinel;
  iterator->previous = NULL;
  return iterator;
}

enum { compact = -1 };

/* Each element of a List, separator between two: in the compact form, or
   in the indented form at indent when that is not compact. */
static void printJoined(vortanPRINTSTREAM *stream, const void *list, const char *separator,
                        int indent)
{
  vortanITERATOR walk;
  if (!startWalk(&walk, list)) return;
  for (int first = 1; vortanhasNext(&walk); first = 0) {
    if (!first) put(stream, separator);
    if (indent == compact) vortanprintObject(stream, vortannext(&walk));
    else vortanprettyPrintAux(stream, vortannext(&walk), indent);
  }
}

static void printGroupAt(vortanPRINTSTREAM *stream, const char *open, const void *list,
                         const char *separator, const char *close, int indent)
{
  put(stream, open);
  printJoined(stream, list, separator, indent);
  put(stream, close);
}

static void printGroup(vortanPRINTSTREAM *stream, const char *open, const void *list,
                       const char *separator, const char *close)
{
  printGroupAt(stream, open, list, separator, close, compact);
}

static void printBetween(vortanPRINTSTREAM *stream, const char *open, const void *object,
                         const char *close)
{
  put(stream, open);
  vortanprintObject(stream, object);
  put(stream, close);
}

/* Between apostrophes, or double quotes when the text holds an apostrophe. */
static void printLiteral(vortanPRINTSTREAM *stream, const void *string)
{
  const char *quote = vortanisQuoted(vortantextOf(string)) ? "\"" : "'";
  printBetween(stream, quote, string, quote);
}

static void printXMLDecl(vortanPRINTSTREAM *stream, const void *decl)
{
  printBetween(stream, "<?xml version=\"", field(decl, 0), "\"");
  if (field(decl, 1)) printBetween(stream, " encoding=\"", field(decl, 1), "\"");
  int standalone = intField(decl, 2);
  if (standalone == 1) put(stream, " standalone=\"yes\"");
  else if (standalone == 0) put(stream, " standalone=\"no\"");
  put(stream, "?>");
}

/* "<!DOCTYPE name", and the external identifier when there is one. */
static void printDocTypeStart(vortanPRINTSTREAM *stream, const void *decl)
{
  printBetween(stream, "<!DOCTYPE ", field(decl, 0), "");
  if (field(decl, 1)) printBetween(stream, " ", field(decl, 1), "");
}

/* "<name" and each attribute after a space. */
static void printStartTag(vortanPRINTSTREAM *stream, const void *element)
{
  printBetween(stream, "<", field(element, 0), "");
  vortanITERATOR walk;
  if (startWalk(&walk, field(element, 1)))
    while (vortanhasNext(&walk)) printBetween(stream, " ", vortannext(&walk), "");
}

static int hasItems(const void *list)
{
  return vortanhasTag(list, vortanTagList) && !vortanisEmpty(list);
}

/* The Content of an Element when its List holds an item, else null. */
static const void *contentToPrint(const void *element)
{
  const void *content = field(element, 2);
  if (!vortanhasTag(content, vortanTagContent)) return NULL;
  return hasItems(field(content, 0)) ? content : NULL;
}

/* How each declaration prints: open, its name, middle, the field after the
   name (each item of it for a List), beforeNumber, the isExtern number and
   close. */
typedef struct DeclForm {
  const char *open, *middle, *beforeNumber, *close;
} DeclForm;

static const DeclForm declForms[vortanTagCount] = {
  [vortanTagElementDecl] = {"<!ELEMENT ", " ", " ", ">"},
  [vortanTagAttlistDecl] = {"<!ATTLIST ", "", "", ">"},
  [vortanTagGEDecl] = {"<!ENTITY ", " ", "", ">"},
  [vortanTagPEDecl] = {"<!ENTITY % ", " ", "", ">"},
  [vortanTagNotationDecl] = {"<!NOTATION ", " ", " ", ""},
};

static const DeclForm *declFormOf(const void *record)
{
  int32_t tag = vortantagOf(record);
  return tag >= 0 && tag < vortanTagCount && declForms[tag].open ? &declForms[tag] : NULL;
}

static void printDecl(vortanPRINTSTREAM *stream, const void *decl, const DeclForm *form)
{
  printBetween(stream, form->open, field(decl, 0), form->middle);
  if (vortanhasTag(field(decl, 1), vortanTagList)) printJoined(stream, field(decl, 1), "", compact);
  else vortanprintObject(stream, field(decl, 1));
  put(stream, form->beforeNumber);
  vortanprintPrintStreamInt(stream, intField(decl, 2));
  put(stream, form->close);
}

void vortanprintObject(vortanPRINTSTREAM *stream, const void *o)
{
  int32_t tag = vortantagOf(o);
  if (tag < 0 || tag > vortanTagMapEntry) return;
  if (words[tag]) {
    put(stream, words[tag]);
    return;
  }
  if (repeats[tag]) {
    printBetween(stream, "", field(o, 0), repeats[tag]);
    return;
  }
  const DeclForm *decl = declFormOf(o);
  if (decl) {
    printDecl(stream, o, decl);
    return;
  }
  switch (tag) {
  case vortanTagDocument:
    vortanprintObject(stream, field(o, 0));
    vortanprintObject(stream, field(o, 1));
    printGroup(stream, "", field(o, 2), "", "\n");
    break;
  case vortanTagProlog:
    vortanprintObject(stream, field(o, 0));
    printJoined(stream, field(o, 1), "", compact);
    vortanprintObject(stream, field(o, 2));
    printGroup(stream, "", field(o, 3), "", "\n");
    break;
  case vortanTagXMLDecl: printXMLDecl(stream, o); break;
  case vortanTagDocTypeDecl:
    printDocTypeStart(stream, o);
    if (!hasItems(field(o, 2))) put(stream, ">\n");
    else printGroup(stream, " [", field(o, 2), "", "]>\n");
    break;
  case vortanTagElement:
    printStartTag(stream, o);
    if (!contentToPrint(o)) {
      put(stream, "/>");
      break;
    }
    printBetween(stream, ">", field(o, 2), "</");
    printBetween(stream, "", field(o, 0), ">");
    break;
  case vortanTagAttribute:
    printBetween(stream, "", field(o, 0), "=\"");
    printBetween(stream, "", field(o, 1), "\"");
    break;
  case vortanTagContent: printJoined(stream, field(o, 0), "", compact); break;
  case vortanTagCharData: vortanprintObject(stream, field(o, 0)); break;
  case vortanTagComment: printBetween(stream, "<!--", field(o, 0), "-->"); break;
  case vortanTagPI:
    printBetween(stream, "<?", field(o, 0), "");
    if (field(o, 1)) printBetween(stream, " ", field(o, 1), "");
    put(stream, "?>");
    break;
  case vortanTagCData:
    if (field(o, 0)) printBetween(stream, "<![CDATA[", field(o, 0), "]]>");
    else put(stream, "CDATA");
    break;
  case vortanTagString: vortanprintEscapedString(stream, ((const vortanSTRING *)o)->str); break;
  case vortanTagList: printGroup(stream, "(", o, " ", ")"); break;
  case vortanTagPair:
    for (; vortanisPair(o); o = ((const vortanPAIR *)o)->tail)
      printBetween(stream, "", ((const vortanPAIR *)o)->head, " ");
    vortanprintObject(stream, o);
    break;
  case vortanTagMap: printGroup(stream, "[", ((const vortanMAP *)o)->list, ", ", "]"); break;
  case vortanTagMapEntry:
    printBetween(stream, "(", ((const vortanMAPENTRY *)o)->key, ",");
    printBetween(stream, "", ((const vortanMAPENTRY *)o)->value, ")");
    break;
  case vortanTagPEReference: printBetween(stream, "%", field(o, 0), ";"); break;
  case vortanTagEntityRef: printBetween(stream, "&", field(o, 0), ";"); break;
  case vortanTagChar: vortanprintPrintStreamChar(stream, (char)intField(o, 0)); break;
  case vortanTagChildrenAlt: printGroup(stream, "(", field(o, 0), " | ", ")"); break;
  case vortanTagChildrenSeq: printGroup(stream, "(", field(o, 0), ", ", ")"); break;
  case vortanTagAttDef:
    printBetween(stream, " ", field(o, 0), " ");
    printBetween(stream, "", field(o, 1), " ");
    vortanprintObject(stream, field(o, 2));
    break;
  case vortanTagNotationType: printGroup(stream, "NOTATION (", field(o, 0), " | ", ")"); break;
  case vortanTagEnumeration: printGroup(stream, "(", field(o, 0), " | ", ")"); break;
  case vortanTagFixed:
    put(stream, "#FIXED ");
    printLiteral(stream, field(o, 0));
    break;
  case vortanTagAttValue:
  case vortanTagEntityValue: printLiteral(stream, field(o, 0)); break;
  case vortanTagExternalID:
    vortanprintObject(stream, field(o, 0));
    if (vortanhasTag(field(o, 1), vortanTagNDataDecl))
      printBetween(stream, " NDATA ", field(field(o, 1), 0), "");
    break;
  case vortanTagSystemExternalID: printBetween(stream, "SYSTEM \"", field(o, 0), "\""); break;
  case vortanTagPublicExternalID:
    printBetween(stream, "PUBLIC \"", field(o, 0), "\" \"");
    printBetween(stream, "", field(o, 1), "\"");
    break;
  case vortanTagNDataDecl: printBetween(stream, " NDATA ", field(o, 0), ""); break;
  case vortanTagPublicID: printBetween(stream, "PUBLIC \"", field(o, 0), "\""); break;
  default: break; /* iterators */
  }
}

/* --- indented form ----------------------------------------------------- */

/* Each item of a List after a line feed, indented. */
static void prettyEachOnNewLine(vortanPRINTSTREAM *stream, const void *list, int indent)
{
  vortanITERATOR walk;
  if (!startWalk(&walk, list)) return;
  while (vortanhasNext(&walk)) {
    vortanprintPrintStreamLn(stream);
    vortanprettyPrintAux(stream, vortannext(&walk), indent);
  }
}

/* Items go on a new indented line after a block, text stays where it is. */
static int prettyContent(vortanPRINTSTREAM *stream, const void *content, int indent)
{
  int last = 1, any = 0;
  vortanITERATOR walk;
  if (!startWalk(&walk, field(content, 0))) return 0;
  while (vortanhasNext(&walk)) {
    const void *item = vortannext(&walk);
    if (last && !vortanhasTag(item, vortanTagCharData)) newIndentedLine(stream, indent);
    last = vortanprettyPrintAux(stream, item, indent);
    any = 1;
  }
  return any && last;
}

static void prettyElement(vortanPRINTSTREAM *stream, const void *element, int indent)
{
  printStartTag(stream, element);
  const void *content = contentToPrint(element);
  if (!content) {
    put(stream, "/>");
    return;
  }
  put(stream, ">");
  if (prettyContent(stream, content, indent + 2)) newIndentedLine(stream, indent);
  printBetween(stream, "</", field(element, 0), ">");
}

static void prettyDocTypeDecl(vortanPRINTSTREAM *stream, const void *decl, int indent)
{
  vortanprintPrintStreamLn(stream);
  printDocTypeStart(stream, decl);
  if (hasItems(field(decl, 2))) printGroupAt(stream, " [", field(decl, 2), "", "]>", indent + 2);
  else put(stream, ">");
}

int vortanprettyPrintAux(vortanPRINTSTREAM *stream, const void *o, int indent)
{
  const DeclForm *decl = declFormOf(o);
  if (decl) {
    newIndentedLine(stream, indent);
    printDecl(stream, o, decl);
    return 1;
  }
  switch (vortantagOf(o)) {
  case vortanTagDocument:
    vortanprettyPrintAux(stream, field(o, 0), indent);
    vortanprintPrintStreamLn(stream);
    vortanprettyPrintAux(stream, field(o, 1), indent);
    prettyEachOnNewLine(stream, field(o, 2), indent);
    return 1;
  case vortanTagProlog:
    vortanprettyPrintAux(stream, field(o, 0), indent);
    prettyEachOnNewLine(stream, field(o, 1), indent);
    vortanprintPrintStreamLn(stream);
    vortanprettyPrintAux(stream, field(o, 2), indent);
    prettyEachOnNewLine(stream, field(o, 3), indent);
    return 1;
  case vortanTagXMLDecl: printXMLDecl(stream, o); return 1;
  case vortanTagDocTypeDecl: prettyDocTypeDecl(stream, o, indent); return 1;
  case vortanTagElement: prettyElement(stream, o, indent); return 1;
  case vortanTagContent: return prettyContent(stream, o, indent);
  case vortanTagComment:
  case vortanTagPI:
    vortanprintPrintStreamLn(stream);
    vortanprintObject(stream, o);
    return 1;
  case vortanTagCData:
    if (field(o, 0)) vortanprintPrintStreamLn(stream);
    vortanprintObject(stream, o);
    return 0;
  case vortanTagList: printGroupAt(stream, "(", o, " ", ")", indent); return 1;
  case vortanTagMap: printGroupAt(stream, "[", ((const vortanMAP *)o)->list, ", ", "]", indent); return 0;
  case vortanTagPair:
    for (; vortanisPair(o); o = ((const vortanPAIR *)o)->tail) {
      vortanprettyPrintAux(stream, ((const vortanPAIR *)o)->head, indent);
      put(stream, " ");
    }
    return vortanprettyPrintAux(stream, o, indent);
  default: vortanprintObject(stream, o); return 0;
  }
}

void vortanprettyPrintObject(vortanPRINTSTREAM *stream, const void *object)
{
  if (vortanprettyPrintAux(stream, object, 0)) vortanprintPrintStreamLn(stream);
}

/* Runs print over a print stream made on file, then frees the stream
   records, leaving the file open and unflushed. */
static void printToFile(FILE *file, const void *object,
                        void (*print)(vortanPRINTSTREAM *, const void *))
{
  vortanOUTPUTSTREAM *out = vortannewFileOutputStreamFILE(file);
  vortanPRINTSTREAM *stream = out ? vortannewPrintStream(out) : NULL;
  if (stream) {
    print(stream, object);
    vortandeletePrintStream(stream);
  } else {
    vortandeleteFileOutputStream(out);
  }
}

void vortanprint(FILE *file, const void *object)
{
  printToFile(file, object, vortanprintObject);
}

void vortanprettyPrint(FILE *file, const void *object)
{
  printToFile(file, object, vortanprettyPrintObject);
}

void vortanindentPrint(vortanPRINTSTREAM *stream, int n)
{
  static const char spaces[] = "                                ";
  for (; n > 0; n -= (int)sizeof spaces - 1)
    vortanwritePrintStream(stream, spaces, n < (int)sizeof spaces - 1 ? n : (int)sizeof spaces - 1);
}

const char *vortanisQuoted(const char *text)
{
  return text ? strchr(text, '\'') : NULL;
}

/* The escape of a character that markup would take for itself, or null. */
static const char *escapeOf(char c)
{
  switch (c) {
  case '&': return "&#38;";
  case '<': return "&#60;";
  case '>': return "&#62;";
  case '\'': return "&#39;";
  case '"': return "&#34;";
  default: return NULL;
  }
}

/* The bytes [from, to) in pieces that an int count can hold. */
static void writeRun(vortanPRINTSTREAM *stream, const char *from, const char *to)
{
  while (to > from) {
    int piece = to - from > INT_MAX ? INT_MAX : (int)(to - from);
    if (vortanwritePrintStream(stream, from, piece) <= 0) return;
    from += piece;
  }
}

void vortanprintEscapedString(vortanPRINTSTREAM *stream, const char *text)
{
  if (!text) return;
  const char *run = text;
  for (const char *c = text; *c; ++c) {
    const char *escape = escapeOf(*c);
    if (!escape) continue;
    writeRun(stream, run, c);
    put(stream, escape);
    run = c + 1;
  }
  writeRun(stream, run, run + strlen(run));
}
