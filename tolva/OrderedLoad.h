// Loads structure files on worker threads as if one thread had loaded them
// one after the other: the warnings and messages of each file come out in
// file order, misc atom types are made in file order, and of several files
// that fail, the first in order is the one reported.
#ifndef TOLVA_ORDEREDLOAD_H
#define TOLVA_ORDEREDLOAD_H

#include <vector>

#include "FragHandler.h"

namespace tolva {

// Loads the handlers from `first` on (built on their names, not loaded
// yet; `shown` as CFragHandler::Load takes it) with `threads` workers, then
// writes their messages on standard error in order, up to the first file
// that failed, whose failure is then rethrown. That failure is rethrown
// as soon as it and every file before it are loaded, without waiting for
// later files: a worker still reading one is left behind.
void load_in_order(std::vector<CFragHandler>& frags, size_t first, unsigned threads, bool shown);

// True once a load has left a worker behind: the process must then end
// without running its exit handlers, which that worker could race with.
bool workers_left_behind();

}  // namespace tolva

#endif
