// The levelled message stream: each message sets its level first, and is
// written whole only when that level is not above the verbose level.
#ifndef TESSEL_MESSAGESTREAM_H
#define TESSEL_MESSAGESTREAM_H

#include <ostream>

class Messagestream : public std::ostream
{
public:
  Messagestream(std::streambuf* buffer, unsigned verbose, unsigned level);
  ~Messagestream() override = default;

  Messagestream& setLevel(unsigned n) { level = n; return *this; }
  void setVerboseLevel(unsigned n) { verbose = n; }
  unsigned getLevel() const { return level; }
  unsigned getVerboseLevel() const { return verbose; }
  bool isShown() const { return level <= verbose; }

  Messagestream& operator<<(const char* text) { return write_if_shown(text); }
  Messagestream& operator<<(char c) { return write_if_shown(c); }

  Messagestream& operator<<(std::ostream& (*manip)(std::ostream&))
  {
    if (isShown()) manip(*this);
    return *this;
  }

  template <typename T>
  Messagestream& operator<<(const T& value) { return write_if_shown(value); }

private:
  template <typename T>
  Messagestream& write_if_shown(const T& value)
  {
    if (isShown()) static_cast<std::ostream&>(*this) << value;
    return *this;
  }

  unsigned verbose;
  unsigned level;
};

class oMessagestream : public Messagestream
{
public:
  oMessagestream(std::ostream& target, unsigned verbose);
  ~oMessagestream() override = default;
};

// The library's message stream on standard error, and the pointer all
// library messages go through. The pointer is per thread: a thread that
// loads files beside others points it at a stream of its own, whose text
// is passed on in file order.
extern oMessagestream out;
extern thread_local oMessagestream* gOut;

#endif
