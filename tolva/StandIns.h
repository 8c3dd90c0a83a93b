// The standard descriptors a run was started without (`<&-`, `>&-`,
// `2>&-`): each is taken at once by a stand-in, so that no file the run
// makes takes its number and is read or written as standard input or
// output. A stand-in is the root folder opened as a path only: it needs no
// device (a container's /dev may have no null), and every read or write
// through it fails with EBADF, as through the closed descriptor.
#ifndef TOLVA_STANDINS_H
#define TOLVA_STANDINS_H

namespace tolva {

// Takes descriptors 0, 1 and 2 that are closed. Called once, before
// anything is opened.
void stand_in_for_closed_descriptors();

// Whether `path` leads through a link to a stand-in (/dev/stdin,
// /dev/fd/1, /proc/self/fd/2): it names a standard descriptor that the
// run was started without, which nothing can be read from or written to.
bool names_closed_descriptor(const char* path);

}  // namespace tolva

#endif
