#include "ProgressBar.h"

#include <ostream>

namespace tolva {

CProgressBar::CProgressBar(std::ostream& out, uint64_t count) : os(out), total(count), threshold(0.05f)
{
  os << "[" << total << "] " << std::endl;
  os << "%:  0    25   50   75   100" << std::endl;
  os << "   <|" << std::flush;
}

bool CProgressBar::due(uint64_t done) const
{
  return static_cast<float>(done) / static_cast<float>(total) >= threshold;
}

void CProgressBar::mark()
{
  os << "|" << std::flush;
  threshold = static_cast<float>(static_cast<double>(threshold) + 0.05);
}

void CProgressBar::step(uint64_t done)
{
  if (due(done)) mark();
}

void CProgressBar::catch_up(uint64_t done)
{
  while (threshold < 1.0f && due(done)) mark();
}

void CProgressBar::finish()
{
  while (threshold < 1.0f) mark();
  os << "|>" << std::endl;
}

}  // namespace tolva
