// Numbered text streams: console input 5, console output 6, report file 8, orbital table 18.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace hf::report {

inline constexpr int kConsoleIn = 5;
inline constexpr int kConsoleOut = 6;
inline constexpr int kReportUnit = 8;
inline constexpr int kOrbitalTableUnit = 18;

// A fault that ends the run at once: unreadable input, a file that cannot be
// opened, written or closed, an unusable file name. main prints "hfatom: <what()>".
class RunDiagnostic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Creates or truncates the file and attaches it to the unit (throws RunDiagnostic).
void open_file(int unit, const std::string& path);

// Flushes and closes the unit's file; no-op if none. On failure removes the file as
// discard_open_files does, then throws RunDiagnostic.
void close_unit(int unit);

// Closes every open file unit, reporting the first failure (throws RunDiagnostic).
void close_all_units();

// Ends a run that cannot finish: closes every open file unit without reporting
// failures and removes each unit's file, so that no unfinished file passes for a
// complete one. A name that is a symbolic link, or anything but the regular file the
// unit created or truncated, is left as it is.
void discard_open_files();

// Writes one line and its CR LF ending (throws RunDiagnostic on failure).
void write_line(int unit, std::string_view line);

// Reads the next line of console input without its line end (LF or CR LF).
// Returns false at the end of input; throws RunDiagnostic when the input cannot be read.
bool read_line(int unit, std::string& line);

// Test support: unit output goes to a memory buffer; console input comes from a string.
void capture_unit(int unit);
std::string captured(int unit);
void set_console_input(std::string text);
// Drops captures, closes files and returns the console to the process's standard streams.
void reset_units();

}  // namespace hf::report
