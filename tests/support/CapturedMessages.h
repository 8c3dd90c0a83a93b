// Catches what the core library writes on gOut while the object lives, at
// the default verbose level, and puts the stream back afterwards. Header
// only, so that test programs which do not link the library never see it.
#ifndef TOLVA_CAPTURED_MESSAGES_H
#define TOLVA_CAPTURED_MESSAGES_H

#include <sstream>
#include <string>

#include "Messagestream.h"

namespace testing_support {

class CapturedMessages
{
public:
  CapturedMessages()
    : saved_buffer(gOut->rdbuf(&buffer)), saved_verbose(gOut->getVerboseLevel())
  {
    gOut->setVerboseLevel(2);
  }
  ~CapturedMessages()
  {
    gOut->rdbuf(saved_buffer);
    gOut->setVerboseLevel(saved_verbose);
  }
  CapturedMessages(const CapturedMessages&) = delete;
  CapturedMessages& operator=(const CapturedMessages&) = delete;

  std::string text() const { return buffer.str(); }
  void clear() { buffer.str(""); }

private:
  std::stringbuf buffer;
  std::streambuf* saved_buffer;
  unsigned saved_verbose;
};

}  // namespace testing_support

#endif
