// Fuzz target: one whole run of the program in a scratch directory, on console input and
// on files that the input puts where the program's files go. An input is three setup
// bytes, then the console input:
//   byte 0, byte 1  what stands at the report's and at the table's final name before the
//                   run (see Kind: nothing, an earlier file, a read-only one, links of
//                   every sort, a directory, a FIFO)
//   byte 2          bits 0-1 the run directory's mode (0755, 0555, 0333), bit 2 a hidden
//                   file that looks like another run's temporary file
// Besides the sanitizers' findings, a run fails the target if its exit status is not one
// of the three, or if afterwards
//   - anything outside the run directory changed (a link's target, a file beside it);
//   - an entry of the run directory other than the two final names changed, or a new one
//     appeared (a temporary file left behind);
//   - the final names do not match the status: 0, both are complete regular files (the
//     report ends with the results shown on the console, the table has whole blocks);
//     1, the report is a regular file ending with the error exit line and the table's
//     name is as it was; 2, both names are as they were.
// When it runs as root, the target drops the capabilities that bypass file permissions,
// so that read-only files and directories mean what they say.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/run_state.h"
#include "report/text_units.h"
#include "results/orbital_table.h"
#include "run/atom_input.h"
#include "state/atomic_state.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fault(const std::string& what) {
  std::fprintf(stderr, "hfatom_fuzz: %s\n", what.c_str());
  std::abort();
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What stands at a final name before the run.
enum class Kind : std::uint8_t {
  nothing,
  earlier_file,
  read_only_file,
  link_to_file_outside,
  dangling_link,
  link_to_dev_null,
  link_to_dev_full,
  link_to_the_other_name,
  directory,
  fifo,
  link_to_itself,
  link_to_directory_outside,
  count
};

// Each entry below a directory, by path relative to it: its type and what matters of it.
using Snapshot = std::map<std::string, std::string>;

// `skip` is a directory whose entries are left out.
void snapshot_into(const fs::path& dir, const std::string& prefix, Snapshot& snapshot, const fs::path& skip) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = prefix + entry.path().filename().string();
    struct stat status {};
    if (::lstat(entry.path().c_str(), &status) != 0) fault("cannot lstat " + name);
    const std::string mode = std::to_string(status.st_mode & 07777);
    if (S_ISLNK(status.st_mode)) {
      snapshot[name] = "link " + fs::read_symlink(entry.path()).string();
    } else if (S_ISREG(status.st_mode)) {
      snapshot[name] = "file " + mode + " " + read_file(entry.path());
    } else if (S_ISDIR(status.st_mode)) {
      snapshot[name] = "directory " + mode;
      if (entry.path() != skip) snapshot_into(entry.path(), name + "/", snapshot, skip);
    } else {
      snapshot[name] = "other " + std::to_string(status.st_mode);
    }
  }
}

// The entries in which two snapshots differ, for a fault message.
std::string differences(const Snapshot& before, const Snapshot& after) {
  std::string text;
  for (const auto& [name, what] : before)
    if (!after.contains(name) || after.at(name) != what) text += "\n  before: \"" + name + "\" " + what.substr(0, 60);
  for (const auto& [name, what] : after)
    if (!before.contains(name) || before.at(name) != what) text += "\n  after:  \"" + name + "\" " + what.substr(0, 60);
  return text;
}

Snapshot snapshot_of(const fs::path& dir, const fs::path& skip = {}) {
  Snapshot snapshot;
  snapshot_into(dir, "", snapshot, skip);
  return snapshot;
}

// <tmp>/hfatom-fuzz-XXXXXX holds the run directory "run" and what links may point to:
// "target" (a file), "elsewhere/" (a directory) and "missing" (never there).
class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "hfatom-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) fault("mkdtemp failed");
    top_ = pattern;
    run_ = top_ / "run";
    fs::create_directory(run_);
    std::ofstream(top_ / "target", std::ios::binary) << "the target of a link\r\n";
    fs::create_directory(top_ / "elsewhere");
    std::ofstream(top_ / "elsewhere" / "inside", std::ios::binary) << "inside\r\n";
  }
  ~Scratch() {
    std::error_code ignored;
    fs::permissions(run_, fs::perms(0755), ignored);
    fs::remove_all(top_, ignored);
  }

  const fs::path& top() const { return top_; }
  const fs::path& run_dir() const { return run_; }

  void clear() const {
    fs::permissions(run_, fs::perms(0755));
    for (const auto& entry : fs::directory_iterator(run_)) fs::remove_all(entry.path());
  }

 private:
  fs::path top_;
  fs::path run_;
};

void make(Kind kind, const std::string& name, const std::string& other_name, const fs::path& dir) {
  const fs::path path = dir / name;
  switch (kind) {
    case Kind::earlier_file:
    case Kind::read_only_file:
      std::ofstream(path, std::ios::binary) << "an earlier " << name << "\r\n";
      if (kind == Kind::read_only_file) fs::permissions(path, fs::perms(0444));
      break;
    case Kind::link_to_file_outside:
      fs::create_symlink("../target", path);
      break;
    case Kind::dangling_link:
      fs::create_symlink("../missing", path);
      break;
    case Kind::link_to_dev_null:
      fs::create_symlink("/dev/null", path);
      break;
    case Kind::link_to_dev_full:
      fs::create_symlink("/dev/full", path);
      break;
    case Kind::link_to_the_other_name:
      fs::create_symlink(other_name, path);
      break;
    case Kind::directory:
      fs::create_directory(path);
      std::ofstream(path / "inside", std::ios::binary) << "inside\r\n";
      break;
    case Kind::fifo:
      if (::mkfifo(path.c_str(), 0644) != 0) fault("mkfifo failed");
      break;
    case Kind::link_to_itself:
      fs::create_symlink(name, path);
      break;
    case Kind::link_to_directory_outside:
      fs::create_symlink("../elsewhere", path);
      break;
    case Kind::nothing:
    case Kind::count:
      break;
  }
}

// The two final names the console input asks for, as the program forms them from the
// first line's first four characters, or nothing when they name no file.
std::optional<std::pair<std::string, std::string>> final_names(const std::string& console) {
  hf::Text4 symbol = hf::kBlank4;
  for (std::size_t k = 0; k < symbol.size() && k < console.size() && console[k] != '\n' && console[k] != '\r'; ++k)
    symbol[k] = console[k];
  try {
    return std::pair{hf::report_file_name(symbol), hf::orbital_table_file_name(symbol)};
  } catch (const hf::report::RunDiagnostic&) {
    return std::nullopt;
  }
}

bool ends_with(const std::string& text, const std::string& end) { return text.ends_with(end); }

std::size_t line_count(const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++count;
  return count;
}

// A final name after a run that installed it: a regular file with the mode of a new file.
std::string installed_file(const fs::path& path, mode_t mode) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
    fault("\"" + path.filename().string() + "\" is not a regular file after the run installed it");
  if ((status.st_mode & 0777) != mode)
    fault("\"" + path.filename().string() + "\" has mode " + std::to_string(status.st_mode & 0777));
  return read_file(path);
}

void check_outcome(int status, const Scratch& scratch, const Snapshot& top_before, const Snapshot& run_before,
                   const std::optional<std::pair<std::string, std::string>>& names, const std::string& console) {
  if (status != 0 && status != hf::kExitFailedRun && status != hf::kExitDiagnostic)
    fault("exit status " + std::to_string(status));
  if (const Snapshot top_after = snapshot_of(scratch.top(), scratch.run_dir()); top_after != top_before)
    fault("something outside the run directory changed:" + differences(top_before, top_after));
  struct stat device {};
  for (const char* path : {"/dev/null", "/dev/full"})
    if (::lstat(path, &device) != 0 || !S_ISCHR(device.st_mode)) fault(std::string(path) + " is no longer a device");
  Snapshot run_after = snapshot_of(scratch.run_dir());
  const mode_t new_file_mode = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
  }();
  if (names && status != hf::kExitDiagnostic) {
    const auto& [report_name, table_name] = *names;
    const std::string report = installed_file(scratch.run_dir() / report_name, new_file_mode);
    if (!report.starts_with("   Input data for ")) fault("the installed report does not start with the input echo");
    if (status == 0) {
      // The console holds the four prompts, then the results, which end the report
      // followed by two empty lines.
      std::size_t results = 0;
      for (int k = 0; k < 4; ++k) results = console.find("\r\n", results) + 2;
      if (!ends_with(report, console.substr(results) + "\r\n\r\n")) fault("the report does not end with the results");
      const std::string table = installed_file(scratch.run_dir() / table_name, new_file_mode);
      if (!table.starts_with(" n  l       name       Enl           i    R=0-30 a.u.       psi_nl\r\n") ||
          line_count(table) % 1001 != 1 || !ends_with(table, "\r\n \r\n"))
        fault("the installed orbital table is not complete");
      run_after.erase(table_name);
    } else if (!ends_with(report, "  Error exit in HF Program\r\n")) {
      fault("a failed run's report lacks the error exit line");
    }
    run_after.erase(report_name);
    Snapshot expected = run_before;
    expected.erase(report_name);
    if (status == 0) expected.erase(table_name);
    if (run_after != expected)
      fault("the run directory holds other changes than the installed files:" + differences(expected, run_after));
    return;
  }
  if (status != hf::kExitDiagnostic) fault("a run without usable file names did not end with a diagnostic");
  if (run_after != run_before)
    fault("a run ended by a diagnostic changed the run directory:" + differences(run_before, run_after));
}

// Root passes every permission check: give up the capabilities that do this, once.
void drop_permission_override() {
  if (::geteuid() != 0) return;
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (::syscall(SYS_capget, &header, data) != 0) return;
  const std::uint32_t override_bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
  data[0].effective &= ~override_bits;
  data[0].permitted &= ~override_bits;
  data[0].inheritable &= ~override_bits;
  if (::syscall(SYS_capset, &header, data) != 0) fault("cannot drop CAP_DAC_OVERRIDE");
}

// Makes a relative path in a libFuzzer flag absolute: the crash files are written
// while a run is in progress, that is inside the scratch directory.
void absolutize_flag(std::string& arg, const std::string& flag) {
  if (arg.rfind(flag, 0) != 0) return;
  const std::string value = arg.substr(flag.size());
  if (!value.empty() && value.front() != '/') arg = flag + (fs::current_path() / value).string();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<std::string> args(*argv, *argv + *argc);
  bool has_prefix = false;
  for (std::string& arg : args) {
    absolutize_flag(arg, "-artifact_prefix=");
    absolutize_flag(arg, "-exact_artifact_path=");
    has_prefix = has_prefix || arg.rfind("-artifact_prefix=", 0) == 0;
  }
  if (!has_prefix) args.insert(args.begin() + 1, "-artifact_prefix=" + fs::current_path().string() + "/");
  static std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  *argc = static_cast<int>(args.size());
  *argv = pointers.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch scratch = [] {
    drop_permission_override();
    return Scratch();
  }();
  const auto setup_byte = [&](std::size_t k) { return k < size ? data[k] : std::uint8_t{0}; };
  const std::size_t setup_size = 3;
  const std::string console =
      size > setup_size ? std::string(reinterpret_cast<const char*>(data) + setup_size, size - setup_size) : "";

  scratch.clear();
  const auto names = final_names(console);
  if (names) {
    const auto& [report_name, table_name] = *names;
    const auto kinds = static_cast<std::uint8_t>(Kind::count);
    make(static_cast<Kind>(setup_byte(0) % kinds), report_name, table_name, scratch.run_dir());
    make(static_cast<Kind>(setup_byte(1) % kinds), table_name, report_name, scratch.run_dir());
    if (setup_byte(2) & 4)
      std::ofstream(scratch.run_dir() / ("." + report_name + ".AbCd1234"), std::ios::binary) << "another run's\r\n";
  }
  const Snapshot top_before = snapshot_of(scratch.top(), scratch.run_dir());
  const Snapshot run_before = snapshot_of(scratch.run_dir());
  static constexpr fs::perms kRunDirectoryModes[] = {fs::perms(0755), fs::perms(0555), fs::perms(0333),
                                                     fs::perms(0755)};
  fs::permissions(scratch.run_dir(), kRunDirectoryModes[setup_byte(2) & 3]);

  const int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (home < 0 || ::chdir(scratch.run_dir().c_str()) != 0) fault("cannot enter the scratch directory");
  hf::start_fresh_run();
  hf::report::set_console_input(console);
  hf::report::capture_unit(hf::report::kConsoleOut);
  const int status = hf::run_program();
  const std::string shown = hf::report::captured(hf::report::kConsoleOut);
  hf::report::reset_units();
  if (::fchdir(home) != 0) fault("cannot return from the scratch directory");
  ::close(home);

  fs::permissions(scratch.run_dir(), fs::perms(0755));
  check_outcome(status, scratch, top_before, run_before, names, shown);
  return 0;
}
