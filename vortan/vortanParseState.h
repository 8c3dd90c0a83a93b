/* Inside the toolkit: every piece of mutable state of the scanner and the
 * parser, gathered in one record, vortanparseState. Beside it stand only
 * the public globals that callers name (vortanin, vortanast, vortanlval,
 * vortantext, vortanleng, vortanLineNo, vortanout). Making parsing per-call
 * or putting it under a lock touches this record and nothing else.
 *
 * The input is a buffer holding a stack of frames: the bottom one is the
 * document's bytes, read from a stream into the buffer's bytes as they are
 * needed, or given in memory; each frame above it is the copied text of an
 * entity being expanded, or of pushed-back text. */
#ifndef VORTAN_PARSE_STATE_H
#define VORTAN_PARSE_STATE_H

#include <stddef.h>

#include "vortanByteBuffer.h"
#include "vortanListBuilder.h"
#include "vortanParser.h"
#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The scanner's start conditions. */
enum vortanCondition {
  vortanInPROLOG,
  vortanInDOCTYPE,
  vortanInCONTENT,
  vortanInCOMMENT,
  vortanInXMLDECL,
  vortanInPI_TARGET,
  vortanInPI_AFTER_TARGET,
  vortanInPI_TEXT,
  vortanInTAG,
  vortanInELEMENT_DECL,
  vortanInENTITY_DEF,
  vortanInENTITY_NAME,
  vortanInENTITY_VALUE_DQ,
  vortanInENTITY_VALUE_SQ,
  vortanInATTLIST_DECL,
  vortanInCDATA_SECTION,
  vortanInVERSION_VALUE,
  vortanInATTVALUE_SQ,
  vortanInATTVALUE_DQ,
  vortanInLITERAL_DQ,
  vortanInSYSTEM_LITERAL_DQ,
  vortanInLITERAL_SQ,
  vortanInSYSTEM_LITERAL_SQ,
  vortanInENCODING_VALUE,
  vortanConditionCount
};

enum {
  vortanInputBufferSize = 16384, /* plus two end bytes */
  vortanInputReadSize = 8192,
  vortanConditionStackStep = 25,
  vortanMaxNesting = 10000,      /* open elements, or open particle groups */
  /* The longest text, entities expanded: a run of character data, an
     attribute value, a name, a comment, a processing instruction, a
     literal. Trusted parsers bound texts so, and a document that holds
     more is taken for an attack on memory, not for data. */
  vortanMaxText = 10000000,
};
/* The most the input buffer grows to, and the most entity text expanded
   in one document. */
#define VORTAN_MAX_TOKEN ((size_t)1 << 30)
#define VORTAN_MAX_EXPANSION ((size_t)16 << 20)

typedef struct vortanInputFrame {
  unsigned char *text; /* the frame's bytes (the input buffer for the bottom frame) */
  size_t length;       /* bytes held */
  size_t pos;          /* next byte to read, saved while a frame above is read */
  char *name;          /* "&name" or "%name" for an entity, null otherwise */
} vortanInputFrame;

/* A buffer the scanner reads (vortanBUFFER_STATE): bytes refilled from a
   stream, or bytes in memory read once. The bottom frame reads its bytes;
   the frames above it hold text pushed back into this buffer, read first,
   and stay with it while another buffer is read. */
struct vortanBufferState {
  unsigned char *bytes; /* size + 2 bytes */
  size_t size;          /* the bytes it may hold, the two end bytes apart */
  int owned;            /* the bytes are freed with the buffer, and may grow */
  int fill;             /* refilled from stream; 0 for bytes in memory */
  int interactive;      /* a terminal: read a line at a time */
  int atEnd;            /* no byte is left to read into the bottom frame */
  vortanINPUTSTREAM *stream;
  vortanInputFrame base;
  vortanInputFrame *frames;
  size_t frameCount, frameCapacity;
};

typedef struct vortanScanState {
  /* The buffer read, never null: `none` stands in until a buffer is
     chosen, and then the scanner's own buffer is armed on vortanin. */
  struct vortanBufferState *current;
  struct vortanBufferState none;
  struct vortanBufferState *own;      /* over vortanin, kept from parse to parse */
  struct vortanBufferState *saved;    /* the buffer to return to after an external file */
  struct vortanBufferState *external; /* the buffer reading that file, owned here */
  size_t expanded; /* entity text pushed since the parse began */

  /* The unread bytes of the current buffer's top frame. */
  const unsigned char *cur, *lim;

  int condition;
  int *stack;
  size_t depth, stackCapacity;
  int endTag;      /* the TAG condition is inside an end tag */
  int literalLess; /* a '<' stood in the attribute value being read */

  vortanByteBuffer text;    /* the current token's text */
  vortanByteBuffer pending; /* text gathered across rules: literal, comment, ... */
  int failure;              /* set after a fatal error: every token is then the end */
} vortanScanState;

/* One open element while its content is read. */
typedef struct vortanOpenElement {
  vortanELEMENT *element;
  vortanListBuilder content;
} vortanOpenElement;

typedef struct vortanParserState {
  int running;    /* a parse is under way: vortanparse refuses to start another */
  int result;     /* 0, or the failing result once the parse must stop */
  int token;      /* the lookahead token */
  char *value;    /* its text, owned until taken */
  int character;  /* its character, for CHARREF */

  vortanMAP *versions; /* the document type's version Map in the registry, or null */
  int firstElement;    /* the next start tag is the document's first */
  int isExtern;        /* copied into every declaration */
  int groupDepth;      /* open particle groups */

  vortanOpenElement *open; /* the element stack, the root at 0 */
  size_t openCount, openCapacity;
  /* A run of character data: its first piece, and the whole run once a
     second piece has come. */
  int inText;
  char *firstPiece;
  vortanByteBuffer text;

  vortanCharDataContentHandler onCharData;
  vortanStartDocumentContentHandler onStartDocument;
  vortanEndDocumentContentHandler onEndDocument;
  vortanStartElementContentHandler onStartElement;
  vortanEndElementContentHandler onEndElement;
} vortanParserState;

typedef struct vortanParseState {
  vortanScanState scan;
  vortanParserState parse;
} vortanParseState;

extern vortanParseState vortanparseState;

/* The scanner's side of a parse. */
/* Starts reading vortanin afresh: no frame, no buffered byte, PROLOG with an
   empty stack, line 1, no failure. */
void vortanscanStart(void);
/* Frees what the scanner holds for one document (frames, stacks, texts);
   the input buffer is kept for the next. */
void vortanscanFinish(void);
/* Reads text next, before what is left, as the entity name expands
   (parameter: a parameter entity), between prefix and suffix (either may be
   null). A name already open on the stack, or entity text past the
   document's budget, stops the parse with its well-formedness message: -1,
   and every token is then the end. -1 too after a fatal error. */
int vortanscanPushEntity(const char *name, int parameter, const char *prefix, const char *text,
                         const char *suffix);
/* Ends the parse with a fatal message on standard error: the scanner gives
   only the end from now on. */
void vortanscanFail(const char *message);

/* Between the scanner and its buffers. cur and lim always span the rest of
   the current buffer's top frame: SaveWindow stores the position in the
   frame, LoadWindow takes the window from it. */
void vortanscanSaveWindow(void);
void vortanscanLoadWindow(void);
/* Frees the frames pushed into buffer. */
void vortanscanDropFrames(struct vortanBufferState *buffer);
/* When the current buffer's bottom frame is read and more may come: moves
   its unread bytes to the start and reads more after them. 1 when bytes
   came; 0 at the end of the input, with a frame above the bottom one, or
   after a fatal error. */
int vortanscanRefill(void);

#ifdef __cplusplus
}
#endif

#endif
