#include "FileInputStream.h"

#include <cerrno>
#include <cstring>

#include "vortanInputStream.h"

namespace rnaml {

FileInputStream::FileInputStream(FILE* file) : stream(vortannewFileInputStreamFILE(file)) {}

FileInputStream::FileInputStream(const char* path) : stream(vortannewFileInputStreamString(path))
{
  if (stream == nullptr) openError = errno;
}

FileInputStream::FileInputStream(int fd) : stream(vortannewFileInputStreamFD(fd))
{
  if (stream == nullptr) openError = errno;
}

FileInputStream::~FileInputStream()
{
  if (stream != nullptr) vortandeleteFileInputStream(stream);
}

int FileInputStream::getFD() const { return vortangetFileInputStreamFD(stream); }
bool FileInputStream::getEOS() const { return vortangetFileInputStreamEOS(stream) != 0; }
bool FileInputStream::getError() const { return vortangetFileInputStreamError(stream) != 0; }

const char* FileInputStream::getErrorString() const
{
  if (stream == nullptr && openError != 0) return std::strerror(openError);
  return vortangetFileInputStreamErrorString(stream);
}

int FileInputStream::read() { return vortanreadFileInputStreamChar(stream); }
int FileInputStream::read(void* buffer, int count) { return vortanreadFileInputStream(stream, buffer, count); }
bool FileInputStream::close() { return vortancloseFileInputStream(stream) != 0; }

}  // namespace rnaml
