// Runs the hfatom program in a fresh temporary directory and collects its console
// output, standard error, exit status and files.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

namespace hf::e2e {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void write_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

struct RunResult {
  fs::path dir;
  int status = -1;
  std::string console;
  std::string errors;
  std::shared_ptr<void> cleanup;  // removes the directory with the last copy

  std::string file(const std::string& name) const { return read_file(dir / name); }
  bool has(const std::string& name) const { return fs::exists(fs::symlink_status(dir / name)); }
  int file_count() const {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.path().filename().string().rfind("hfatom-", 0) != 0) ++count;
    return count;
  }
};

// How to start the program; the defaults give a plain run.
struct Launch {
  std::string exe = HFATOM_EXE;
  std::string console = "hfatom-console";  // standard output goes to this file
  std::string stdin_redirect;              // e.g. "<&-"; default: the input file
  std::string shell_setup;                 // shell commands run first, e.g. "ulimit -f 8;"
  std::string wrapper;                     // a program that runs hfatom, e.g. setpriv ...
  std::string arguments;                   // shell words after the program, e.g. "--help"
};

// Runs hfatom in a new empty directory with `input` on standard input. `prepare` may
// put files into the directory first.
inline RunResult run_hfatom(const std::string& input, const std::function<void(const fs::path&)>& prepare,
                            const Launch& launch) {
  RunResult run;
  std::string pattern = (fs::temp_directory_path() / "hfatom-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  run.dir = pattern;
  run.cleanup = std::shared_ptr<void>(nullptr, [dir = run.dir](void*) {
    std::error_code ignored;
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir, ignored);
  });
  write_file(run.dir / "hfatom-input", input);
  if (prepare) prepare(run.dir);
  const std::string in = launch.stdin_redirect.empty() ? "< hfatom-input" : launch.stdin_redirect;
  const std::string command = "cd '" + run.dir.string() + "' && " + launch.shell_setup + " " + launch.wrapper +
                              " '" + launch.exe + "' " + launch.arguments + " " + in + " > " + launch.console + " 2> hfatom-errors";
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.console = read_file(run.dir / "hfatom-console");
  run.errors = read_file(run.dir / "hfatom-errors");
  return run;
}

inline RunResult run_hfatom(const std::string& input, const std::function<void(const fs::path&)>& prepare = {},
                            const std::string& console = "hfatom-console") {
  Launch launch;
  launch.console = console;
  return run_hfatom(input, prepare, launch);
}

}  // namespace hf::e2e
