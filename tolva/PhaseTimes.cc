#include "PhaseTimes.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace tolva {

namespace {

typedef std::chrono::steady_clock Clock;

// The clock starts when the program does, before main.
const Clock::time_point gStart = Clock::now();
Clock::time_point gLast = gStart;
const bool gShown = std::getenv("TOLVA_PHASE_TIMES") != nullptr;

}  // namespace

void phase_done(const char* name)
{
  Clock::time_point now = Clock::now();
  if (gShown) std::fprintf(stderr, "phase %s %.3f\n", name, std::chrono::duration<double>(now - gLast).count());
  gLast = now;
}

}  // namespace tolva
