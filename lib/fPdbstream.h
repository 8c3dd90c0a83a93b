// PDB streams bound to named files: izfPdbstream reads a plain or
// gzip-compressed file, ofPdbstream writes a plain one. Failures to open or
// close only set the stream state; callers test it.
#ifndef TESSEL_FPDBSTREAM_H
#define TESSEL_FPDBSTREAM_H

#include <fstream>

#include "Pdbstream.h"
#include "zfstream.h"

// The stream side of a standard file buffer.
class fstreambase : virtual public std::ios
{
public:
  fstreambase();
  ~fstreambase() override;

  // Clears the state and opens the file (created with permission bits 0666
  // less the process's file-creation mask); bad when that fails.
  void open(const char* name, int mode);
  // Bad when closing fails, which is where a full disk shows last.
  void close();
  std::filebuf* fbuf() { return &buffer; }

private:
  std::filebuf buffer;
};

class izfPdbstream : public zfstreambase, public iPdbstream
{
public:
  explicit izfPdbstream(const char* name, int mode = std::ios::in);
  ~izfPdbstream() override;

  void open(const char* name, int mode = std::ios::in);
  void close() override;
};

class ofPdbstream : public fstreambase, public oPdbstream
{
public:
  explicit ofPdbstream(const char* name, int mode = std::ios::out);
  // Closes the file when it is still open, without an END record.
  ~ofPdbstream() override;

  void open(const char* name, int mode = std::ios::out);
  // The END record, then the file is closed.
  void close() override;
};

#endif
