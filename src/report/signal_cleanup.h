// Removal of a run's temporary files when SIGINT, SIGTERM, SIGHUP or SIGPIPE ends it.
#pragma once

#include <signal.h>

namespace hf::report {

// The longest file name (without directory) that can be registered, NUL excluded.
inline constexpr int kMaxTemporaryName = 255;

// Remembers the temporary file `name` in the directory `directory_fd` so that a signal
// removes it; returns its slot for forget_temporary. The first registration makes
// SIGINT, SIGTERM, SIGHUP and SIGPIPE remove every registered file and then end the
// process by that signal with its default action; a signal the process ignored at that
// moment (nohup, a background job) stays ignored. SIGXFSZ is ignored from then on, so
// that a file growing past the file size limit fails its write instead of killing the
// process. Call with the signals blocked (SignalBlock) around the file's creation.
// Returns -1 if every slot is taken or the name is too long (the file then goes
// unprotected; the program never holds more than a few).
int register_temporary(int directory_fd, const char* name);

// The slot's file no longer needs removing (it was renamed or removed). Call with the
// signals blocked. -1 is ignored.
void forget_temporary(int slot);

// The run's files are installed: from now on these signals no longer end the process
// (a signal that arrives once the installation has begun comes too late to undo it).
// Call with the signals blocked.
void mark_installed();

// Puts back the signal handling the process had before the first registration and
// forgets every slot (for drivers that run the program several times in one process).
void restore_signal_handling();

// Blocks SIGINT, SIGTERM, SIGHUP and SIGPIPE for its lifetime, so that a sequence of
// file operations (a creation and its registration, an installation) is never cut short.
class SignalBlock {
 public:
  SignalBlock();
  ~SignalBlock();
  SignalBlock(const SignalBlock&) = delete;
  SignalBlock& operator=(const SignalBlock&) = delete;

 private:
  sigset_t saved_;  // the mask before the block
};

}  // namespace hf::report
