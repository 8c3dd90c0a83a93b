// A stream buffer over zlib: reads gzip-compressed and plain files alike
// (zlib passes plain data through), and writes gzip.
#ifndef TESSEL_ZFSTREAM_H
#define TESSEL_ZFSTREAM_H

#include <ios>
#include <streambuf>
#include <string>

#include <zlib.h>

class zfstreambuf : public std::streambuf
{
public:
  zfstreambuf();
  ~zfstreambuf() override;

  // mode: a mask of std::ios_base open-mode flags; level: compression level.
  zfstreambuf* open(const char* name, int mode, int level);
  zfstreambuf* close();
  bool is_open() const { return opened; }

  // The zlib mode text for an open mode and level ("rb1", "wb9").
  static std::string mode_text(int mode, int level);
  // The last failure: the system's reason when opening failed, else what
  // zlib reported of a read or write; empty when none.
  const std::string& error() const { return failure; }
  // The errno of a failed open; 0 when the file opened, or when zlib gave
  // none (no memory).
  int open_error() const { return openError; }

protected:
  int_type underflow() override;
  int_type overflow(int_type c) override;
  int sync() override;

private:
  static const int kPutBack = 4;
  // Large enough that zlib reads an uncompressed file straight into it,
  // without a copy through its own buffer, in a few calls per file.
  static const int kData = 64 * 1024;

  void reset_areas();
  void read_failed();

  gzFile file;
  char buffer[kPutBack + kData];
  bool opened;
  int mode;
  std::string failure;
  int openError;
};

// The stream side: owns the buffer and turns open and close failures into
// the stream's bad state. A read that fails inside zlib (a truncated or
// corrupt file) also leaves the stream bad, never at a clean end of file.
class zfstreambase : virtual public std::ios
{
public:
  zfstreambase();
  ~zfstreambase() override;

  void open(const char* name, int mode, int level);
  void close();
  zfstreambuf* zbuf() { return &buffer; }

private:
  zfstreambuf buffer;
};

#endif
