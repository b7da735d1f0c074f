#include "report/text_units.h"

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
  errno = 0;
  u.file = std::fopen(path.c_str(), "wb");
  if (u.file == nullptr) fail("open", unit, u, errno);
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
  if (write_failed || close_result != 0) fail("write", unit, u, errno != 0 ? errno : EIO);
}

void close_all_units() {
  for (auto& [unit, u] : output_units)
    if (u.file != nullptr) close_unit(unit);
  close_unit(kConsoleOut);
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
  if (!std::getline(in, line)) return false;
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
