// The temporary files that must not outlive the run (the -o file's, the
// viewer's until its keeper has it): when a signal whose default action
// ends the process arrives, the handler removes them, then the signal is
// raised again with its default action, so that the run still dies of it.
// A signal that the process inherited as ignored, or that another handler
// already takes, is left alone. An exit that skips the destructors
// (exit, a lost X server) removes them too. Only the process that armed a
// removal acts on it: a child forked later leaves the parent's files alone.
#ifndef TOLVA_SIGNALCLEANUP_H
#define TOLVA_SIGNALCLEANUP_H

namespace tolva {

// Makes a temporary file from the mkostemps template, whose last `suffix`
// characters stay as they are (with O_CLOEXEC), and arms its removal, with
// the signals held off in between so that none can leave the file behind.
// Returns the descriptor, or -1 with errno set; the template then holds the
// file's name.
int make_removed_on_signal(char* pattern, int suffix = 0);

// The file is gone, has been put in place under another name, or is in
// other hands: a signal no longer removes it.
void disarm_removal(const char* path);

// Removes every armed file now, for the exits that skip destructors.
void remove_armed_files();

}  // namespace tolva

#endif
