// Fuzz target: arbitrary bytes as the console input of one whole run of the program,
// in a scratch directory. Besides the sanitizers' findings, a run fails the target if
// its exit status is not one of the three, if a file appears outside the scratch
// directory or is not one of the run's two files, or if the files left do not match
// the status: a finished run leaves its report and orbital table, a failed stage the
// report ending in the error exit line, a diagnostic nothing at all.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/run_state.h"
#include "report/text_units.h"
#include "state/atomic_state.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fault(const std::string& what) {
  std::fprintf(stderr, "hfatom_fuzz: %s\n", what.c_str());
  std::abort();
}

// <tmp>/hfatom-fuzz-XXXXXX/run: the run's working directory. Its parent holds
// nothing else, so a file written beside it (a name with "..") shows up there.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "hfatom-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) fault("mkdtemp failed");
    top_ = pattern;
    run_ = top_ / "run";
    fs::create_directory(run_);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(top_, ignored);
  }

  const fs::path& run_dir() const { return run_; }

  void clear() const {
    for (const auto& entry : fs::directory_iterator(run_)) fs::remove_all(entry.path());
  }

  // The files the run left, after checking that nothing else was written.
  std::vector<std::string> files() const {
    for (const auto& entry : fs::directory_iterator(top_))
      if (entry.path() != run_) fault("a file outside the run directory: " + entry.path().string());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(run_)) {
      const std::string name = entry.path().filename().string();
      if (!entry.is_regular_file() || entry.is_symlink()) fault("not a regular file: \"" + name + "\"");
      const std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
      if (name.size() > 8 || (ext != ".out" && ext != ".dat")) fault("not a file of the run: \"" + name + "\"");
      names.push_back(name);
    }
    return names;
  }

 private:
  fs::path top_;
  fs::path run_;
};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool has_extension(const std::vector<std::string>& names, const char* ext) {
  for (const std::string& name : names)
    if (name.ends_with(ext)) return true;
  return false;
}

void check_outcome(int status, const Scratch& scratch) {
  const std::vector<std::string> names = scratch.files();
  const std::string count = std::to_string(names.size());
  switch (status) {
    case 0:
      if (names.size() != 2 || !has_extension(names, ".out") || !has_extension(names, ".dat"))
        fault("a finished run left " + count + " files instead of its report and orbital table");
      break;
    case hf::kExitFailedRun: {
      if (names.size() != 1 || !has_extension(names, ".out"))
        fault("a failed run left " + count + " files instead of its report alone");
      const std::string report = read_file(scratch.run_dir() / names.front());
      if (!report.ends_with("  Error exit in HF Program\r\n")) fault("a failed run's report lacks the error exit line");
      break;
    }
    case hf::kExitDiagnostic:
      if (!names.empty()) fault("a run ended by a diagnostic left " + count + " files");
      break;
    default:
      fault("exit status " + std::to_string(status));
  }
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
  static const Scratch scratch;
  scratch.clear();
  const int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (home < 0 || ::chdir(scratch.run_dir().c_str()) != 0) fault("cannot enter the scratch directory");

  hf::start_fresh_run();
  hf::report::set_console_input(std::string(reinterpret_cast<const char*>(data), size));
  hf::report::capture_unit(hf::report::kConsoleOut);
  const int status = hf::run_program();
  hf::report::reset_units();

  if (::fchdir(home) != 0) fault("cannot return from the scratch directory");
  ::close(home);
  check_outcome(status, scratch);
  return 0;
}
