#include "PhaseTimes.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace tolva {

namespace {

typedef std::chrono::steady_clock Clock;

// The clock starts when the program does, before main.
const Clock::time_point gStart = Clock::now();
Clock::time_point gLast = gStart;
const bool gShown = std::getenv("TOLVA_PHASE_TIMES") != nullptr;

long gLastFaults = 0;

// Page faults of the process so far: each costs a first touch of memory.
long faults()
{
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

}  // namespace

void phase_done(const char* name)
{
  Clock::time_point now = Clock::now();
  if (!gShown) return;
  long f = faults();
  std::fprintf(stderr, "phase %s %.3f s, %ld page faults\n", name, std::chrono::duration<double>(now - gLast).count(),
               f - gLastFaults);
  gLast = now;
  gLastFaults = f;
}

}  // namespace tolva
