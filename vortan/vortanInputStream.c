#include "vortanInputStream.h"

#include <zlib.h>

#include "vortanStream.h"

enum { fileTag = vortanTagFileInputStream, gzTag = vortanTagGZIPInputStream };

/* File input */

vortanINPUTSTREAM *vortannewFileInputStreamFILE(FILE *file)
{
  return vortannewStream(fileTag, file);
}

vortanINPUTSTREAM *vortannewFileInputStreamString(const char *path)
{
  return vortanopenFileStream(fileTag, path, "r");
}

vortanINPUTSTREAM *vortannewFileInputStreamFD(int fd)
{
  return vortanopenFileStreamFD(fileTag, fd, "r");
}

void vortandeleteFileInputStream(vortanINPUTSTREAM *stream)
{
  vortandeleteStream(stream, fileTag);
}

int vortanisFileInputStream(const void *record)
{
  return vortanisStream(record, fileTag);
}

int vortangetFileInputStreamFD(const vortanINPUTSTREAM *stream)
{
  return vortanfileStreamFD(stream, fileTag);
}

int vortangetFileInputStreamEOS(const vortanINPUTSTREAM *stream)
{
  return vortanfileStreamEOS(stream, fileTag);
}

int vortanreadFileInputStreamChar(vortanINPUTSTREAM *stream)
{
  FILE *file = vortanstreamHandle(stream, fileTag);
  return file ? fgetc(file) : -1;
}

int vortanreadFileInputStream(vortanINPUTSTREAM *stream, void *buffer, int count)
{
  FILE *file = vortantransferHandle(stream, fileTag, buffer, count);
  if (!file) return -1;
  size_t read = fread(buffer, 1, (size_t)count, file);
  return read == 0 && ferror(file) ? -1 : (int)read;
}

int vortancloseFileInputStream(vortanINPUTSTREAM *stream)
{
  return vortanclosefileStream(stream, fileTag);
}

int vortangetFileInputStreamError(const vortanINPUTSTREAM *stream)
{
  return vortanfileStreamError(stream, fileTag);
}

const char *vortangetFileInputStreamErrorString(const vortanINPUTSTREAM *stream)
{
  return vortanfileStreamErrorString(stream, fileTag);
}

/* Gzip input */

vortanINPUTSTREAM *vortannewGZIPInputStream(vortanINPUTSTREAM *fileStream)
{
  return vortannewGZIPStream(gzTag, fileStream, fileTag, "rb");
}

vortanINPUTSTREAM *vortannewGZIPInputStreamFD(int fd)
{
  return vortanopenGZIPStreamFD(gzTag, fd, "rb");
}

void vortandeleteGZIPInputStream(vortanINPUTSTREAM *stream)
{
  vortandeleteStream(stream, gzTag);
}

int vortanisGZIPInputStream(const void *record)
{
  return vortanisStream(record, gzTag);
}

int vortangetGZIPInputStreamEOS(const vortanINPUTSTREAM *stream)
{
  return vortangzStreamEOS(stream, gzTag);
}

int vortanreadGZIPInputStreamChar(vortanINPUTSTREAM *stream)
{
  gzFile gz = vortanstreamHandle(stream, gzTag);
  return gz ? gzgetc(gz) : -1;
}

int vortanreadGZIPInputStream(vortanINPUTSTREAM *stream, void *buffer, int count)
{
  gzFile gz = vortantransferHandle(stream, gzTag, buffer, count);
  if (!gz) return -1;
  int read = gzread(gz, buffer, (unsigned)count);
  /* zlib gives 0 for a stream cut short as for a whole one, telling them
     apart only through gzerror: the cut one is a failed read here. */
  return read == 0 && count > 0 && vortangzStreamError(stream, gzTag) != Z_OK ? -1 : read;
}

int vortancloseGZIPInputStream(vortanINPUTSTREAM *stream)
{
  return vortanclosegzStream(stream, gzTag);
}

int vortangetGZIPInputStreamError(const vortanINPUTSTREAM *stream)
{
  return vortangzStreamError(stream, gzTag);
}

const char *vortangetGZIPInputStreamErrorString(const vortanINPUTSTREAM *stream)
{
  return vortangzStreamErrorString(stream, gzTag);
}

/* Either kind: anything but a gzip stream goes to the file operations,
   which refuse what is not a file stream. */

static int isGZIP(const vortanINPUTSTREAM *stream)
{
  return vortanisStream(stream, gzTag);
}

void vortandeleteInputStream(vortanINPUTSTREAM *stream)
{
  if (isGZIP(stream)) vortandeleteGZIPInputStream(stream);
  else vortandeleteFileInputStream(stream);
}

int vortanisInputStream(const void *record)
{
  return vortanisFileInputStream(record) || vortanisGZIPInputStream(record);
}

int vortangetInputStreamEOS(const vortanINPUTSTREAM *stream)
{
  if (isGZIP(stream)) return vortangetGZIPInputStreamEOS(stream);
  return vortangetFileInputStreamEOS(stream);
}

int vortanreadInputStreamChar(vortanINPUTSTREAM *stream)
{
  if (isGZIP(stream)) return vortanreadGZIPInputStreamChar(stream);
  return vortanreadFileInputStreamChar(stream);
}

int vortanreadInputStream(vortanINPUTSTREAM *stream, void *buffer, int count)
{
  if (isGZIP(stream)) return vortanreadGZIPInputStream(stream, buffer, count);
  return vortanreadFileInputStream(stream, buffer, count);
}

int vortancloseInputStream(vortanINPUTSTREAM *stream)
{
  if (isGZIP(stream)) return vortancloseGZIPInputStream(stream);
  return vortancloseFileInputStream(stream);
}

int vortangetInputStreamError(const vortanINPUTSTREAM *stream)
{
  if (isGZIP(stream)) return vortangetGZIPInputStreamError(stream);
  return vortangetFileInputStreamError(stream);
}

const char *vortangetInputStreamErrorString(const vortanINPUTSTREAM *stream)
{
  if (isGZIP(stream)) return vortangetGZIPInputStreamErrorString(stream);
  return vortangetFileInputStreamErrorString(stream);
}
