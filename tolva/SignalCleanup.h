// The temporary files that must not outlive the run (the -o file's, the
// viewer's until its keeper has it, a pipe's copy while it has a name):
// when a signal whose default action ends the process arrives, the handler
// removes them, then the run dies of that signal with its default action,
// a fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL from the kernel) at its own
// instruction, with its own code and address, whether it would recur or
// not. The first process of a PID namespace takes a signal's default
// action only from a fault the kernel forces, one that recurs at its
// instruction: there such a fault ends the run so too, with its core, and
// every other signal ends it at once, with 128 + the signal's number. A
// signal that the process inherited as ignored, or that another handler
// already takes, is left alone. An exit that skips the destructors (exit,
// a lost X server) removes them too. Only the process that armed a removal
// acts on it: a child forked later leaves the parent's files alone.
#ifndef TOLVA_SIGNALCLEANUP_H
#define TOLVA_SIGNALCLEANUP_H

#include <csignal>
#include <fcntl.h>

namespace tolva {

// The signals whose handler removes the armed files: every one whose
// default action ends the process, but SIGKILL and the two real-time
// signals the C library keeps for itself.
const sigset_t& handled_signals();

// The first process of a PID namespace (a container's, run without an
// init) is ended by no signal's default action but a forced fault's: there
// the handlers are installed from the start, so that every handled signal
// ends the run, whether a file is armed or not. What comes before they are
// (the run's first hundredths of a second), and signals 32 and 33, which
// the C library keeps, the kernel drops there, as for any program.
void handle_signals_as_first_process();

// Holds the handled signals off on the calling thread; its mask before
// goes to `previous`, for pthread_sigmask(SIG_SETMASK, ...).
void hold_handled_signals(sigset_t& previous);

// In a child just forked, before it unblocks anything: every handler of
// the process (but the two the C library keeps) goes back to the default
// action, so that none of them runs in the child, and so does what the
// process ignored itself; what it was started with ignored stays ignored.
// Async-signal-safe.
void drop_handlers();

// Makes a new temporary file of mode 0600 (with O_CLOEXEC) from the
// template, whose XXXXXX before the last `suffix` characters are replaced,
// and arms its removal. A template that is relative is taken in `folder`,
// a descriptor the caller keeps open while the file is armed. The create
// runs on a thread of its own, so that a signal ends the run whatever the
// create is doing, unless the kernel itself keeps that thread (a FUSE
// server slow to answer): the end waits for a create under way only
// briefly, then leaves its name alone, which may yet turn out to be
// another process's file, and the run ends without it, so a file that
// create still makes stays behind. Where no thread can be started the
// create runs on the caller's, its signals held: a signal that comes to
// that thread waits for it (at -j 1 the only thread), while one taken by
// any other thread ends the run once the end has waited for the create,
// and leaves its name. Any number of files may be armed at once, from any
// threads. Returns the descriptor, or -1 with errno set; the template then
// holds the file's name. Once the end of the run has begun no file is
// made, and the caller waits for that end, which ends the process.
int make_removed_on_signal(char* pattern, int suffix = 0, int folder = AT_FDCWD);

// The file is gone, has been put in place under another name, or is in
// other hands: a signal no longer removes it. Called by the thread that
// armed it, with the folder it was made in.
void disarm_removal(const char* path, int folder = AT_FDCWD);

// The life of the slot that holds one armed file, as a table: every move a
// slot makes is one of its rows, and the code makes no other (each move is
// checked against it where it is compiled). A slot is claimed by one
// thread, which alone writes the file's name into it, then marks it
// creating while a file is made under that name, then armed. The end of
// the run takes an armed slot and unlinks its name, and reads that name
// only then, so that a handler, on any thread, reads a name as it stands.
// It forsakes a slot whose create is still under way when it has waited
// long enough, and leaves that name alone, which may yet be another
// process's file: the creator unlinks what it made itself, if the process
// is still there when its create returns. A slot the end took, removing
// or forsaken, is never freed again.
namespace slot {

enum State : int { kFree, kClaimed, kCreating, kArmed, kRemoving, kForsaken };

struct Move
{
  State from, to;
};

constexpr Move kMoves[] = {
  {kFree, kClaimed},       // a thread asks for a file
  {kClaimed, kCreating},   // its creator, before each try, under a fresh name
  {kCreating, kArmed},     // the creator: the file is made
  {kCreating, kClaimed},   // the creator: the name was taken, or the end has begun
  {kClaimed, kFree},       // the creator: no file could be made
  {kArmed, kFree},         // disarm_removal: the file is in other hands
  {kArmed, kRemoving},     // the end, which unlinks the file
  {kCreating, kForsaken},  // the end, done waiting for the create
};

constexpr bool is_move(State from, State to)
{
  for (const Move& m : kMoves)
    if (m.from == from && m.to == to) return true;
  return false;
}

}  // namespace slot

// Removes every armed file now, for the exits that skip destructors,
// waiting a few hundredths of a second at most for creates under way. The
// run is ending: a thread that asks for a file after this gets none, and
// waits for the process to end.
void remove_armed_files();

}  // namespace tolva

#endif
