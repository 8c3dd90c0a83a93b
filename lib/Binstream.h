// Big-endian binary streams of primitives: the compact binary form every
// core type is stored in.
#ifndef TESSEL_BINSTREAM_H
#define TESSEL_BINSTREAM_H

#include <cstddef>
#include <istream>
#include <ostream>

class oBinstream : public std::ostream
{
public:
  explicit oBinstream(std::streambuf* buffer) : std::ostream(buffer) {}

  oBinstream& operator<<(char c);           // 2 bytes, sign-extended
  oBinstream& operator<<(const char* text); // 16-bit length, then the characters
  oBinstream& operator<<(short n);
  oBinstream& operator<<(int n);
  oBinstream& operator<<(long n);           // 4 bytes, as an int
  oBinstream& operator<<(float x);          // the IEEE 754 bit pattern

  oBinstream& operator<<(std::ostream& (*manip)(std::ostream&)) { manip(*this); return *this; }
  oBinstream& operator<<(std::ios& (*manip)(std::ios&)) { manip(*this); return *this; }

private:
  void put_be(unsigned long value, int bytes);
};

class iBinstream : public std::istream
{
public:
  explicit iBinstream(std::streambuf* buffer) : std::istream(buffer) {}

  iBinstream& operator>>(char& c);
  iBinstream& operator>>(short& n);
  iBinstream& operator>>(int& n);
  iBinstream& operator>>(long& n);
  iBinstream& operator>>(float& x);

  // Strings are read bounded: a stored length that is negative or does not
  // fit the destination fails the stream and writes nothing past it.
  template <std::size_t N>
  iBinstream& operator>>(char (&buffer)[N]) { return read_string(buffer, N); }
  iBinstream& read_string(char* buffer, std::size_t capacity);
  // A new array of length + 1 characters, owned by the caller (delete[]).
  // On failure the pointer is left null.
  iBinstream& operator>>(char** text);

  iBinstream& operator>>(std::istream& (*manip)(std::istream&)) { manip(*this); return *this; }
  iBinstream& operator>>(std::ios& (*manip)(std::ios&)) { manip(*this); return *this; }

private:
  bool get_be(unsigned long& value, int bytes);
  bool read_length(short& n);
};

#endif
