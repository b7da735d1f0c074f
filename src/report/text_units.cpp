#include "report/text_units.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

namespace hf::report {

namespace {

struct OutputUnit {
  std::FILE* file = nullptr;  // an opened file, or nullptr
  std::string path;
  bool capturing = false;
  std::string buffer;
  // The regular file that open_file created or truncated, by device and inode, so that
  // an unfinished file is removed only while its name still leads straight to it.
  std::optional<std::pair<dev_t, ino_t>> regular_file;
};

std::map<int, OutputUnit> output_units;
std::optional<std::istringstream> console_input_override;

std::string describe(int unit, const OutputUnit& u) {
  if (unit == kConsoleOut && u.file == nullptr) return "console output";
  std::string what = unit == kReportUnit          ? "report file"
                     : unit == kOrbitalTableUnit ? "orbital table file"
                                                 : "file of unit " + std::to_string(unit);
  return what + " \"" + u.path + "\"";
}

[[noreturn]] void fail(const std::string& action, int unit, const OutputUnit& u, int error) {
  throw RunDiagnostic("cannot " + action + " " + describe(unit, u) + ": " + std::strerror(error));
}

// Removes the unit's file if its name is a directory entry for the very regular file
// the unit wrote: never through a symbolic link, never a device or a file put there since.
void remove_unfinished(const OutputUnit& u) {
  struct stat entry {};
  if (u.regular_file && ::lstat(u.path.c_str(), &entry) == 0 && S_ISREG(entry.st_mode) &&
      entry.st_dev == u.regular_file->first && entry.st_ino == u.regular_file->second)
    ::unlink(u.path.c_str());
}

void flush_console_output() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const int error = errno;
    std::clearerr(stdout);
    fail("write", kConsoleOut, output_units[kConsoleOut], error);
  }
}

}  // namespace

void open_file(int unit, const std::string& path) {
  OutputUnit& u = output_units[unit];
  if (u.file != nullptr) close_unit(unit);
  u.path = path;
  if (u.capturing) {
    u.buffer.clear();  // as a freshly truncated file
    return;
  }
  u.regular_file.reset();
  // Opened without truncating, and without waiting should the name be a FIFO, so that
  // the file can be checked before anything in it is lost.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    struct stat named {};
    if (errno == ENXIO && ::stat(path.c_str(), &named) == 0 && S_ISFIFO(named.st_mode))
      throw RunDiagnostic("cannot open " + describe(unit, u) + ": it is a FIFO that no process reads");
    fail("open", unit, u, errno);
  }
  const auto give_up = [&](int error) {
    ::close(fd);
    u.regular_file.reset();
    fail("open", unit, u, error);
  };
  struct stat opened {};
  if (::fstat(fd, &opened) != 0) give_up(errno);
  if (S_ISREG(opened.st_mode)) {
    // Two units on one file would overwrite each other.
    const std::pair identity{opened.st_dev, opened.st_ino};
    for (const auto& [other, o] : output_units)
      if (other != unit && o.file != nullptr && o.regular_file == identity) {
        ::close(fd);
        throw RunDiagnostic("cannot open " + describe(unit, u) + ": it is the " + describe(other, o) + " as well");
      }
    if (::ftruncate(fd, 0) != 0) give_up(errno);
    u.regular_file = identity;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) give_up(errno);
  u.file = ::fdopen(fd, "wb");
  if (u.file == nullptr) give_up(errno);
}

void close_unit(int unit) {
  auto it = output_units.find(unit);
  if (it == output_units.end()) {
    if (unit == kConsoleOut) flush_console_output();
    return;
  }
  OutputUnit& u = it->second;
  if (u.file == nullptr) {
    if (unit == kConsoleOut && !u.capturing) flush_console_output();
    return;
  }
  std::FILE* file = u.file;
  u.file = nullptr;
  errno = 0;
  const bool write_failed = std::ferror(file) != 0;
  const int close_result = std::fclose(file);
  if (write_failed || close_result != 0) {
    const int error = errno != 0 ? errno : EIO;
    remove_unfinished(u);
    fail("write", unit, u, error);
  }
}

void close_all_units() {
  for (auto& [unit, u] : output_units)
    if (u.file != nullptr) close_unit(unit);
  close_unit(kConsoleOut);
}

void discard_open_files() {
  for (auto& [unit, u] : output_units)
    if (u.file != nullptr) {
      std::fclose(u.file);
      u.file = nullptr;
      remove_unfinished(u);
    }
}

void write_line(int unit, std::string_view line) {
  OutputUnit& u = output_units[unit];
  if (u.capturing) {
    u.buffer.append(line);
    u.buffer.append("\r\n");
    return;
  }
  std::FILE* file = u.file;
  if (file == nullptr) {
    if (unit != kConsoleOut)
      throw RunDiagnostic("internal error: write to unit " + std::to_string(unit) + ", which is not open");
    file = stdout;
  }
  errno = 0;
  if (std::fwrite(line.data(), 1, line.size(), file) != line.size() || std::fwrite("\r\n", 1, 2, file) != 2) {
    const int error = errno != 0 ? errno : EIO;
    if (file == stdout) std::clearerr(stdout);
    fail("write", unit, u, error);
  }
}

bool read_line(int unit, std::string& line) {
  if (unit != kConsoleIn) throw RunDiagnostic("internal error: read from unit " + std::to_string(unit));
  // The prompts must be on the screen before the program waits for the answer.
  if (!output_units[kConsoleOut].capturing) flush_console_output();
  std::istream& in = console_input_override ? static_cast<std::istream&>(*console_input_override) : std::cin;
  errno = 0;
  if (!std::getline(in, line)) {
    // std::cin reads through stdin, whose error flag tells a failed read from the end.
    if (!console_input_override && std::ferror(stdin)) {
      const int error = errno != 0 ? errno : EIO;
      std::clearerr(stdin);
      throw RunDiagnostic(std::string("cannot read console input: ") + std::strerror(error));
    }
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void capture_unit(int unit) {
  OutputUnit& u = output_units[unit];
  u.capturing = true;
  u.buffer.clear();
}

std::string captured(int unit) {
  auto it = output_units.find(unit);
  return it == output_units.end() ? std::string() : it->second.buffer;
}

void set_console_input(std::string text) { console_input_override.emplace(std::move(text)); }

void reset_units() {
  for (auto& [unit, u] : output_units)
    if (u.file != nullptr) {
      std::fclose(u.file);
      u.file = nullptr;
    }
  output_units.clear();
  console_input_override.reset();
}

}  // namespace hf::report
