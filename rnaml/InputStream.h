// The byte streams an RNAML document is read from: objects around one
// input-stream record of the XML toolkit. A stream owns its record, never
// the file behind it: deleting a stream leaves the file open, and close()
// alone closes it.
#ifndef RNAML_CXX_INPUTSTREAM_H
#define RNAML_CXX_INPUTSTREAM_H

#include "vortanTags.h"

namespace rnaml {

class InputStream
{
public:
  InputStream() = default;
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;
  virtual ~InputStream() = default;

  // The toolkit record, or null when the stream could not be made.
  virtual vortanINPUTSTREAM* getCStructure() const = 0;
  // Replaces the record; the old one is neither closed nor freed.
  virtual void setCStructure(vortanINPUTSTREAM* stream) = 0;
  virtual bool getEOS() const = 0;
  virtual bool getError() const = 0;
  virtual const char* getErrorString() const = 0;
  // The next byte, or -1.
  virtual int read() = 0;
  // Up to count bytes into buffer: the number read, or -1.
  virtual int read(void* buffer, int count) = 0;
  // Closes the file. Beware: true means the close FAILED (the toolkit
  // gives the C library's result, 0 on success); a stream without a
  // record answers true, a second close false.
  virtual bool close() = 0;
};

}  // namespace rnaml

#endif
