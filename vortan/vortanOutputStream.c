#include "vortanOutputStream.h"

#include <zlib.h>

#include "vortanPrintStream.h"
#include "vortanStream.h"

enum { fileTag = vortanTagFileOutputStream, gzTag = vortanTagGZIPOutputStream };

/* File output */

vortanOUTPUTSTREAM *vortannewFileOutputStreamFILE(FILE *file)
{
  return vortannewStream(fileTag, file);
}

vortanOUTPUTSTREAM *vortannewFileOutputStreamString(const char *path)
{
  return vortanopenFileStream(fileTag, path, "w");
}

vortanOUTPUTSTREAM *vortannewFileOutputStreamFD(int fd)
{
  return vortanopenFileStreamFD(fileTag, fd, "w");
}

void vortandeleteFileOutputStream(vortanOUTPUTSTREAM *stream)
{
  vortandeleteStream(stream, fileTag);
}

int vortanisFileOutputStream(const void *record)
{
  return vortanisStream(record, fileTag);
}

int vortangetFileOutputStreamFD(const vortanOUTPUTSTREAM *stream)
{
  return vortanfileStreamFD(stream, fileTag);
}

int vortangetFileOutputStreamEOS(const vortanOUTPUTSTREAM *stream)
{
  return vortanfileStreamEOS(stream, fileTag);
}

int vortanflushFileOutputStream(vortanOUTPUTSTREAM *stream)
{
  FILE *file = vortanstreamHandle(stream, fileTag);
  return file ? fflush(file) : -1;
}

int vortanwriteFileOutputStreamChar(vortanOUTPUTSTREAM *stream, int c)
{
  FILE *file = vortanstreamHandle(stream, fileTag);
  return file ? fputc(c, file) : -1;
}

int vortanwriteFileOutputStream(vortanOUTPUTSTREAM *stream, const void *buffer, int count)
{
  FILE *file = vortantransferHandle(stream, fileTag, buffer, count);
  if (!file) return -1;
  size_t written = fwrite(buffer, 1, (size_t)count, file);
  return written == 0 && ferror(file) ? -1 : (int)written;
}

int vortancloseFileOutputStream(vortanOUTPUTSTREAM *stream)
{
  return vortanclosefileStream(stream, fileTag);
}

int vortangetFileOutputStreamError(const vortanOUTPUTSTREAM *stream)
{
  return vortanfileStreamError(stream, fileTag);
}

const char *vortangetFileOutputStreamErrorString(const vortanOUTPUTSTREAM *stream)
{
  return vortanfileStreamErrorString(stream, fileTag);
}

/* Gzip output */

vortanOUTPUTSTREAM *vortannewGZIPOutputStream(vortanOUTPUTSTREAM *fileStream)
{
  return vortannewGZIPStream(gzTag, fileStream, fileTag, "wb");
}

vortanOUTPUTSTREAM *vortannewGZIPOutputStreamFD(int fd)
{
  return vortanopenGZIPStreamFD(gzTag, fd, "wb");
}

void vortandeleteGZIPOutputStream(vortanOUTPUTSTREAM *stream)
{
  vortandeleteStream(stream, gzTag);
}

int vortanisGZIPOutputStream(const void *record)
{
  return vortanisStream(record, gzTag);
}

int vortangetGZIPOutputStreamEOS(const vortanOUTPUTSTREAM *stream)
{
  return vortangzStreamEOS(stream, gzTag);
}

int vortanflushGZIPOutputStream(vortanOUTPUTSTREAM *stream)
{
  gzFile gz = vortanstreamHandle(stream, gzTag);
  return gz ? gzflush(gz, Z_SYNC_FLUSH) : -1;
}

int vortanwriteGZIPOutputStreamChar(vortanOUTPUTSTREAM *stream, int c)
{
  gzFile gz = vortanstreamHandle(stream, gzTag);
  return gz ? gzputc(gz, c) : -1;
}

int vortanwriteGZIPOutputStream(vortanOUTPUTSTREAM *stream, const void *buffer, int count)
{
  gzFile gz = vortantransferHandle(stream, gzTag, buffer, count);
  if (!gz) return -1;
  if (count == 0) return 0;
  int written = gzwrite(gz, buffer, (unsigned)count);
  return written == 0 ? -1 : written;
}

int vortancloseGZIPOutputStream(vortanOUTPUTSTREAM *stream)
{
  return vortanclosegzStream(stream, gzTag);
}

int vortangetGZIPOutputStreamError(const vortanOUTPUTSTREAM *stream)
{
  return vortangzStreamError(stream, gzTag);
}

const char *vortangetGZIPOutputStreamErrorString(const vortanOUTPUTSTREAM *stream)
{
  return vortangzStreamErrorString(stream, gzTag);
}

/* Any kind: a PrintStream or a gzip stream goes to its own operations,
   anything else to the file operations, which refuse what is not a file
   stream. */

void vortandeleteOutputStream(vortanOUTPUTSTREAM *stream)
{
  if (vortanisPrintStream(stream)) vortandeletePrintStream(stream);
  else if (vortanisGZIPOutputStream(stream)) vortandeleteGZIPOutputStream(stream);
  else vortandeleteFileOutputStream(stream);
}

int vortanisOutputStream(const void *record)
{
  return vortanisFileOutputStream(record) || vortanisGZIPOutputStream(record) ||
         vortanisPrintStream(record);
}

int vortangetOutputStreamEOS(const vortanOUTPUTSTREAM *stream)
{
  if (vortanisPrintStream(stream)) return vortangetPrintStreamEOS(stream);
  if (vortanisGZIPOutputStream(stream)) return vortangetGZIPOutputStreamEOS(stream);
  return vortangetFileOutputStreamEOS(stream);
}

int vortanflushOutputStream(vortanOUTPUTSTREAM *stream)
{
  if (vortanisPrintStream(stream)) return vortanflushPrintStream(stream);
  if (vortanisGZIPOutputStream(stream)) return vortanflushGZIPOutputStream(stream);
  return vortanflushFileOutputStream(stream);
}

int vortanwriteOutputStreamChar(vortanOUTPUTSTREAM *stream, int c)
{
  if (vortanisPrintStream(stream)) return vortanwritePrintStreamChar(stream, c);
  if (vortanisGZIPOutputStream(stream)) return vortanwriteGZIPOutputStreamChar(stream, c);
  return vortanwriteFileOutputStreamChar(stream, c);
}

int vortanwriteOutputStream(vortanOUTPUTSTREAM *stream, const void *buffer, int count)
{
  if (vortanisPrintStream(stream)) return vortanwritePrintStream(stream, buffer, count);
  if (vortanisGZIPOutputStream(stream)) return vortanwriteGZIPOutputStream(stream, buffer, count);
  return vortanwriteFileOutputStream(stream, buffer, count);
}

int vortancloseOutputStream(vortanOUTPUTSTREAM *stream)
{
  if (vortanisPrintStream(stream)) return vortanclosePrintStream(stream);
  if (vortanisGZIPOutputStream(stream)) return vortancloseGZIPOutputStream(stream);
  return vortancloseFileOutputStream(stream);
}

int vortangetOutputStreamError(const vortanOUTPUTSTREAM *stream)
{
  if (vortanisPrintStream(stream)) return vortangetPrintStreamError(stream);
  if (vortanisGZIPOutputStream(stream)) return vortangetGZIPOutputStreamError(stream);
  return vortangetFileOutputStreamError(stream);
}

const char *vortangetOutputStreamErrorString(const vortanOUTPUTSTREAM *stream)
{
  if (vortanisPrintStream(stream)) return vortangetPrintStreamErrorString(stream);
  if (vortanisGZIPOutputStream(stream)) return vortangetGZIPOutputStreamErrorString(stream);
  return vortangetFileOutputStreamErrorString(stream);
}
