/* Output byte streams over stdio files (FileOutputStream, tag 56) and zlib
 * gzip files (GZIPOutputStream, tag 57), and the generic output operations,
 * which also take a PrintStream (tag 58, vortanPrintStream.h) and forward
 * to the stream it wraps.
 *
 * Failures follow the input streams (vortanInputStream.h): EINVAL and -1
 * for a null, wrong or closed record, a null buffer or a negative count;
 * the gzip and print EOS tests answer 1 and their error numbers 22 instead.
 * Nothing is printed; deleting never closes or flushes the file. */
#ifndef VORTAN_OUTPUT_STREAM_H
#define VORTAN_OUTPUT_STREAM_H

#include <stdio.h>

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* File output. FILE may be null: the stream then refuses every operation. */
vortanOUTPUTSTREAM *vortannewFileOutputStreamFILE(FILE *file);
vortanOUTPUTSTREAM *vortannewFileOutputStreamString(const char *path);
vortanOUTPUTSTREAM *vortannewFileOutputStreamFD(int fd);
void vortandeleteFileOutputStream(vortanOUTPUTSTREAM *stream);
int vortanisFileOutputStream(const void *record);
int vortangetFileOutputStreamFD(const vortanOUTPUTSTREAM *stream);
int vortangetFileOutputStreamEOS(const vortanOUTPUTSTREAM *stream);
int vortanflushFileOutputStream(vortanOUTPUTSTREAM *stream);
/* fputc: the byte written, or EOF. */
int vortanwriteFileOutputStreamChar(vortanOUTPUTSTREAM *stream, int c);
/* The number of bytes written, -1 when none was and the error indicator
   is set. */
int vortanwriteFileOutputStream(vortanOUTPUTSTREAM *stream, const void *buffer, int count);
int vortancloseFileOutputStream(vortanOUTPUTSTREAM *stream);
int vortangetFileOutputStreamError(const vortanOUTPUTSTREAM *stream);
const char *vortangetFileOutputStreamErrorString(const vortanOUTPUTSTREAM *stream);

/* Gzip output. Made from a FileOutputStream, it takes the file over (what
   was buffered is written first) and frees that record. */
vortanOUTPUTSTREAM *vortannewGZIPOutputStream(vortanOUTPUTSTREAM *fileStream);
vortanOUTPUTSTREAM *vortannewGZIPOutputStreamFD(int fd);
void vortandeleteGZIPOutputStream(vortanOUTPUTSTREAM *stream);
int vortanisGZIPOutputStream(const void *record);
int vortangetGZIPOutputStreamEOS(const vortanOUTPUTSTREAM *stream);
/* gzflush with Z_SYNC_FLUSH: 0 (Z_OK) or a zlib error. */
int vortanflushGZIPOutputStream(vortanOUTPUTSTREAM *stream);
int vortanwriteGZIPOutputStreamChar(vortanOUTPUTSTREAM *stream, int c);
/* The number of bytes taken; -1 when zlib takes none of a non-empty buffer. */
int vortanwriteGZIPOutputStream(vortanOUTPUTSTREAM *stream, const void *buffer, int count);
int vortancloseGZIPOutputStream(vortanOUTPUTSTREAM *stream);
/* gzerror's number (errno for Z_ERRNO), also at the end of the stream. */
int vortangetGZIPOutputStreamError(const vortanOUTPUTSTREAM *stream);
const char *vortangetGZIPOutputStreamErrorString(const vortanOUTPUTSTREAM *stream);

/* Any of the three kinds. */
void vortandeleteOutputStream(vortanOUTPUTSTREAM *stream);
int vortanisOutputStream(const void *record);
int vortangetOutputStreamEOS(const vortanOUTPUTSTREAM *stream);
int vortanflushOutputStream(vortanOUTPUTSTREAM *stream);
int vortanwriteOutputStreamChar(vortanOUTPUTSTREAM *stream, int c);
int vortanwriteOutputStream(vortanOUTPUTSTREAM *stream, const void *buffer, int count);
int vortancloseOutputStream(vortanOUTPUTSTREAM *stream);
int vortangetOutputStreamError(const vortanOUTPUTSTREAM *stream);
const char *vortangetOutputStreamErrorString(const vortanOUTPUTSTREAM *stream);

#ifdef __cplusplus
}
#endif

#endif
