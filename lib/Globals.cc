// Every global of the library that needs construction lives here, so that
// their construction order is the order of definition below (and their
// destruction the reverse). The type tables come first, the message
// stream last.
#include <iostream>

#include "Messagestream.h"

// std::cerr must exist before `out` takes its buffer.
static std::ios_base::Init gIostreamInit;

oMessagestream out(std::cerr, 2);
oMessagestream* gOut = &out;
