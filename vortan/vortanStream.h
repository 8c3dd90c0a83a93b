/* Inside the toolkit: the stream records and what their kinds share. Every
 * helper takes the tag the record must carry; failures set errno (EINVAL
 * for a null, wrong or closed record, ENOMEM when allocation fails) and
 * print nothing. */
#ifndef VORTAN_STREAM_H
#define VORTAN_STREAM_H

#include <stdint.h>
#include <stdio.h>

#include "vortanTags.h"

/* Every stream record, input or output, whatever its public type. */
typedef struct vortanStream {
  int32_t tag;
  void *handle; /* FILE*, gzFile (null once closed), or the stream a PrintStream wraps */
} vortanStream;

int vortanisStream(const void *record, int32_t tag);
/* The handle of a record of that tag, or null (EINVAL) for anything else
   and for a closed stream. */
void *vortanstreamHandle(const void *stream, int32_t tag);
/* The same for reading or writing count bytes at buffer: also null
   (EINVAL) for a null buffer or a negative count. */
void *vortantransferHandle(const void *stream, int32_t tag, const void *buffer, int count);
/* A record of that tag over handle; null with ENOMEM. */
void *vortannewStream(int32_t tag, void *handle);
/* Frees a record of that tag, leaving its file as it is (else EINVAL). */
void vortandeleteStream(void *stream, int32_t tag);

/* Stdio streams, for input and output alike. */
void *vortanopenFileStream(int32_t tag, const char *path, const char *mode);
void *vortanopenFileStreamFD(int32_t tag, int fd, const char *mode);
int vortanfileStreamFD(const void *stream, int32_t tag);
int vortanfileStreamEOS(const void *stream, int32_t tag);
int vortanfileStreamError(const void *stream, int32_t tag);
const char *vortanfileStreamErrorString(const void *stream, int32_t tag);
int vortanclosefileStream(void *stream, int32_t tag);

/* Gzip streams. The one made from a file stream reads or writes a duplicate
   of its descriptor and closes the FILE, so nothing of it is lost. */
void *vortannewGZIPStream(int32_t tag, void *fileStream, int32_t fileTag, const char *mode);
void *vortanopenGZIPStreamFD(int32_t tag, int fd, const char *mode);
int vortangzStreamEOS(const void *stream, int32_t tag);
/* gzerror's number, errno for Z_ERRNO; EINVAL for a wrong record. A
   stream that ends before its gzip member does (cut anywhere, its trailer
   missing) holds Z_BUF_ERROR from then on, though zlib reads it as an end. */
int vortangzStreamError(const void *stream, int32_t tag);
/* gzerror's message without the name zlib gives the descriptor in front
   of it ("<fd:5>: "), which no caller chose; strerror(errno) for Z_ERRNO. */
const char *vortangzStreamErrorString(const void *stream, int32_t tag);
int vortanclosegzStream(void *stream, int32_t tag);

#endif
