#include "vortanStream.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <zlib.h>

#include "vortanRecord.h"

int vortanisStream(const void *record, int32_t tag)
{
  return vortanhasTag(record, tag);
}

void *vortanstreamHandle(const void *stream, int32_t tag)
{
  void *handle = vortanhasTag(stream, tag) ? ((const vortanStream *)stream)->handle : NULL;
  if (!handle) errno = EINVAL;
  return handle;
}

void *vortantransferHandle(const void *stream, int32_t tag, const void *buffer, int count)
{
  if (!buffer || count < 0) {
    errno = EINVAL;
    return NULL;
  }
  return vortanstreamHandle(stream, tag);
}

void *vortannewStream(int32_t tag, void *handle)
{
  vortanStream *stream = vortanAllocator(sizeof *stream);
  if (!stream) {
    errno = ENOMEM;
    return NULL;
  }
  stream->tag = tag;
  stream->handle = handle;
  return stream;
}

void vortandeleteStream(void *stream, int32_t tag)
{
  if (vortanhasTag(stream, tag)) vortanfreeRecord(stream);
  else errno = EINVAL;
}

/* Frees a record whose file could not be opened, keeping the reason. */
static void *discard(void *stream)
{
  int reason = errno;
  vortanfreeRecord(stream);
  errno = reason;
  return NULL;
}

void *vortanopenFileStream(int32_t tag, const char *path, const char *mode)
{
  if (!path) {
    errno = EINVAL;
    return NULL;
  }
  vortanStream *stream = vortannewStream(tag, NULL);
  if (stream && !(stream->handle = fopen(path, mode))) return discard(stream);
  return stream;
}

void *vortanopenFileStreamFD(int32_t tag, int fd, const char *mode)
{
  vortanStream *stream = vortannewStream(tag, NULL);
  if (stream && !(stream->handle = fdopen(fd, mode))) return discard(stream);
  return stream;
}

int vortanfileStreamFD(const void *stream, int32_t tag)
{
  FILE *file = vortanstreamHandle(stream, tag);
  return file ? fileno(file) : -1;
}

int vortanfileStreamEOS(const void *stream, int32_t tag)
{
  FILE *file = vortanstreamHandle(stream, tag);
  return file ? feof(file) != 0 : -1;
}

int vortanfileStreamError(const void *stream, int32_t tag)
{
  FILE *file = vortanstreamHandle(stream, tag);
  return file ? ferror(file) != 0 : -1;
}

const char *vortanfileStreamErrorString(const void *stream, int32_t tag)
{
  FILE *file = vortanstreamHandle(stream, tag);
  if (!file) return strerror(EINVAL);
  return ferror(file) ? strerror(errno) : "";
}

/* Closes the handle of a record of that tag with close; 0 when closed already. */
static int closeWith(void *stream, int32_t tag, int (*close)(void *handle))
{
  if (!vortanhasTag(stream, tag)) {
    errno = EINVAL;
    return -1;
  }
  vortanStream *s = stream;
  if (!s->handle) return 0;
  int result = close(s->handle);
  s->handle = NULL;
  return result;
}

static int closeFile(void *handle)
{
  return fclose(handle);
}

int vortanclosefileStream(void *stream, int32_t tag)
{
  return closeWith(stream, tag, closeFile);
}

void *vortannewGZIPStream(int32_t tag, void *fileStream, int32_t fileTag, const char *mode)
{
  FILE *file = vortanstreamHandle(fileStream, fileTag);
  if (!file) return NULL;
  vortanStream *stream = vortannewStream(tag, NULL);
  if (!stream) return NULL;
  /* Flushing writes what is buffered, or for input moves the descriptor
     back to what was really read. */
  fflush(file);
  int fd = dup(fileno(file));
  if (fd < 0) return discard(stream);
  errno = 0;
  if (!(stream->handle = gzdopen(fd, mode))) {
    close(fd);
    if (!errno) errno = ENOMEM;
    return discard(stream);
  }
  fclose(file);
  vortanfreeRecord(fileStream);
  return stream;
}

void *vortanopenGZIPStreamFD(int32_t tag, int fd, const char *mode)
{
  if (fd < 0) {
    errno = EINVAL;
    return NULL;
  }
  vortanStream *stream = vortannewStream(tag, NULL);
  errno = 0;
  if (stream && !(stream->handle = gzdopen(fd, mode))) {
    if (!errno) errno = ENOMEM;
    return discard(stream);
  }
  return stream;
}

int vortangzStreamEOS(const void *stream, int32_t tag)
{
  gzFile gz = vortanstreamHandle(stream, tag);
  return gz ? gzeof(gz) != 0 : 1;
}

int vortangzStreamError(const void *stream, int32_t tag)
{
  gzFile gz = vortanstreamHandle(stream, tag);
  if (!gz) return EINVAL;
  int number;
  gzerror(gz, &number);
  return number == Z_ERRNO ? errno : number;
}

const char *vortangzStreamErrorString(const void *stream, int32_t tag)
{
  gzFile gz = vortanstreamHandle(stream, tag);
  if (!gz) return strerror(EINVAL);
  int number;
  const char *message = gzerror(gz, &number);
  if (number == Z_ERRNO) return strerror(errno);
  const char *name = strstr(message, ">: ");
  return strncmp(message, "<fd:", 4) == 0 && name ? name + 3 : message;
}

static int closeGZIP(void *handle)
{
  return gzclose(handle);
}

int vortanclosegzStream(void *stream, int32_t tag)
{
  return closeWith(stream, tag, closeGZIP);
}
