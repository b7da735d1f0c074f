// Numbered text streams: console input 5, console output 6, report file 8, orbital table 18.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace hf::report {

inline constexpr int kConsoleIn = 5;
inline constexpr int kConsoleOut = 6;
inline constexpr int kReportUnit = 8;
inline constexpr int kOrbitalTableUnit = 18;

// A fault that ends the run at once: unreadable input, a file that cannot be
// opened, written, synced or installed, an unusable file name. main prints
// "hfatom: <what()>".
class RunDiagnostic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Longest console input line, line end excluded; a longer line ends the run.
inline constexpr std::size_t kMaxConsoleLine = 4096;

// Starts the unit's file: creates a hidden temporary file beside `path` that takes the
// unit's lines until the file is installed (pending_file.h). A file the unit had not
// installed is discarded first. Throws RunDiagnostic when it cannot be created.
void open_file(int unit, const std::string& path);

// Finishes the unit's file: flushes, syncs and closes it; it then waits for
// install_files. For the console output, flushes it. No-op for a unit without a file.
// On failure removes the unit's temporary file, then throws RunDiagnostic.
void close_unit(int unit);

// Finishes every open file unit, then flushes the console output, reporting the first
// failure (throws RunDiagnostic).
void close_all_units();

// Renames the finished files of `units`, in that order and as one step, over their final
// names (PendingFile::install); a unit without a file is passed over. Throws
// RunDiagnostic when a rename fails, after putting back what it had replaced.
void install_files(std::initializer_list<int> units);

// Ends a run that cannot finish: closes every file unit without reporting failures and
// removes each unit's temporary file, so that the final names stay as they were.
void discard_open_files();

// Writes one line and its CR LF ending (throws RunDiagnostic on failure).
void write_line(int unit, std::string_view line);

// Marks the line last written to the unit as the message of a failure, so that the run can
// name it when it ends; the next line written to the unit takes the mark away.
void mark_last_line(int unit);

// The line last written to the unit if it is marked, else nothing.
std::optional<std::string> marked_last_line(int unit);

// Reads the next line of console input without its line end: LF, CR LF, or a CR alone
// (old Mac text). Returns false at the end of input. Throws RunDiagnostic when the input
// cannot be read and when the line is longer than kMaxConsoleLine; reads at most one
// buffer beyond that point, so memory stays bounded whatever the input.
bool read_line(int unit, std::string& line);

// Test support: unit output goes to a memory buffer; console input comes from a string.
void capture_unit(int unit);
std::string captured(int unit);
void set_console_input(std::string text);
// Drops captures, discards unfinished files, returns the console to the process's standard
// streams and puts back the signal handling the process had before the first file.
void reset_units();

}  // namespace hf::report
