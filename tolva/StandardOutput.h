// The report's standard output, whose failures end the run: std::cout is
// put on a buffer that keeps why a write failed, and the run looks at it
// between its phases, so that a report that did not get through is never
// taken for a finished one.
#ifndef TOLVA_STANDARDOUTPUT_H
#define TOLVA_STANDARDOUTPUT_H

namespace tolva {

// A reader that closed its end early: the run ends quietly, as a filter
// killed by SIGPIPE would, with status 1 and no message.
struct CClosedOutput
{
};

// Puts std::cout on descriptor 1 through the checking buffer, for the
// rest of the process. Called once, before anything is written or opened:
// a standard descriptor the run was started without is taken by a
// stand-in (StandIns.h), so that no file the run makes takes its place,
// and using it fails as it would have (a report written to a closed
// standard output fails the run with "Bad file descriptor").
void take_standard_output();

// Throws when a write to standard output has failed: CClosedOutput for a
// closed pipe, otherwise the CException "Cannot write standard output: "
// + the system's reason + ".". Does nothing when take_standard_output was
// not called (the tests' own processes).
void check_standard_output();

}  // namespace tolva

#endif
