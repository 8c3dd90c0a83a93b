/* Input byte streams over stdio files (FileInputStream, tag 54) and zlib
 * gzip files (GZIPInputStream, tag 55), and the generic input operations
 * that take either.
 *
 * Nothing is printed: a null, wrong or closed record, a null buffer or a
 * negative count sets errno to EINVAL and gives -1 (null from constructors,
 * strerror(EINVAL) from the error strings, nothing from deletes), except
 * that the gzip EOS test answers 1 and the gzip error number 22. A
 * constructor that runs out of memory sets ENOMEM; one that cannot open its
 * file leaves errno as the C library set it. Deleting a record never closes
 * its file; closing twice returns 0 the second time. */
#ifndef VORTAN_INPUT_STREAM_H
#define VORTAN_INPUT_STREAM_H

#include <stdio.h>

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* File input. FILE may be null: the stream then refuses every operation. */
vortanINPUTSTREAM *vortannewFileInputStreamFILE(FILE *file);
vortanINPUTSTREAM *vortannewFileInputStreamString(const char *path);
vortanINPUTSTREAM *vortannewFileInputStreamFD(int fd);
void vortandeleteFileInputStream(vortanINPUTSTREAM *stream);
int vortanisFileInputStream(const void *record);
int vortangetFileInputStreamFD(const vortanINPUTSTREAM *stream);
int vortangetFileInputStreamEOS(const vortanINPUTSTREAM *stream);
/* The next byte, or EOF. */
int vortanreadFileInputStreamChar(vortanINPUTSTREAM *stream);
/* Up to count bytes: the number read, 0 at end of file, -1 on error. */
int vortanreadFileInputStream(vortanINPUTSTREAM *stream, void *buffer, int count);
int vortancloseFileInputStream(vortanINPUTSTREAM *stream);
int vortangetFileInputStreamError(const vortanINPUTSTREAM *stream);
/* strerror(errno) when the error indicator is set, else "". */
const char *vortangetFileInputStreamErrorString(const vortanINPUTSTREAM *stream);

/* Gzip input; an uncompressed file reads through as it is. Made from a
   FileInputStream, it takes the file over and frees that record (on
   failure the file stream is left as it was). */
vortanINPUTSTREAM *vortannewGZIPInputStream(vortanINPUTSTREAM *fileStream);
/* Takes the descriptor over: closing the stream closes it. */
vortanINPUTSTREAM *vortannewGZIPInputStreamFD(int fd);
void vortandeleteGZIPInputStream(vortanINPUTSTREAM *stream);
int vortanisGZIPInputStream(const void *record);
int vortangetGZIPInputStreamEOS(const vortanINPUTSTREAM *stream);
/* The next decompressed byte, or -1. */
int vortanreadGZIPInputStreamChar(vortanINPUTSTREAM *stream);
/* gzread's result: the bytes given, 0 at the end, -1 on error, also at
   the end of a stream cut short of its gzip member's end. */
int vortanreadGZIPInputStream(vortanINPUTSTREAM *stream, void *buffer, int count);
int vortancloseGZIPInputStream(vortanINPUTSTREAM *stream);
/* gzerror's number (errno for Z_ERRNO): 0 up to and at a proper end,
   Z_BUF_ERROR once a stream cut short has ended. The string is zlib's
   message, "" while there is no error. */
int vortangetGZIPInputStreamError(const vortanINPUTSTREAM *stream);
const char *vortangetGZIPInputStreamErrorString(const vortanINPUTSTREAM *stream);

/* Either kind. */
void vortandeleteInputStream(vortanINPUTSTREAM *stream);
int vortanisInputStream(const void *record);
int vortangetInputStreamEOS(const vortanINPUTSTREAM *stream);
int vortanreadInputStreamChar(vortanINPUTSTREAM *stream);
int vortanreadInputStream(vortanINPUTSTREAM *stream, void *buffer, int count);
int vortancloseInputStream(vortanINPUTSTREAM *stream);
int vortangetInputStreamError(const vortanINPUTSTREAM *stream);
const char *vortangetInputStreamErrorString(const vortanINPUTSTREAM *stream);

#ifdef __cplusplus
}
#endif

#endif
