#include "Binstream.h"

#include <cstdint>
#include <cstring>
#include <limits>

void oBinstream::put_be(unsigned long value, int bytes)
{
  char raw[4];
  for (int i = bytes - 1; i >= 0; --i) {
    raw[i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
  write(raw, bytes);
}

oBinstream& oBinstream::operator<<(char c)
{
  return *this << static_cast<short>(static_cast<signed char>(c));
}

oBinstream& oBinstream::operator<<(const char* text)
{
  size_t n = std::strlen(text);
  // The length field has 16 bits: a longer text would be stored corrupt.
  if (n > static_cast<size_t>(std::numeric_limits<short>::max())) {
    setstate(std::ios::failbit);
    return *this;
  }
  *this << static_cast<short>(n);
  write(text, static_cast<std::streamsize>(n));
  return *this;
}

oBinstream& oBinstream::operator<<(short n)
{
  put_be(static_cast<uint16_t>(n), 2);
  return *this;
}

oBinstream& oBinstream::operator<<(int n)
{
  put_be(static_cast<uint32_t>(n), 4);
  return *this;
}

oBinstream& oBinstream::operator<<(long n) { return *this << static_cast<int>(n); }

oBinstream& oBinstream::operator<<(float x)
{
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  put_be(bits, 4);
  return *this;
}

bool iBinstream::get_be(unsigned long& value, int bytes)
{
  unsigned char raw[4] = {0, 0, 0, 0};
  read(reinterpret_cast<char*>(raw), bytes);
  value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | raw[i];
  return static_cast<bool>(*this);
}

iBinstream& iBinstream::operator>>(char& c)
{
  unsigned long v;
  if (get_be(v, 2)) c = static_cast<char>(v & 0xFF);
  return *this;
}

iBinstream& iBinstream::operator>>(short& n)
{
  unsigned long v;
  if (get_be(v, 2)) n = static_cast<short>(static_cast<uint16_t>(v));
  return *this;
}

iBinstream& iBinstream::operator>>(int& n)
{
  unsigned long v;
  if (get_be(v, 4)) n = static_cast<int32_t>(static_cast<uint32_t>(v));
  return *this;
}

iBinstream& iBinstream::operator>>(long& n)
{
  int v;
  if (*this >> v) n = v;
  return *this;
}

iBinstream& iBinstream::operator>>(float& x)
{
  unsigned long v;
  if (get_be(v, 4)) {
    uint32_t bits = static_cast<uint32_t>(v);
    std::memcpy(&x, &bits, sizeof x);
  }
  return *this;
}

bool iBinstream::read_length(short& n)
{
  if (!(*this >> n)) return false;
  if (n < 0) {
    setstate(std::ios::failbit);
    return false;
  }
  return true;
}

iBinstream& iBinstream::read_string(char* buffer, std::size_t capacity)
{
  short n;
  if (!read_length(n)) return *this;
  if (static_cast<std::size_t>(n) + 1 > capacity) {
    setstate(std::ios::failbit);
    return *this;
  }
  read(buffer, n);
  buffer[*this ? n : 0] = '\0';
  return *this;
}

iBinstream& iBinstream::operator>>(char** text)
{
  *text = nullptr;
  short n;
  if (!read_length(n)) return *this;
  char* s = new char[n + 1];
  read(s, n);
  if (!*this) {
    delete[] s;
    return *this;
  }
  s[n] = '\0';
  *text = s;
  return *this;
}
