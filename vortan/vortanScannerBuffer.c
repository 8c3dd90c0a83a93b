/* The scanner's buffers: where the bytes it reads come from. A buffer over
 * a stream is refilled from vortanin in blocks (from a terminal, a line at
 * a time), vortanin being set to the buffer's stream whenever the buffer
 * becomes current; one over memory is read once. The scanner keeps a
 * buffer of its own over vortanin, which each parse arms afresh, and one
 * for an external file while it is read; the others are the caller's. */
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "vortanInputStream.h"
#include "vortanParseState.h"
#include "vortanRecord.h"
#include "vortanScanner.h"

#define S (vortanparseState.scan)

/* --- reading ------------------------------------------------------------ */

/* Takes the current buffer up: its window, and its stream into vortanin. */
static void load(void)
{
  vortanscanLoadWindow();
  if (S.current->stream) vortanin = S.current->stream;
}

/* Makes the scanner's own buffer current, reading vortanin afresh: 0, or
   -1 after a fatal error. */
static int arm(void)
{
  if (!S.own && !(S.own = vortan_create_buffer(vortanin, vortanInputBufferSize))) return -1;
  vortan_init_buffer(S.own, vortanin);
  vortan_switch_to_buffer(S.own);
  vortanscanDropFrames(&S.none);
  return 0;
}

/* One line from a terminal, a byte at a time; -1 on a read error. */
static int readLine(unsigned char *to, size_t room)
{
  size_t n = 0;
  while (n < room) {
    int c = vortanreadInputStreamChar(vortanin);
    if (c == EOF) {
      if (vortangetInputStreamError(vortanin)) return -1;
      break;
    }
    to[n++] = (unsigned char)c;
    if (c == '\n') break;
  }
  return (int)n;
}

/* Doubles the bytes of b, whose unread ones fill it, so that the bytes a
   token is matched on fit: only the scanner's own bytes can grow. */
static int grow(struct vortanBufferState *b, size_t keep)
{
  size_t size = b->size ? 2 * b->size : 16;
  unsigned char *bytes = b->owned && b->size <= VORTAN_MAX_TOKEN ? vortanAllocator(size + 2) : NULL;
  if (!bytes) {
    vortanscanFail("fatal error - scanner input buffer overflow");
    return -1;
  }
  memcpy(bytes, S.cur, keep);
  free(b->bytes);
  b->bytes = bytes;
  b->size = size;
  S.cur = bytes;
  S.lim = bytes + keep;
  return 0;
}

int vortanscanRefill(void)
{
  struct vortanBufferState *b = S.current;
  if (S.failure || b->frameCount || b->atEnd) return 0;
  if (b == &S.none) {
    if (arm() < 0) return 0;
    b = S.current;
  }
  if (!b->fill) {
    b->atEnd = 1;
    return 0;
  }
  size_t keep = (size_t)(S.lim - S.cur);
  if (keep == b->size && grow(b, keep) < 0) return 0;
  memmove(b->bytes, S.cur, keep);
  size_t room = b->size - keep;
  if (room > vortanInputReadSize) room = vortanInputReadSize;
  int n = b->interactive ? readLine(b->bytes + keep, room)
                         : vortanreadInputStream(vortanin, b->bytes + keep, (int)room);
  if (n < 0) {
    vortanscanFail(b->interactive ? "interactive input in flex scanner failed"
                                  : "input in flex scanner failed");
    n = 0;
  }
  b->base = (vortanInputFrame){b->bytes, keep + (size_t)n, 0, NULL};
  b->bytes[b->base.length] = b->bytes[b->base.length + 1] = 0;
  vortanscanLoadWindow();
  if (S.failure) S.cur = S.lim;
  if (n == 0) b->atEnd = 1;
  return n > 0;
}

/* --- buffers ------------------------------------------------------------ */

vortanBUFFER_STATE vortan_create_buffer(vortanINPUTSTREAM *stream, int size)
{
  struct vortanBufferState *b = size >= 0 ? vortanAllocator(sizeof *b) : NULL;
  unsigned char *bytes = b ? vortanAllocator((size_t)size + 2) : NULL;
  if (!bytes) {
    free(b);
    vortanscanFail("out of dynamic memory in yy_create_buffer()");
    return NULL;
  }
  *b = (struct vortanBufferState){.bytes = bytes, .size = (size_t)size, .owned = 1};
  vortan_init_buffer(b, stream);
  return b;
}

void vortan_delete_buffer(vortanBUFFER_STATE b)
{
  if (!b) return;
  if (b == S.saved) S.saved = NULL;
  if (b == S.own) S.own = NULL;
  if (b == S.external) S.external = NULL;
  if (b == S.current) {
    S.current = &S.none;
    vortanscanLoadWindow();
  }
  vortanscanDropFrames(b);
  if (b->owned) free(b->bytes);
  free(b);
}

void vortan_switch_to_buffer(vortanBUFFER_STATE b)
{
  if (!b || b == S.current) return;
  vortanscanSaveWindow();
  S.current = b;
  load();
}

void vortan_load_buffer_state(void)
{
  vortanscanSaveWindow();
  load();
}

void vortan_flush_buffer(vortanBUFFER_STATE b)
{
  if (!b) return;
  vortanscanDropFrames(b);
  b->base = (vortanInputFrame){b->bytes, 0, 0, NULL};
  b->atEnd = !b->fill;
  if (b == S.current) vortanscanLoadWindow();
}

void vortan_init_buffer(vortanBUFFER_STATE b, vortanINPUTSTREAM *stream)
{
  if (!b) return;
  b->fill = 1;
  b->stream = stream;
  b->interactive = vortanisFileInputStream(stream) && isatty(vortangetFileInputStreamFD(stream));
  vortan_flush_buffer(b);
  if (b == S.current) load();
}

vortanBUFFER_STATE vortan_scan_buffer(char *base, size_t size)
{
  if (!base || size < 2 || base[size - 2] || base[size - 1]) return NULL;
  struct vortanBufferState *b = vortanAllocator(sizeof *b);
  if (!b) {
    vortanscanFail("out of dynamic memory in yy_scan_buffer()");
    return NULL;
  }
  unsigned char *bytes = (unsigned char *)base;
  *b = (struct vortanBufferState){.bytes = bytes, .size = size - 2, .atEnd = 1,
                                  .base = {bytes, size - 2, 0, NULL}};
  vortan_switch_to_buffer(b);
  return b;
}

vortanBUFFER_STATE vortan_scan_bytes(const char *bytes, int length)
{
  if (!bytes || length < 0) {
    vortanscanFail("bad buffer in yy_scan_bytes()");
    return NULL;
  }
  char *copy = vortanAllocator((size_t)length + 2);
  if (!copy) {
    vortanscanFail("out of dynamic memory in yy_scan_bytes()");
    return NULL;
  }
  memcpy(copy, bytes, (size_t)length);
  copy[length] = copy[length + 1] = '\0';
  vortanBUFFER_STATE b = vortan_scan_buffer(copy, (size_t)length + 2);
  if (!b) {
    free(copy);
    return NULL;
  }
  b->owned = 1;
  return b;
}

vortanBUFFER_STATE vortan_scan_string(const char *text)
{
  return vortan_scan_bytes(text, text ? (int)strlen(text) : -1);
}

void vortanflushBuffer(void)
{
  vortan_flush_buffer(S.current);
}

/* --- an external file ---------------------------------------------------- */

void vortansaveBuffer(void)
{
  S.saved = S.current;
}

void vortanswitchToBuffer(void)
{
  struct vortanBufferState *file = S.external;
  if (file && file == S.current && S.saved) {
    vortan_switch_to_buffer(S.saved);
    S.saved = NULL;
    vortan_delete_buffer(file);
    return;
  }
  S.external = vortan_create_buffer(vortanin, vortanInputBufferSize);
  vortan_switch_to_buffer(S.external);
  vortan_delete_buffer(file);
}

/* --- life cycle ---------------------------------------------------------- */

/* What a new input starts from: no failure, line 1, no token text. */
static void resetScan(void)
{
  S.failure = 0;
  S.endTag = 0;
  S.literalLess = 0;
  S.expanded = 0;
  vortanresetByteBuffer(&S.text);
  vortanresetByteBuffer(&S.pending);
  vortanLineNo = 1;
  vortantext = "";
  vortanleng = 0;
}

void vortanscanStart(void)
{
  if (!vortanout) vortanout = stdout;
  resetScan();
  S.condition = vortanInPROLOG;
  S.depth = 0;
  S.saved = NULL;
  vortan_delete_buffer(S.external);
  arm();
}

void vortanscanFinish(void)
{
  vortanscanDropFrames(S.current);
  vortanscanDropFrames(&S.none);
  vortan_delete_buffer(S.external);
  S.saved = NULL;
  if (S.own) vortan_flush_buffer(S.own);
  free(S.stack);
  S.stack = NULL;
  S.depth = S.stackCapacity = 0;
  vortanfreeByteBuffer(&S.text);
  vortanfreeByteBuffer(&S.pending);
}

void vortanrestart(vortanINPUTSTREAM *stream)
{
  resetScan();
  vortanin = stream;
  if (S.current == &S.none) arm();
  else vortan_init_buffer(S.current, stream);
}
