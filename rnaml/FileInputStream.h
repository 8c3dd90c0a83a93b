// A stream over a stdio file.
#ifndef RNAML_CXX_FILEINPUTSTREAM_H
#define RNAML_CXX_FILEINPUTSTREAM_H

#include <cstdio>

#include "InputStream.h"

namespace rnaml {

class FileInputStream : public InputStream
{
public:
  // Over an open FILE, which stays the caller's to close.
  explicit FileInputStream(FILE* file);
  // Opens the path for reading; without a record when that fails.
  explicit FileInputStream(const char* path);
  // Over a descriptor; without a record when fdopen fails.
  explicit FileInputStream(int fd);
  ~FileInputStream() override;

  vortanINPUTSTREAM* getCStructure() const override { return stream; }
  void setCStructure(vortanINPUTSTREAM* s) override { stream = s; }
  // The file's descriptor; -1 without a record.
  int getFD() const;
  bool getEOS() const override;
  // True also without a record.
  bool getError() const override;
  // Without a record, why the file could not be opened.
  const char* getErrorString() const override;
  // The errno of a failed open; 0 when the file is open.
  int getOpenError() const { return openError; }
  int read() override;
  int read(void* buffer, int count) override;
  bool close() override;

private:
  vortanINPUTSTREAM* stream;
  // The errno of a failed open, kept so that the message says why.
  int openError = 0;
};

}  // namespace rnaml

#endif
