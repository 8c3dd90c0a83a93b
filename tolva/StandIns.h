// The standard descriptors a run was started without (`<&-`, `>&-`,
// `2>&-`): each is taken at once by a stand-in, so that no file the run
// makes takes its number and is read or written as standard input or
// output. A stand-in is a socket of its own held as a path only: it needs
// no device (a container's /dev may have no null), every read or write
// through it fails with EBADF, as through the closed descriptor, no path
// but a descriptor's name (/dev/stdin, /proc/self/fd/0) leads to it, and
// no open through that name succeeds.
#ifndef TOLVA_STANDINS_H
#define TOLVA_STANDINS_H

namespace tolva {

// Takes descriptors 0, 1 and 2 that are closed. Called once, before
// anything is opened.
void stand_in_for_closed_descriptors();

// Whether `path` names a standard descriptor that the run was started
// without, or goes on through such a name (/dev/stdin/x, /dev/fd/1/):
// nothing can be read from or written to there.
bool names_closed_descriptor(const char* path);

// names_closed_descriptor, with errno set to EBADF when true.
bool refused_as_closed_descriptor(const char* path);

}  // namespace tolva

#endif
