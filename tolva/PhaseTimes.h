// Wall time of each phase of a run, for the benchmarks: with the variable
// TOLVA_PHASE_TIMES set in the environment, phase_done writes on standard
// error "phase NAME S s, F page faults" for the time since the previous
// phase ended (since the program's static initialisation, for the first
// phase) and the page faults met meanwhile.
// Otherwise it does nothing. Called from the main thread only.
#ifndef TOLVA_PHASETIMES_H
#define TOLVA_PHASETIMES_H

namespace tolva {

void phase_done(const char* name);

}  // namespace tolva

#endif
