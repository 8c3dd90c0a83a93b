#include "GZIPInputStream.h"

#include "FileInputStream.h"
#include "vortanInputStream.h"

namespace rnaml {

GZIPInputStream::GZIPInputStream(FileInputStream* file)
{
  if (file == nullptr) return;
  stream = vortannewGZIPInputStream(file->getCStructure());
  if (stream == nullptr) return;
  // The toolkit freed the file's record with its FILE.
  file->setCStructure(nullptr);
  delete file;
}

GZIPInputStream::GZIPInputStream(int fd) : stream(vortannewGZIPInputStreamFD(fd)) {}

GZIPInputStream::~GZIPInputStream()
{
  if (stream != nullptr) vortandeleteGZIPInputStream(stream);
}

bool GZIPInputStream::getEOS() const { return vortangetGZIPInputStreamEOS(stream) != 0; }
bool GZIPInputStream::getError() const { return vortangetGZIPInputStreamError(stream) != 0; }
const char* GZIPInputStream::getErrorString() const { return vortangetGZIPInputStreamErrorString(stream); }
int GZIPInputStream::read() { return vortanreadGZIPInputStreamChar(stream); }
int GZIPInputStream::read(void* buffer, int count) { return vortanreadGZIPInputStream(stream, buffer, count); }
bool GZIPInputStream::close() { return vortancloseGZIPInputStream(stream) != 0; }

}  // namespace rnaml
