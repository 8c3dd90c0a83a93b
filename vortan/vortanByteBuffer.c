#include "vortanByteBuffer.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "vortanRecord.h"
#include "vortanString.h"

enum { firstCapacity = 64, keptCapacity = 1 << 16 };

void vortaninitByteBuffer(vortanByteBuffer *buffer)
{
  buffer->bytes = NULL;
  buffer->length = 0;
  buffer->capacity = 0;
  buffer->failed = 0;
}

/* Room for needed bytes plus the terminating NUL. */
static int reserve(vortanByteBuffer *buffer, size_t needed)
{
  if (needed == SIZE_MAX) {
    VORTAN_REPORT_NO_MEMORY();
    return -1;
  }
  if (needed + 1 <= buffer->capacity) return 0;
  /* Twice what was held, or just what is needed when that is more: a
     buffer grown piece by piece holds at most twice its bytes, and one big
     piece takes no more than its size. */
  size_t capacity = buffer->capacity > SIZE_MAX / 2 ? SIZE_MAX : 2 * buffer->capacity;
  if (capacity < firstCapacity) capacity = firstCapacity;
  if (capacity < needed + 1) capacity = needed + 1;
  char *bytes = VORTAN_ALLOCATE(capacity);
  if (!bytes) return -1;
  if (buffer->length) memcpy(bytes, buffer->bytes, buffer->length);
  free(buffer->bytes);
  buffer->bytes = bytes;
  buffer->capacity = capacity;
  return 0;
}

int vortanappendByteBuffer(vortanByteBuffer *buffer, const char *bytes, size_t length)
{
  if (buffer->failed) return -1;
  if (length > SIZE_MAX - buffer->length) {
    VORTAN_REPORT_NO_MEMORY();
    buffer->failed = 1;
    return -1;
  }
  if (reserve(buffer, buffer->length + length) < 0) {
    buffer->failed = 1;
    return -1;
  }
  if (length) memcpy(buffer->bytes + buffer->length, bytes, length);
  buffer->length += length;
  buffer->bytes[buffer->length] = '\0';
  return 0;
}

int vortanappendByteBufferChar(vortanByteBuffer *buffer, char c)
{
  return vortanappendByteBuffer(buffer, &c, 1);
}

int vortanappendByteBufferText(vortanByteBuffer *buffer, const char *text)
{
  return vortanappendByteBuffer(buffer, text, strlen(text));
}

void vortanresetByteBuffer(vortanByteBuffer *buffer)
{
  /* Memory stays for the next text only while it is small: a buffer that
     once held a huge text would hold that much ever after. */
  if (buffer->capacity > keptCapacity) {
    vortanfreeByteBuffer(buffer);
    return;
  }
  buffer->length = 0;
  buffer->failed = 0;
  if (buffer->bytes) buffer->bytes[0] = '\0';
}

char *vortantakeByteBufferText(vortanByteBuffer *buffer)
{
  if (!buffer->failed && !buffer->bytes && reserve(buffer, 0) == 0) buffer->bytes[0] = '\0';
  char *text = buffer->failed ? NULL : buffer->bytes;
  if (!text) free(buffer->bytes);
  vortaninitByteBuffer(buffer);
  return text;
}

vortanSTRING *vortantakeByteBufferString(vortanByteBuffer *buffer)
{
  char *text = vortantakeByteBufferText(buffer);
  if (!text) return NULL;
  vortanSTRING *string = vortannewString(text);
  if (!string) free(text);
  return string;
}

void vortanfreeByteBuffer(vortanByteBuffer *buffer)
{
  free(buffer->bytes);
  vortaninitByteBuffer(buffer);
}
