// The one temporary file that must not outlive the run: when SIGINT,
// SIGTERM, SIGHUP or SIGPIPE ends the process, the handler removes it,
// then the signal is raised again with its default action, so that the
// run still dies of it. A signal that the process inherited as ignored
// stays ignored. Only the process that armed the removal acts on it: a
// child forked later that gets the signal leaves the parent's file alone.
#ifndef TOLVA_SIGNALCLEANUP_H
#define TOLVA_SIGNALCLEANUP_H

namespace tolva {

// Makes a temporary file from the mkstemp template (with O_CLOEXEC) and
// arms its removal, with the signals held off in between so that none can
// leave the file behind. Returns the descriptor, or -1 with errno set; the
// template then holds the file's name.
int make_removed_on_signal(char* pattern);

// The file is gone or has been put in place under another name: a signal
// no longer removes anything.
void disarm_removal();

// Removes the armed file now, for the exits that skip destructors.
void remove_armed_file();

}  // namespace tolva

#endif
