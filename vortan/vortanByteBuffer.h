/* A growable byte buffer for accumulating text, made into a String once at
 * the end, instead of copying the whole text at every piece.
 *
 *   vortanByteBuffer b;
 *   vortaninitByteBuffer(&b);
 *   vortanappendByteBuffer(&b, piece, n);   // as often as needed
 *   vortanSTRING *s = vortantakeByteBufferString(&b);   // null if a step failed
 *
 * The capacity doubles as needed (or grows to the size of one bigger
 * piece), so appending is amortised constant time per byte and a buffer
 * holds at most about twice its bytes; sizes are checked against
 * overflow. The first failure (no memory, or a size past SIZE_MAX) is
 * reported once, latched in `failed`, and makes later appends and the take
 * do nothing but fail, so a caller may test only at the end. The bytes may
 * hold NULs; the String made from them ends at the first. */
#ifndef VORTAN_BYTE_BUFFER_H
#define VORTAN_BYTE_BUFFER_H

#include <stddef.h>

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vortanByteBuffer {
  char *bytes;     /* malloc'd, null until the first append */
  size_t length;   /* bytes held, not counting the terminating NUL kept after them */
  size_t capacity; /* bytes allocated */
  int failed;
} vortanByteBuffer;

void vortaninitByteBuffer(vortanByteBuffer *buffer);
/* Append length bytes, one character, or a zero-terminated text. 0, or -1
   once the buffer has failed. */
int vortanappendByteBuffer(vortanByteBuffer *buffer, const char *bytes, size_t length);
int vortanappendByteBufferChar(vortanByteBuffer *buffer, char c);
int vortanappendByteBufferText(vortanByteBuffer *buffer, const char *text);
/* Empties the buffer, keeping its memory for reuse while that is small
   (64 KiB at most, else it is freed); clears a failure. */
void vortanresetByteBuffer(vortanByteBuffer *buffer);
/* Hands the bytes over, zero-terminated, as a malloc'd text (the caller
   frees it) or as a new String; null when the buffer has failed. Either
   way the buffer is left empty, holding no memory. */
char *vortantakeByteBufferText(vortanByteBuffer *buffer);
vortanSTRING *vortantakeByteBufferString(vortanByteBuffer *buffer);
/* Frees the bytes, leaving an empty buffer. */
void vortanfreeByteBuffer(vortanByteBuffer *buffer);

#ifdef __cplusplus
}
#endif

#endif
