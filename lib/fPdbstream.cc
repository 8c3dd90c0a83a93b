#include "fPdbstream.h"

fstreambase::fstreambase() { init(&buffer); }

fstreambase::~fstreambase() = default;

void fstreambase::open(const char* name, int mode)
{
  clear();
  if (name == nullptr || buffer.open(name, static_cast<std::ios::openmode>(mode)) == nullptr)
    setstate(std::ios::badbit);
}

void fstreambase::close()
{
  if (buffer.is_open() && buffer.close() == nullptr) setstate(std::ios::badbit);
}

izfPdbstream::izfPdbstream(const char* name, int mode) : iPdbstream(zbuf())
{
  open(name, mode);
}

izfPdbstream::~izfPdbstream() = default;

void izfPdbstream::open(const char* name, int mode)
{
  if (name == nullptr) {
    clear(std::ios::badbit);
  } else {
    zfstreambase::open(name, mode, 1);
  }
  iPdbstream::open();
}

void izfPdbstream::close()
{
  iPdbstream::close();
  zfstreambase::close();
}

ofPdbstream::ofPdbstream(const char* name, int mode) : oPdbstream(fbuf())
{
  open(name, mode);
}

ofPdbstream::~ofPdbstream() = default;

void ofPdbstream::open(const char* name, int mode)
{
  fstreambase::open(name, mode);
  oPdbstream::open();
}

void ofPdbstream::close()
{
  oPdbstream::close();
  fstreambase::close();
}
