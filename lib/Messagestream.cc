#include "Messagestream.h"

Messagestream::Messagestream(std::streambuf* buffer, unsigned verbose_level, unsigned current_level)
  : std::ostream(buffer), verbose(verbose_level), level(current_level)
{
}

oMessagestream::oMessagestream(std::ostream& target, unsigned verbose_level)
  : Messagestream(target.rdbuf(), verbose_level, verbose_level)
{
}
