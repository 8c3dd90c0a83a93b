// A stream over a gzip-compressed file. A file that is not compressed reads
// through unchanged, so one stream serves plain and compressed documents.
#ifndef RNAML_CXX_GZIPINPUTSTREAM_H
#define RNAML_CXX_GZIPINPUTSTREAM_H

#include "InputStream.h"

namespace rnaml {

class FileInputStream;

class GZIPInputStream : public InputStream
{
public:
  // Takes the file of the stream over: it reads a duplicate of the
  // descriptor, closes the FILE and deletes the file stream. When the gzip
  // stream cannot be made, the file stream is left as it was, still the
  // caller's.
  explicit GZIPInputStream(FileInputStream* file);
  // Over a descriptor, which closing the stream closes.
  explicit GZIPInputStream(int fd);
  ~GZIPInputStream() override;

  vortanINPUTSTREAM* getCStructure() const override { return stream; }
  void setCStructure(vortanINPUTSTREAM* s) override { stream = s; }
  bool getEOS() const override;
  bool getError() const override;
  const char* getErrorString() const override;
  int read() override;
  int read(void* buffer, int count) override;
  bool close() override;

private:
  vortanINPUTSTREAM* stream = nullptr;
};

}  // namespace rnaml

#endif
