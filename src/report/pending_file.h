// An output file written to a hidden temporary file beside its final name and renamed
// over that name only once it is complete, so that the name never shows a partial file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace hf::report {

class PendingFile {
 public:
  // Creates the temporary file for the final name `path` in the same directory:
  // ".<name>.<8 random letters and digits>", created exclusively with mode 0666 before
  // the umask, and registered for removal should a signal end the run (signal_cleanup.h).
  // `what` names the file in diagnostics, e.g. report file "He  .out". Throws
  // RunDiagnostic "cannot open <what>: <reason>" when the directory cannot be opened or
  // take a new file, or when the final name is a directory or a regular file that this
  // process may not write (a write-protected earlier file is kept, not replaced).
  PendingFile(const std::string& path, std::string what);
  // Removes the temporary file unless it was installed.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // The stream to write to; nullptr once the file is finished or discarded.
  std::FILE* stream() const { return stream_; }

  // Flushes the stream, syncs the file to disk and closes it; the file then waits for
  // install. On failure removes the temporary file and throws RunDiagnostic
  // "cannot write <what>: <reason>".
  void finish();

  // Closes and removes the temporary file, whatever its state; never fails.
  void discard();

  // Renames the finished `files` over their final names, in the given order, as one
  // step: under an exclusive flock on each files' directory (held only for the renames,
  // so that concurrent runs install their sets one after the other) and with the caught
  // signals blocked. A final name that is a symbolic link, FIFO or device is replaced;
  // a link's target is never touched. Before the first rename every final name is
  // checked as in the constructor. Should a rename fail, the files already installed
  // are put back as they were (an earlier file is kept as a hard link until the end),
  // and RunDiagnostic "cannot install <what>: <reason>" is thrown; the files not
  // installed stay pending for the caller to discard. When the directory cannot be
  // locked (a file system without flock) the renames go ahead unlocked.
  static void install(const std::vector<PendingFile*>& files);

 private:
  enum class State { writing, finished, gone };

  [[noreturn]] void fail(const char* action, int error);

  std::string what_;
  std::string name_;       // the final name, within the directory
  std::string temporary_;  // the temporary file's name, within the directory
  int directory_fd_ = -1;
  std::FILE* stream_ = nullptr;
  int slot_ = -1;  // signal_cleanup's slot, or -1
  State state_ = State::writing;
};

}  // namespace hf::report
