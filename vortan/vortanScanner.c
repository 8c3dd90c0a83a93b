/* The scanner: one function per start condition, reading the current input
 * frame byte by byte. A token's bytes never need to stay in the buffer:
 * values are gathered into byte buffers as they are read, and fixed texts
 * are matched after `ensure` has made enough bytes contiguous, so a keyword,
 * a "]]>" or a CR LF cut by a buffer refill is seen whole. Every byte is
 * taken as unsigned; a NUL is a byte like any other. Where the bytes come
 * from, the buffers, is vortanScannerBuffer.c. */
#include "vortanScanner.h"

#include <stdlib.h>
#include <string.h>

#include "vortanCharClass.h"
#include "vortanErrors.h"
#include "vortanFormat.h"
#include "vortanMessages.h"
#include "vortanParseState.h"
#include "vortanRecord.h"
#include "vortanReferenceTable.h"

vortanINPUTSTREAM *vortanin = NULL;
FILE *vortanout = NULL;
vortanSTYPE vortanlval;
const char *vortantext = "";
int vortanleng = 0;
int vortanLineNo = 1;

vortanParseState vortanparseState = {.scan.current = &vortanparseState.scan.none};

#define S (vortanparseState.scan)

enum { SKIP = -1 }; /* a rule that returns no token: scanning goes on */

/* --- failure ----------------------------------------------------------- */

void vortanscanFail(const char *message)
{
  if (!S.failure && message) vortanfatalError(message);
  S.failure = 1;
  S.cur = S.lim;
}

/* A well-formedness failure naming an entity. */
static void entityFailure(const char *format, const char *name)
{
  vortanreportf(vortanwellFormedConstraintFailure, format, name);
  vortanscanFail(NULL);
}

int vortanscanTextFits(size_t length, size_t more)
{
  if (length <= vortanMaxText && more <= vortanMaxText - length) return 1;
  vortanreportf(vortanwellFormedConstraintFailure, "The text at line %d runs past the %d bytes a text may hold.",
                vortanLineNo, vortanMaxText);
  vortanscanFail(NULL);
  return 0;
}

/* --- input frames ------------------------------------------------------ */

static vortanInputFrame *topFrame(void)
{
  struct vortanBufferState *b = S.current;
  return b->frameCount ? &b->frames[b->frameCount - 1] : &b->base;
}

void vortanscanSaveWindow(void)
{
  vortanInputFrame *frame = topFrame();
  frame->pos = frame->text ? (size_t)(S.cur - frame->text) : 0;
}

void vortanscanLoadWindow(void)
{
  vortanInputFrame *frame = topFrame();
  S.cur = frame->text ? frame->text + frame->pos : NULL;
  S.lim = frame->text ? frame->text + frame->length : NULL;
}

static void freeTopFrame(struct vortanBufferState *b)
{
  vortanInputFrame *frame = &b->frames[--b->frameCount];
  free(frame->text);
  free(frame->name);
}

static void popFrame(void)
{
  freeTopFrame(S.current);
  vortanscanLoadWindow();
}

void vortanscanDropFrames(struct vortanBufferState *b)
{
  int reading = b == S.current && b->frameCount; /* else the window stays as it is */
  while (b->frameCount) freeTopFrame(b);
  free(b->frames);
  b->frames = NULL;
  b->frameCapacity = 0;
  if (reading) vortanscanLoadWindow();
}

/* The frame of the entity name of that kind, when it is open. */
static int isOpen(const char *name, char kind)
{
  const struct vortanBufferState *b = S.current;
  for (size_t i = 0; i < b->frameCount; ++i) {
    const char *open = b->frames[i].name;
    if (open && open[0] == kind && strcmp(open + 1, name) == 0) return 1;
  }
  return 0;
}

static int growFrames(void)
{
  struct vortanBufferState *b = S.current;
  if (b->frameCount < b->frameCapacity) return 0;
  size_t capacity = b->frameCapacity ? 2 * b->frameCapacity : 8;
  vortanInputFrame *frames = VORTAN_ALLOCATE(capacity * sizeof *frames);
  if (!frames) return -1;
  if (b->frameCount) memcpy(frames, b->frames, b->frameCount * sizeof *frames);
  free(b->frames);
  b->frames = frames;
  b->frameCapacity = capacity;
  return 0;
}

/* Counts entity text against the document's budget. */
static int spend(size_t length, const char *name)
{
  if (length > VORTAN_MAX_EXPANSION - S.expanded) {
    entityFailure("The entity '%s' expands past the 16 MiB a document may expand to.", name);
    return -1;
  }
  S.expanded += length;
  return 0;
}

int vortanscanPushEntity(const char *name, int parameter, const char *prefix, const char *text,
                         const char *suffix)
{
  if (S.failure) return -1;
  char kind = parameter ? '%' : '&';
  if (name && isOpen(name, kind)) {
    entityFailure("The entity '%s' is recursively referenced.", name);
    return -1;
  }
  size_t a = prefix ? strlen(prefix) : 0, b = text ? strlen(text) : 0, c = suffix ? strlen(suffix) : 0;
  if (a + b + c == 0) return 0;
  if (name && spend(a + b + c, name) < 0) return -1;
  unsigned char *copy = VORTAN_ALLOCATE(a + b + c + 1);
  char *label = NULL;
  if (copy && name && (label = VORTAN_ALLOCATE(strlen(name) + 2))) {
    label[0] = kind;
    strcpy(label + 1, name);
  }
  if (!copy || (name && !label) || growFrames() < 0) {
    free(copy);
    free(label);
    vortanscanFail(NULL);
    return -1;
  }
  memcpy(copy, prefix ? prefix : "", a);
  memcpy(copy + a, text ? text : "", b);
  memcpy(copy + a + b, suffix ? suffix : "", c + 1);
  vortanscanSaveWindow();
  S.current->frames[S.current->frameCount++] = (vortanInputFrame){copy, a + b + c, 0, label};
  vortanscanLoadWindow();
  return 0;
}

void vortanUnputString(const char *text)
{
  if (text && *text) vortanscanPushEntity(NULL, 0, NULL, text, NULL);
}

/* --- reading the current buffer ---------------------------------------- */

/* Makes n bytes readable at cur when the input has them (within the
   current frame); returns how many are. */
static size_t ensure(size_t n)
{
  while ((size_t)(S.lim - S.cur) < n && vortanscanRefill() > 0) {
  }
  return (size_t)(S.lim - S.cur);
}

/* A byte to read in the current frame (refilling the bottom one). */
static int frameHasByte(void)
{
  return S.cur < S.lim || vortanscanRefill() > 0;
}

/* A byte to read, leaving exhausted entity frames for the one below. */
static int haveByte(void)
{
  while (S.cur == S.lim) {
    if (S.failure) return 0;
    if (S.current->frameCount) popFrame();
    else if (vortanscanRefill() <= 0) return 0;
  }
  return 1;
}

/* Inline, so that each fixed text is compared in a few instructions. */
static inline int lookingAt(const char *literal, size_t n)
{
  return ensure(n) >= n && memcmp(S.cur, literal, n) == 0;
}
#define LOOKING_AT(literal) lookingAt(literal, sizeof literal - 1)

/* The byte i places after cur, or -1. */
static int peek(size_t i)
{
  return ensure(i + 1) > i ? S.cur[i] : -1;
}

/* --- texts and tokens -------------------------------------------------- */

/* Checked as the text grows, so that a huge one is refused when the bound
   is passed, not once it has all been read. */
static int put(vortanByteBuffer *buffer, const void *bytes, size_t n)
{
  if (!vortanscanTextFits(buffer->length, n)) return -1;
  if (vortanappendByteBuffer(buffer, bytes, n) < 0) {
    vortanscanFail(NULL);
    return -1;
  }
  return 0;
}

static int putByte(vortanByteBuffer *buffer, int c)
{
  unsigned char byte = (unsigned char)c;
  return put(buffer, &byte, 1);
}

static int textIs(const char *keyword)
{
  size_t n = strlen(keyword);
  return S.text.length == n && memcmp(S.text.bytes, keyword, n) == 0;
}

static int token(int code, const char *text)
{
  vortantext = text;
  vortanleng = (int)strlen(text);
  return code;
}

/* Consumes n bytes and returns the token. */
static int shift(size_t n, int code, const char *text)
{
  S.cur += n;
  return token(code, text);
}

/* A token whose value is a copy of the buffer's text. */
static int valueToken(int code, const vortanByteBuffer *buffer)
{
  size_t n = buffer->length;
  const char *bytes = buffer->bytes ? buffer->bytes : "";
  char *copy = VORTAN_ALLOCATE(n + 1);
  if (!copy) {
    vortanscanFail(NULL);
    return 0;
  }
  memcpy(copy, bytes, n);
  copy[n] = '\0';
  vortanlval.string = copy;
  vortantext = bytes;
  vortanleng = (int)n;
  return code;
}

/* A byte no rule expects, consumed. */
static int invalid(void)
{
  static char text[2];
  text[0] = S.cur < S.lim ? (char)*S.cur++ : '\0';
  return token(VORTAN_INVALID, text);
}

/* --- start conditions -------------------------------------------------- */

static int push(int condition)
{
  if (S.depth == S.stackCapacity) {
    size_t capacity = S.stackCapacity + vortanConditionStackStep;
    int *stack = vortanAllocator(capacity * sizeof *stack);
    if (!stack) {
      vortanscanFail("out of memory expanding start-condition stack");
      return -1;
    }
    if (S.depth) memcpy(stack, S.stack, S.depth * sizeof *stack);
    free(S.stack);
    S.stack = stack;
    S.stackCapacity = capacity;
  }
  S.stack[S.depth++] = S.condition;
  S.condition = condition;
  return 0;
}

static int pop(void)
{
  if (!S.depth) {
    vortanscanFail("start-condition stack underflow");
    return -1;
  }
  S.condition = S.stack[--S.depth];
  return 0;
}

/* Consumes n bytes, pushes condition and returns the token. */
static int enter(size_t n, int condition, int code, const char *text)
{
  S.cur += n;
  push(condition);
  return token(code, text);
}

/* Consumes n bytes, pops and returns the token. */
static int leave(size_t n, int code, const char *text)
{
  S.cur += n;
  pop();
  return token(code, text);
}

/* Opens a literal read by condition: its text gathers in `pending`. */
static int openLiteral(int condition)
{
  S.cur++;
  vortanresetByteBuffer(&S.pending);
  S.literalLess = 0;
  push(condition);
  return SKIP;
}

/* --- pieces shared by the conditions ----------------------------------- */

/* Skips white space, counting LF (so CR LF once, a lone CR not). */
static int skipSpace(void)
{
  while (frameHasByte() && vortanhasClass(*S.cur, vortanSpace)) {
    if (*S.cur == '\n') ++vortanLineNo;
    ++S.cur;
  }
  return SKIP;
}

/* Appends to buffer the run of bytes of class cls at cur, within the frame. */
static int run(vortanByteBuffer *buffer, int cls)
{
  for (;;) {
    const unsigned char *p = S.cur;
    while (p < S.lim && vortanhasClass(*p, cls)) ++p;
    if (put(buffer, S.cur, (size_t)(p - S.cur)) < 0) return -1;
    S.cur = p;
    if (p < S.lim || !frameHasByte()) return 0;
  }
}

/* The name at cur (its first byte a name start) into `text`. */
static void scanName(void)
{
  vortanresetByteBuffer(&S.text);
  run(&S.text, vortanNameChar);
}

/* At a quote: a quoted word whose first byte has class first and the
   others class rest, into `text`. 0 when it is not one. */
static int quotedWord(int first, int rest)
{
  int quote = *S.cur++;
  vortanresetByteBuffer(&S.text);
  if (!frameHasByte() || !vortanhasClass(*S.cur, first) || run(&S.text, rest) < 0) return 0;
  if (!frameHasByte() || *S.cur != quote) return 0;
  ++S.cur;
  return 1;
}

/* A line end at cur (CR or LF): appends one LF to buffer (when given) and
   counts a line for LF and CR LF, and for a lone CR when loneCR is set. */
static void lineEnd(vortanByteBuffer *buffer, int loneCR)
{
  if (*S.cur == '\r' && peek(1) != '\n') {
    ++S.cur;
    if (loneCR) ++vortanLineNo;
  } else {
    S.cur += *S.cur == '\r' ? 2 : 1;
    ++vortanLineNo;
  }
  if (buffer) putByte(buffer, '\n');
}

/* At "&#": a character reference, whose number's low 8 bits give the
   character. 0 when the bytes are not one. */
static int charRef(int *character)
{
  S.cur += 2;
  int hex = frameHasByte() && *S.cur == 'x';
  if (hex) ++S.cur;
  vortanresetByteBuffer(&S.text);
  if (!frameHasByte() || run(&S.text, hex ? vortanHexDigit : vortanDigit) < 0 || !S.text.length)
    return 0;
  if (!frameHasByte() || *S.cur != ';') return 0;
  ++S.cur;
  *character = (int)(strtol(S.text.bytes, NULL, hex ? 16 : 10) & 0xFF);
  /* A NUL would end the text it stands in and lose the rest: it is no
     more a character here than a NUL byte is. */
  return *character != 0;
}

/* At '&' or '%': a reference "&name;" or "%name;", the name into `text`. 0
   when the bytes are not one. */
static int referenceName(void)
{
  ++S.cur;
  if (!frameHasByte() || !vortanhasClass(*S.cur, vortanNameStart)) return 0;
  scanName();
  if (!frameHasByte() || *S.cur != ';') return 0;
  ++S.cur;
  return 1;
}

/* At '%': a parameter-entity reference, whose text is read next between
   prefix and a space. */
static int parameterReference(const char *prefix)
{
  if (!referenceName()) return token(VORTAN_INVALID, "%");
  vortanscanPushEntity(S.text.bytes, 1, prefix, vortangetPEntity(S.text.bytes), " ");
  return SKIP;
}

/* At '&' in content: a character reference, or an entity whose text is
   read next. */
static int contentReference(void)
{
  if (peek(1) == '#') {
    if (!charRef(&vortanlval.character)) return token(VORTAN_INVALID, "&");
    return token(VORTAN_CHARREF, "&#;");
  }
  if (!referenceName()) return token(VORTAN_INVALID, "&");
  vortanscanPushEntity(S.text.bytes, 0, NULL, vortangetGEntity(S.text.bytes), NULL);
  return token(VORTAN_REFERENCE, "&;");
}

/* '<' in the prolog, the DTD or content. */
static int comment(void)
{
  vortanresetByteBuffer(&S.pending);
  return enter(4, vortanInCOMMENT, VORTAN_COMMENT_OPEN, "<!--");
}

static int xmlDeclOpen(void)
{
  return LOOKING_AT("<?xml") && ensure(6) >= 6 && vortanhasClass(S.cur[5], vortanSpace);
}

static int lexProlog(void)
{
  if (vortanhasClass(*S.cur, vortanSpace)) return skipSpace();
  if (*S.cur != '<') return invalid();
  if (xmlDeclOpen()) return enter(5, vortanInXMLDECL, VORTAN_XMLDECL_OPEN, "<?xml");
  if (LOOKING_AT("<!--")) return comment();
  if (LOOKING_AT("<?")) return enter(2, vortanInPI_TARGET, VORTAN_PI_OPEN, "<?");
  if (LOOKING_AT("<!DOCTYPE")) return enter(9, vortanInDOCTYPE, VORTAN_DOCTYPE_OPEN, "<!DOCTYPE");
  S.endTag = 0;
  if (push(vortanInCONTENT) == 0) enter(1, vortanInTAG, VORTAN_STAG_OPEN, "<");
  return token(VORTAN_STAG_OPEN, "<");
}

static int doctypeMarkup(void)
{
  if (LOOKING_AT("<!--")) return comment();
  if (xmlDeclOpen()) return shift(5, VORTAN_XMLDECL_OPEN, "<?xml");
  if (LOOKING_AT("<?")) return enter(2, vortanInPI_TARGET, VORTAN_PI_OPEN, "<?");
  if (LOOKING_AT("<!ELEMENT")) return enter(9, vortanInELEMENT_DECL, VORTAN_ELEMENT_OPEN, "<!ELEMENT");
  if (LOOKING_AT("<!ATTLIST")) return enter(9, vortanInATTLIST_DECL, VORTAN_ATTLIST_OPEN, "<!ATTLIST");
  if (LOOKING_AT("<!ENTITY")) {
    if (push(vortanInENTITY_DEF) == 0) enter(8, vortanInENTITY_NAME, VORTAN_ENTITY, "<!ENTITY");
    return token(VORTAN_ENTITY, "<!ENTITY");
  }
  if (LOOKING_AT("<!NOTATION")) return enter(10, vortanInDOCTYPE, VORTAN_NOTATION, "<!NOTATION");
  /* A parameter entity may supply a declaration's keyword. */
  if (LOOKING_AT("<!%")) {
    S.cur += 2;
    return parameterReference("<!");
  }
  if (LOOKING_AT("<%")) {
    S.cur += 1;
    return parameterReference("<");
  }
  return invalid();
}

static int lexDoctype(void)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (vortanhasClass(c, vortanNameStart)) {
    scanName();
    if (textIs("SYSTEM")) return valueToken(VORTAN_SYSTEM, &S.text);
    if (textIs("PUBLIC")) return valueToken(VORTAN_PUBLIC, &S.text);
    if (textIs("version")) return push(vortanInVERSION_VALUE), token(VORTAN_VERSION, "version");
    if (textIs("encoding")) return push(vortanInENCODING_VALUE), token(VORTAN_ENCODING, "encoding");
    return valueToken(VORTAN_NAME, &S.text);
  }
  switch (c) {
  case '<': return doctypeMarkup();
  case '[': return shift(1, VORTAN_LSQB, "[");
  case ']': return shift(1, VORTAN_RSQB, "]");
  case '=': return shift(1, VORTAN_EQ, "=");
  case '>': return leave(1, VORTAN_CLOSE, ">");
  case '"': return openLiteral(vortanInLITERAL_DQ);
  case '\'': return openLiteral(vortanInLITERAL_SQ);
  case '%': return parameterReference(" ");
  case '?':
    if (LOOKING_AT("?>")) return shift(2, VORTAN_CLOSE, "?>");
    break;
  }
  return invalid();
}

/* A run of character data: up to '<', '&', a byte never in text, "]]>" or
   the end of the frame; line ends become LF and are all counted. */
static int charData(void)
{
  vortanresetByteBuffer(&S.text);
  while (!S.failure) {
    const unsigned char *p = S.cur;
    while (p < S.lim && !vortanhasClass(*p, vortanTextStop)) ++p;
    put(&S.text, S.cur, (size_t)(p - S.cur));
    S.cur = p;
    if (p == S.lim) {
      if (!frameHasByte()) break;
      continue;
    }
    if (*p == '\n' || *p == '\r') {
      lineEnd(&S.text, 1);
    } else if (*p == ']' && !LOOKING_AT("]]>")) {
      putByte(&S.text, ']');
      ++S.cur;
    } else {
      break;
    }
  }
  return valueToken(VORTAN_CHARDATA, &S.text);
}

static int lexContent(void)
{
  int c = *S.cur;
  if (c == '<') {
    if (LOOKING_AT("<!--")) return comment();
    if (LOOKING_AT("<![CDATA[")) {
      vortanresetByteBuffer(&S.pending);
      return enter(9, vortanInCDATA_SECTION, VORTAN_CDATA_OPEN, "<![CDATA[");
    }
    if (LOOKING_AT("<?")) return enter(2, vortanInPI_TARGET, VORTAN_PI_OPEN, "<?");
    if (LOOKING_AT("</")) {
      S.endTag = 1;
      if (pop() == 0) enter(2, vortanInTAG, VORTAN_ETAG_OPEN, "</");
      return token(VORTAN_ETAG_OPEN, "</");
    }
    S.endTag = 0;
    if (push(vortanInCONTENT) == 0) enter(1, vortanInTAG, VORTAN_STAG_OPEN, "<");
    return token(VORTAN_STAG_OPEN, "<");
  }
  if (c == '&') return contentReference();
  /* "]]>" may only close a CDATA section. */
  if (c == ']' && LOOKING_AT("]]>")) return shift(3, VORTAN_INVALID, "]]>");
  if (vortanhasClass(c, vortanBadText)) return invalid();
  return charData();
}

static int lexTag(void)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (vortanhasClass(c, vortanNameStart)) {
    scanName();
    return valueToken(VORTAN_NAME, &S.text);
  }
  switch (c) {
  case '=': return shift(1, VORTAN_EQ, "=");
  case '>': return leave(1, VORTAN_CLOSE, ">");
  case '\'': return openLiteral(vortanInATTVALUE_SQ);
  case '"': return openLiteral(vortanInATTVALUE_DQ);
  case '/':
    /* An end tag has no "/>": popping twice there would unbalance the stack. */
    if (!S.endTag && LOOKING_AT("/>")) {
      if (pop() == 0) leave(2, VORTAN_EMPTY_CLOSE, "/>");
      return token(VORTAN_EMPTY_CLOSE, "/>");
    }
    break;
  }
  return invalid();
}

/* TAB, LF and CR of an attribute value become spaces. */
static void normalizeSpaces(vortanByteBuffer *buffer)
{
  for (size_t i = 0; i < buffer->length; ++i)
    if (buffer->bytes[i] == '\t' || buffer->bytes[i] == '\n' || buffer->bytes[i] == '\r')
      buffer->bytes[i] = ' ';
}

/* The inside of a quoted attribute value; entity text pushed by the parser
   is read as part of it. */
static int lexAttValue(int quote)
{
  while (haveByte()) {
    const unsigned char *p = S.cur;
    while (p < S.lim && !vortanhasClass(*p, vortanLiteralStop)) ++p;
    put(&S.pending, S.cur, (size_t)(p - S.cur));
    S.cur = p;
    if (p == S.lim) continue;
    int c = *p, character;
    if (c == quote) {
      ++S.cur;
      pop();
      normalizeSpaces(&S.pending);
      return valueToken(VORTAN_ATTVALUE, &S.pending);
    }
    switch (c) {
    case '<': S.literalLess = 1; /* fall through */
    case '\'':
    case '"':
    case '%': putByte(&S.pending, c); ++S.cur; break;
    case '\n':
    case '\r': lineEnd(&S.pending, 0); break;
    case '&':
      if (peek(1) == '#') {
        if (!charRef(&character)) return token(VORTAN_INVALID, "&");
        putByte(&S.pending, character);
        break;
      }
      if (!referenceName()) return token(VORTAN_INVALID, "&");
      return valueToken(VORTAN_REFERENCE, &S.text);
    default: return invalid();
    }
  }
  return 0;
}

/* Text up to a closing delimiter, line ends becoming LF (LF and CR LF
   counted): the inside of a comment, a PI, a CDATA section. `stop` is the
   delimiter's first byte; `close` tells at a stop byte whether the text is
   complete (then the delimiter is left unread) and otherwise consumes what
   it takes. Returns 1 when complete, 0 at the end of input. */
static int gather(int stop, int (*close)(void))
{
  while (haveByte()) {
    const unsigned char *p = S.cur;
    while (p < S.lim && *p != stop && *p != '\n' && *p != '\r' && !vortanhasClass(*p, vortanBadText))
      ++p;
    put(&S.pending, S.cur, (size_t)(p - S.cur));
    S.cur = p;
    if (p == S.lim) continue;
    if (*p == '\n' || *p == '\r') lineEnd(&S.pending, 0);
    else if (*p != stop) return -1;
    else if (close()) return 1;
  }
  return 0;
}

/* "--" inside a comment is dropped with a warning; "-->" ends it. */
static int commentClose(void)
{
  if (peek(1) == '-' && peek(2) == '>') return 1;
  if (peek(1) == '-' && peek(2) >= 0) {
    vortancompatibilityError("Invalid comment");
    S.cur += 2;
  } else {
    putByte(&S.pending, *S.cur++);
  }
  return 0;
}

/* A comment or a CDATA section: its text, gathered up to its three-byte
   delimiter, which is then passed over. */
static int lexEnclosed(int stop, int (*close)(void), int code)
{
  int done = gather(stop, close);
  if (done < 0) return invalid();
  if (!done) return 0;
  S.cur += 3;
  pop();
  return valueToken(code, &S.pending);
}

static int piClose(void)
{
  if (peek(1) == '>') return 1;
  putByte(&S.pending, *S.cur++);
  return 0;
}

static int cdataClose(void)
{
  if (peek(1) == ']' && peek(2) == '>') return 1;
  putByte(&S.pending, *S.cur++);
  return 0;
}

static int lexPITarget(void)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (vortanhasClass(c, vortanNameStart)) {
    scanName();
    if (push(vortanInPI_AFTER_TARGET) < 0) return 0;
    return valueToken(VORTAN_NAME, &S.text);
  }
  if (LOOKING_AT("?>")) return leave(2, VORTAN_CLOSE, "?>");
  return invalid();
}

static int lexPIAfterTarget(void)
{
  if (LOOKING_AT("?>")) {
    if (pop() == 0) leave(2, VORTAN_CLOSE, "?>");
    return token(VORTAN_CLOSE, "?>");
  }
  if (!vortanhasClass(*S.cur, vortanSpace)) return invalid();
  while (frameHasByte() && vortanhasClass(*S.cur, vortanSpace)) {
    if (*S.cur == '\n' || *S.cur == '\r') lineEnd(NULL, 1);
    else ++S.cur;
  }
  vortanresetByteBuffer(&S.pending);
  S.condition = vortanInPI_TEXT;
  return SKIP;
}

/* The text of a PI; its "?>" is left for PI_TARGET to close. */
static int lexPIText(void)
{
  int done = gather('?', piClose);
  if (done < 0) return invalid();
  if (!done) return 0;
  pop();
  return S.pending.length ? valueToken(VORTAN_PI_TEXT, &S.pending) : SKIP;
}

static int lexXMLDecl(void)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (vortanhasClass(c, vortanNameStart)) {
    scanName();
    if (textIs("version")) return push(vortanInVERSION_VALUE), token(VORTAN_VERSION, "version");
    if (textIs("encoding")) return token(VORTAN_ENCODING, "encoding");
    if (textIs("standalone")) return token(VORTAN_STANDALONE, "standalone");
    return token(VORTAN_INVALID, "");
  }
  switch (c) {
  case '=': return shift(1, VORTAN_EQ, "=");
  case '\'':
  case '"':
    if (!quotedWord(vortanLetter, vortanEncoding)) return token(VORTAN_INVALID, "");
    return valueToken(VORTAN_NAME, &S.text);
  case '?':
    if (LOOKING_AT("?>")) return leave(2, VORTAN_CLOSE, "?>");
    break;
  }
  return invalid();
}

/* The value after "version" or "encoding": white space, "=" and the
   quoted word, which pops. */
static int lexDeclValue(int first, int rest, int code)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (c == '=') return shift(1, VORTAN_EQ, "=");
  if (c != '\'' && c != '"') return invalid();
  if (!quotedWord(first, rest)) return token(VORTAN_INVALID, "");
  if (pop() < 0) return 0;
  return valueToken(code, &S.text);
}

static int lexElementDecl(void)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (vortanhasClass(c, vortanNameStart)) {
    scanName();
    return valueToken(VORTAN_NAME, &S.text);
  }
  switch (c) {
  case '%': return parameterReference(" ");
  case '(': return shift(1, VORTAN_LPAR, "(");
  case ')': return shift(1, VORTAN_RPAR, ")");
  case '|': return shift(1, VORTAN_BAR, "|");
  case '?': return shift(1, VORTAN_QMARK, "?");
  case '*': return shift(1, VORTAN_STAR, "*");
  case '+': return shift(1, VORTAN_PLUS, "+");
  case ',': return shift(1, VORTAN_COMMA, ",");
  case '>': return leave(1, VORTAN_CLOSE, ">");
  case '#':
    if (LOOKING_AT("#PCDATA")) return shift(7, VORTAN_PCDATA, "#PCDATA");
    break;
  }
  return invalid();
}

/* The attribute-type keywords, matched against a whole Name. */
static const struct {
  const char *text;
  int code;
} attributeTypes[] = {
  {"ID", VORTAN_ID},
  {"IDREF", VORTAN_IDREF},
  {"IDREFS", VORTAN_IDREFS},
  {"ENTITY", VORTAN_ENTITY},
  {"ENTITIES", VORTAN_ENTITIES},
  {"NMTOKEN", VORTAN_NMTOKEN_TYPE},
  {"NMTOKENS", VORTAN_NMTOKENS_TYPE},
  {"NOTATION", VORTAN_NOTATION},
};

static int lexAttlistDecl(void)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (vortanhasClass(c, vortanNameChar)) {
    vortanresetByteBuffer(&S.text);
    run(&S.text, vortanNameChar);
    if (!vortanhasClass(c, vortanNameStart)) return valueToken(VORTAN_NMTOKEN, &S.text);
    if (textIs("CDATA")) return valueToken(VORTAN_CDATA, &S.text);
    for (size_t i = 0; i < sizeof attributeTypes / sizeof attributeTypes[0]; ++i)
      if (textIs(attributeTypes[i].text)) return token(attributeTypes[i].code, attributeTypes[i].text);
    return valueToken(VORTAN_NAME, &S.text);
  }
  switch (c) {
  case '%': return parameterReference(" ");
  case '(': return shift(1, VORTAN_LPAR, "(");
  case ')': return shift(1, VORTAN_RPAR, ")");
  case '|': return shift(1, VORTAN_BAR, "|");
  case '>': return leave(1, VORTAN_CLOSE, ">");
  case '\'': return openLiteral(vortanInATTVALUE_SQ);
  case '"': return openLiteral(vortanInATTVALUE_DQ);
  case '#':
    if (LOOKING_AT("#REQUIRED")) return shift(9, VORTAN_REQUIRED, "#REQUIRED");
    if (LOOKING_AT("#IMPLIED")) return shift(8, VORTAN_IMPLIED, "#IMPLIED");
    if (LOOKING_AT("#FIXED")) return shift(6, VORTAN_FIXED, "#FIXED");
    break;
  }
  return invalid();
}

/* An entity declaration before its definition: "%", the name, then a
   literal value or an external identifier, either of which moves on. */
static int lexEntityName(void)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (vortanhasClass(c, vortanNameStart)) {
    scanName();
    int keyword = textIs("PUBLIC") ? VORTAN_PUBLIC : textIs("SYSTEM") ? VORTAN_SYSTEM : 0;
    if (!keyword) return valueToken(VORTAN_NAME, &S.text);
    if (pop() < 0) return 0;
    return valueToken(keyword, &S.text);
  }
  switch (c) {
  case '%':
    if (peek(1) >= 0 && vortanhasClass(peek(1), vortanNameStart)) return parameterReference(" ");
    return shift(1, VORTAN_PERCENT, "%");
  case '"':
  case '\'':
    if (pop() < 0) return 0;
    return openLiteral(c == '"' ? vortanInENTITY_VALUE_DQ : vortanInENTITY_VALUE_SQ);
  }
  return invalid();
}

static int lexEntityDef(void)
{
  int c = *S.cur;
  if (vortanhasClass(c, vortanSpace)) return skipSpace();
  if (vortanhasClass(c, vortanNameStart)) {
    scanName();
    if (textIs("NDATA")) return token(VORTAN_NDATA, "NDATA");
    return valueToken(VORTAN_NAME, &S.text);
  }
  switch (c) {
  case '%': return parameterReference(" ");
  case '"': return openLiteral(vortanInLITERAL_DQ);
  case '\'': return openLiteral(vortanInLITERAL_SQ);
  case '>': return leave(1, VORTAN_CLOSE, ">");
  }
  return invalid();
}

/* A literal entity value: parameter entities give their text at once,
   general-entity references stay as they are. */
static int lexEntityValue(int quote)
{
  while (haveByte()) {
    const unsigned char *p = S.cur;
    while (p < S.lim && !vortanhasClass(*p, vortanLiteralStop)) ++p;
    put(&S.pending, S.cur, (size_t)(p - S.cur));
    S.cur = p;
    if (p == S.lim) continue;
    int c = *p, character;
    if (c == quote) {
      ++S.cur;
      pop();
      return valueToken(VORTAN_ENTITYVALUE, &S.pending);
    }
    switch (c) {
    case '<':
    case '\'':
    case '"': putByte(&S.pending, c); ++S.cur; break;
    case '\n':
    case '\r': lineEnd(&S.pending, 0); break;
    case '%': {
      if (!referenceName()) return token(VORTAN_INVALID, "%");
      const char *text = vortangetPEntity(S.text.bytes);
      if (spend(strlen(text), S.text.bytes) == 0) put(&S.pending, text, strlen(text));
      break;
    }
    case '&':
      if (peek(1) == '#') {
        if (!charRef(&character)) return token(VORTAN_INVALID, "&");
        putByte(&S.pending, character);
        break;
      }
      if (!referenceName()) return token(VORTAN_INVALID, "&");
      putByte(&S.pending, '&');
      put(&S.pending, S.text.bytes, S.text.length);
      putByte(&S.pending, ';');
      break;
    default: return invalid();
    }
  }
  return 0;
}

/* A quoted literal of an external identifier: a public identifier until a
   byte that no public identifier holds, a system literal from then on. */
static int lexLiteral(int quote, int system)
{
  while (haveByte()) {
    int c = *S.cur;
    if (c == quote) {
      ++S.cur;
      pop();
      return valueToken(system ? VORTAN_SYSTEMLITERAL : VORTAN_PUBIDLITERAL, &S.pending);
    }
    if (c == '\n' || c == '\r') {
      lineEnd(&S.pending, 0);
      continue;
    }
    if (vortanhasClass(c, vortanBadText)) return invalid();
    if (!system && !vortanhasClass(c, vortanPubid)) {
      system = 1;
      S.condition = quote == '"' ? vortanInSYSTEM_LITERAL_DQ : vortanInSYSTEM_LITERAL_SQ;
    }
    putByte(&S.pending, c);
    ++S.cur;
  }
  return 0;
}

static int lexCondition(void)
{
  switch (S.condition) {
  case vortanInPROLOG: return lexProlog();
  case vortanInDOCTYPE: return lexDoctype();
  case vortanInCONTENT: return lexContent();
  case vortanInCOMMENT: return lexEnclosed('-', commentClose, VORTAN_COMMENT_TEXT);
  case vortanInXMLDECL: return lexXMLDecl();
  case vortanInPI_TARGET: return lexPITarget();
  case vortanInPI_AFTER_TARGET: return lexPIAfterTarget();
  case vortanInPI_TEXT: return lexPIText();
  case vortanInTAG: return lexTag();
  case vortanInELEMENT_DECL: return lexElementDecl();
  case vortanInENTITY_DEF: return lexEntityDef();
  case vortanInENTITY_NAME: return lexEntityName();
  case vortanInENTITY_VALUE_DQ: return lexEntityValue('"');
  case vortanInENTITY_VALUE_SQ: return lexEntityValue('\'');
  case vortanInATTLIST_DECL: return lexAttlistDecl();
  case vortanInCDATA_SECTION: return lexEnclosed(']', cdataClose, VORTAN_CDATA);
  case vortanInVERSION_VALUE: return lexDeclValue(vortanVersion, vortanVersion, VORTAN_VERSIONNUM);
  case vortanInATTVALUE_SQ: return lexAttValue('\'');
  case vortanInATTVALUE_DQ: return lexAttValue('"');
  case vortanInLITERAL_DQ: return lexLiteral('"', 0);
  case vortanInSYSTEM_LITERAL_DQ: return lexLiteral('"', 1);
  case vortanInLITERAL_SQ: return lexLiteral('\'', 0);
  case vortanInSYSTEM_LITERAL_SQ: return lexLiteral('\'', 1);
  case vortanInENCODING_VALUE: return lexDeclValue(vortanLetter, vortanEncoding, VORTAN_NAME);
  }
  vortanscanFail("fatal flex scanner internal error--no action found");
  return 0;
}

int vortanlex(void)
{
  vortanlval.string = NULL;
  for (;;) {
    if (S.failure || !haveByte()) break;
    int code = lexCondition();
    if (S.failure) {
      if (code != VORTAN_CHARREF) free(vortanlval.string);
      break;
    }
    if (code != SKIP) return code;
  }
  vortanlval.string = NULL;
  return token(VORTAN_END, "");
}
