#include "zfstream.h"

#include <cerrno>
#include <cstring>
#include <ios>

zfstreambuf::zfstreambuf() : file(nullptr), opened(false), mode(0), openError(0)
{
  reset_areas();
}

zfstreambuf::~zfstreambuf() { close(); }

void zfstreambuf::reset_areas()
{
  char* data = buffer + kPutBack;
  setg(data, data, data);
  setp(buffer, buffer + sizeof buffer - 1);
}

std::string zfstreambuf::mode_text(int m, int level)
{
  const char* letters = (m & std::ios::in) ? "rb" : (m & std::ios::out) ? "wb" : "b";
  return letters + std::to_string(level);
}

zfstreambuf* zfstreambuf::open(const char* name, int m, int level)
{
  if (opened) return nullptr;
  mode = m;
  if ((m & std::ios::ate) || (m & std::ios::app)) return nullptr;
  if ((m & std::ios::in) && (m & std::ios::out)) return nullptr;
  errno = 0;
  file = gzopen(name, mode_text(m, level).c_str());
  openError = file == nullptr ? errno : 0;
  if (file == nullptr) {
    failure = errno != 0 ? std::strerror(errno) : "cannot open";
    return nullptr;
  }
  opened = true;
  failure.clear();
  // Nothing of a previous file may be read or written through this one.
  reset_areas();
  return this;
}

zfstreambuf* zfstreambuf::close()
{
  if (!opened) return this;
  bool flushed = sync() == 0;
  opened = false;
  int status = gzclose(file);
  file = nullptr;
  reset_areas();
  return (flushed && status == Z_OK) ? this : nullptr;
}

void zfstreambuf::read_failed()
{
  int errnum = Z_OK;
  const char* text = gzerror(file, &errnum);
  failure = (errnum == Z_OK || text == nullptr || *text == '\0') ? "read error" : text;
  // The stream catches this and sets its bad state: a failed read must not
  // look like a clean end of file.
  throw std::ios_base::failure(failure);
}

zfstreambuf::int_type zfstreambuf::underflow()
{
  if (gptr() != nullptr && gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (!opened || !(mode & std::ios::in)) return traits_type::eof();
  if (!failure.empty()) return traits_type::eof();

  long kept = gptr() - eback();
  int n = static_cast<int>(kept < kPutBack ? kept : kPutBack);
  std::memmove(buffer + (kPutBack - n), gptr() - n, n);

  int got = gzread(file, buffer + kPutBack, kData);
  if (got <= 0) {
    // zlib reports a gzip stream cut short (Z_BUF_ERROR) only through
    // gzerror, with a return of 0 as at a clean end.
    int errnum = Z_OK;
    gzerror(file, &errnum);
    if (got < 0 || errnum != Z_OK) read_failed();
    return traits_type::eof();
  }

  setg(buffer + (kPutBack - n), buffer + kPutBack, buffer + kPutBack + got);
  return traits_type::to_int_type(*gptr());
}

zfstreambuf::int_type zfstreambuf::overflow(int_type c)
{
  if (!(mode & std::ios::out) || !opened) return traits_type::eof();
  long len = pptr() - pbase();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    ++len;
  }
  int written = gzwrite(file, pbase(), static_cast<unsigned>(len));
  if (written <= 0) return traits_type::eof();
  // Whatever zlib did not take stays pending at the start of the put area.
  std::memmove(pbase(), pbase() + written, len - written);
  setp(buffer, buffer + sizeof buffer - 1);
  pbump(static_cast<int>(len - written));
  return 0;
}

int zfstreambuf::sync()
{
  if (pptr() != nullptr && pptr() > pbase()) {
    if (traits_type::eq_int_type(overflow(traits_type::eof()), traits_type::eof())) return -1;
  }
  return 0;
}

zfstreambase::zfstreambase() { init(&buffer); }

zfstreambase::~zfstreambase()
{
  close();
}

void zfstreambase::open(const char* name, int mode, int level)
{
  clear();
  if (buffer.open(name, mode, level) == nullptr) setstate(std::ios::badbit);
}

void zfstreambase::close()
{
  if (buffer.is_open() && buffer.close() == nullptr) setstate(std::ios::badbit);
}
