#include "report/text_units.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "report/pending_file.h"
#include "report/signal_cleanup.h"

namespace hf::report {

namespace {

struct OutputUnit {
  std::unique_ptr<PendingFile> file;  // the unit's file until it is installed or discarded
  std::string path;
  bool capturing = false;
  std::string buffer;
  std::string last_line;     // the line last written
  bool last_marked = false;  // whether it is a failure's message
};

std::map<int, OutputUnit> output_units;

// Console input: the process's standard input read in blocks, or a test's text. A line
// that ended in a CR leaves `after_cr` set, so that an LF right after it is taken as the
// second half of a CR LF rather than as an empty line; the byte is not waited for.
struct ConsoleSource {
  std::optional<std::string> text;  // a test's input in place of standard input
  std::size_t text_at = 0;
  std::array<char, 4096> block{};
  std::size_t block_at = 0;
  std::size_t block_end = 0;
  bool at_end = false;
  bool after_cr = false;
};

ConsoleSource console_source;

std::string describe(int unit, const OutputUnit& u) {
  if (unit == kConsoleOut && u.file == nullptr) return "console output";
  std::string what = unit == kReportUnit         ? "report file"
                     : unit == kOrbitalTableUnit ? "orbital table file"
                                                 : "file of unit " + std::to_string(unit);
  return what + " \"" + u.path + "\"";
}

[[noreturn]] void fail(const std::string& action, int unit, const OutputUnit& u, int error) {
  throw RunDiagnostic("cannot " + action + " " + describe(unit, u) + ": " + std::strerror(error));
}

void flush_console_output() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const int error = errno;
    std::clearerr(stdout);
    fail("write", kConsoleOut, output_units[kConsoleOut], error);
  }
}

// The next byte of console input, or -1 at its end. Throws when standard input cannot be
// read; waits for input on a descriptor left non-blocking by another program.
int next_console_byte() {
  ConsoleSource& in = console_source;
  if (in.text) return in.text_at < in.text->size() ? static_cast<unsigned char>((*in.text)[in.text_at++]) : -1;
  while (in.block_at == in.block_end) {
    if (in.at_end) return -1;
    const ssize_t count = ::read(STDIN_FILENO, in.block.data(), in.block.size());
    if (count > 0) {
      in.block_at = 0;
      in.block_end = static_cast<std::size_t>(count);
    } else if (count == 0) {
      in.at_end = true;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{STDIN_FILENO, POLLIN, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      throw RunDiagnostic(std::string("cannot read console input: ") + std::strerror(errno));
    }
  }
  return static_cast<unsigned char>(in.block[in.block_at++]);
}

}  // namespace

void open_file(int unit, const std::string& path) {
  OutputUnit& u = output_units[unit];
  if (u.file != nullptr) u.file->discard();
  u.file.reset();
  u.path = path;
  if (u.capturing) {
    u.buffer.clear();  // as a new file
    return;
  }
  u.file = std::make_unique<PendingFile>(path, describe(unit, u));
}

void close_unit(int unit) {
  auto it = output_units.find(unit);
  if (it == output_units.end() || it->second.file == nullptr) {
    if (unit == kConsoleOut && (it == output_units.end() || !it->second.capturing)) flush_console_output();
    return;
  }
  it->second.file->finish();
}

void close_all_units() {
  for (auto& [unit, u] : output_units)
    if (u.file != nullptr && u.file->stream() != nullptr) close_unit(unit);
  close_unit(kConsoleOut);
}

void install_files(std::initializer_list<int> units) {
  std::vector<PendingFile*> files;
  for (int unit : units) {
    auto it = output_units.find(unit);
    if (it != output_units.end() && it->second.file != nullptr) files.push_back(it->second.file.get());
  }
  PendingFile::install(files);
  for (int unit : units) {
    auto it = output_units.find(unit);
    if (it != output_units.end()) it->second.file.reset();
  }
}

void discard_open_files() {
  for (auto& [unit, u] : output_units)
    if (u.file != nullptr) {
      u.file->discard();
      u.file.reset();
    }
}

void write_line(int unit, std::string_view line) {
  OutputUnit& u = output_units[unit];
  u.last_line.assign(line);
  u.last_marked = false;
  if (u.capturing) {
    u.buffer.append(line);
    u.buffer.append("\r\n");
    return;
  }
  std::FILE* file = u.file != nullptr ? u.file->stream() : nullptr;
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
  line.clear();
  bool any = false;
  for (;;) {
    const int c = next_console_byte();
    if (c < 0) return any;
    if (console_source.after_cr) {
      console_source.after_cr = false;
      if (c == '\n') continue;
    }
    any = true;
    if (c == '\n') return true;
    if (c == '\r') {
      console_source.after_cr = true;
      return true;
    }
    if (line.size() == kMaxConsoleLine)
      throw RunDiagnostic("a line of console input is longer than the limit of " + std::to_string(kMaxConsoleLine) +
                          " characters");
    line.push_back(static_cast<char>(c));
  }
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

void set_console_input(std::string text) {
  console_source = ConsoleSource{};
  console_source.text = std::move(text);
}

void mark_last_line(int unit) { output_units[unit].last_marked = true; }

std::optional<std::string> marked_last_line(int unit) {
  const auto it = output_units.find(unit);
  if (it == output_units.end() || !it->second.last_marked) return std::nullopt;
  return it->second.last_line;
}

void reset_units() {
  discard_open_files();
  output_units.clear();
  console_source = ConsoleSource{};
  restore_signal_handling();
}

}  // namespace hf::report
