// The bytes a value takes on a binary stream, and a readable form of them.
#ifndef TOLVA_TEST_BINARY_BYTES_H
#define TOLVA_TEST_BINARY_BYTES_H

#include <sstream>
#include <string>

#include "Binstream.h"

namespace testing_support {

template <typename T>
std::string bytes_of(const T& value)
{
  std::stringbuf buf;
  oBinstream out(&buf);
  out << value;
  return buf.str();
}

// "00 41 FF": two hex digits a byte, blank-separated.
inline std::string hex(const std::string& s)
{
  static const char* digits = "0123456789ABCDEF";
  std::string h;
  for (unsigned char c : s) {
    if (!h.empty()) h += ' ';
    h += digits[c >> 4];
    h += digits[c & 15];
  }
  return h;
}

}  // namespace testing_support

#endif
