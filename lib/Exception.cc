#include "Exception.h"

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

const char* const kBugReportAddress = "tolva-bugs@example.org";

namespace {

char* copy_text(const char* text)
{
  if (text == nullptr) text = "";
  size_t n = std::strlen(text);
  char* copy = new char[n + 1];
  std::memcpy(copy, text, n + 1);
  return copy;
}

// Sized by a first measuring call: "%f" of FLT_MAX alone takes 46 characters.
template <typename T>
std::string format(const char* fmt, T value)
{
  int n = std::snprintf(nullptr, 0, fmt, value);
  std::string s(n > 0 ? n : 0, '\0');
  std::snprintf(&s[0], s.size() + 1, fmt, value);
  return s;
}

}  // namespace

CException::CException() : message(copy_text("")) {}

CException::CException(const char* text) : message(copy_text(text)) {}

CException::CException(const CException& other) : message(copy_text(other.message)) {}

CException::~CException() { delete[] message; }

CException& CException::operator=(const CException& other)
{
  if (this != &other) {
    char* copy = copy_text(other.message);
    delete[] message;
    message = copy;
  }
  return *this;
}

void CException::append(const char* piece)
{
  size_t old_len = std::strlen(message);
  size_t add_len = std::strlen(piece);
  char* grown = new char[old_len + add_len + 1];
  std::memcpy(grown, message, old_len);
  std::memcpy(grown + old_len, piece, add_len + 1);
  delete[] message;
  message = grown;
}

CException& CException::operator<<(const char* text) { append(text); return *this; }
CException& CException::operator<<(int n) { append(format("%d", n).c_str()); return *this; }
CException& CException::operator<<(unsigned n) { append(format("%u", n).c_str()); return *this; }
CException& CException::operator<<(long n) { append(format("%ld", n).c_str()); return *this; }
CException& CException::operator<<(unsigned long n) { append(format("%lu", n).c_str()); return *this; }

CException& CException::operator<<(float x)
{
  append(format("%f", static_cast<double>(x)).c_str());
  return *this;
}

CException& CException::operator<<(char c)
{
  char piece[2] = {c, '\0'};
  append(piece);
  return *this;
}

std::ostream& CException::output(std::ostream& os) const { return os << message; }

std::ostream& operator<<(std::ostream& os, const CException& e) { return e.output(os); }

CSourcePosition::CSourcePosition(const char* f, int l) : file(copy_text(f)), line(l) {}

CSourcePosition::CSourcePosition(const CSourcePosition& other)
  : file(copy_text(other.file)), line(other.line) {}

CSourcePosition::~CSourcePosition() { delete[] file; }

CSourcePosition& CSourcePosition::operator=(const CSourcePosition& other)
{
  if (this != &other) {
    char* copy = copy_text(other.file);
    delete[] file;
    file = copy;
    line = other.line;
  }
  return *this;
}

std::ostream& operator<<(std::ostream& os, const CSourcePosition& where)
{
  return os << where.GetFile() << ":" << where.GetLine() << ": ";
}

std::ostream& CIntLibException::output(std::ostream& os) const
{
  os << where;
  CException::output(os);
  os << std::endl << std::endl;
  return os << "Please send a bug report to '" << kBugReportAddress << "'.";
}

std::ostream& CFatalSocketException::output(std::ostream& os) const
{
  os << where;
  return CException::output(os);
}
