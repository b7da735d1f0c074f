// Runs the hfatom program in a fresh temporary directory and collects its console
// output, standard error, exit status and files.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

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
  const std::string command = "cd '" + run.dir.string() + "' && " + launch.shell_setup + " " + launch.wrapper + " '" +
                              launch.exe + "' " + launch.arguments + " " + in + " > " + launch.console +
                              " 2> hfatom-errors";
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

// Every entry of the directory but the harness's hfatom-* files: regular files with
// their contents, symbolic links as "-> target", directories as "(directory)", anything
// else as "(other)". Two equal results mean nothing was written, added or removed.
inline std::map<std::string, std::string> directory_contents(const fs::path& dir) {
  std::map<std::string, std::string> found;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("hfatom-", 0) == 0) continue;
    found[name] = entry.is_symlink()        ? "-> " + fs::read_symlink(entry.path()).string()
                  : entry.is_regular_file() ? read_file(entry.path())
                  : entry.is_directory()    ? "(directory)"
                                            : "(other)";
  }
  return found;
}

// A run started without waiting for it, for tests that signal runs or start several at
// once. The directory must exist; standard input comes from `input` (a file in it),
// standard output goes to `console` unless `console_fd` is given, and standard error to
// `errors`. `shell_setup`, when given, runs first in /bin/sh (e.g. "ulimit -f 4;").
struct Spawn {
  fs::path dir = {};
  std::string input = "hfatom-input";
  std::string console = "hfatom-console";
  int console_fd = -1;
  std::string errors = "hfatom-errors";
  std::string shell_setup = {};
  std::vector<int> ignored_signals = {};  // ignored in the child, as nohup does; others default
  std::string exe = HFATOM_EXE;
};

// Starts the run; returns its process id (throws when it cannot be started).
inline pid_t spawn_hfatom(const Spawn& how) {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addchdir_np(&files, how.dir.c_str());
  posix_spawn_file_actions_addopen(&files, 0, how.input.c_str(), O_RDONLY, 0);
  if (how.console_fd >= 0)
    posix_spawn_file_actions_adddup2(&files, how.console_fd, 1);
  else
    posix_spawn_file_actions_addopen(&files, 1, how.console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&files, 2, how.errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults, none;
  sigfillset(&defaults);
  sigemptyset(&none);
  for (int signal_number : how.ignored_signals) {
    sigdelset(&defaults, signal_number);
    signal(signal_number, SIG_IGN);  // inherited by the child; put back below
  }
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  const std::string command = how.shell_setup + " exec \"$0\"";
  std::vector<std::string> args = how.shell_setup.empty() ? std::vector<std::string>{how.exe}
                                                          : std::vector<std::string>{"/bin/sh", "-c", command, how.exe};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), environ);
  for (int signal_number : how.ignored_signals) signal(signal_number, SIG_DFL);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  if (error != 0) throw std::runtime_error("cannot start " + how.exe);
  return pid;
}

// Waits for the run; returns its wait status (WIFEXITED, WIFSIGNALED, ...).
inline int wait_for(pid_t pid) {
  int raw = 0;
  while (waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
  }
  return raw;
}

// A new empty directory, removed with the last copy of the returned pointer.
inline std::shared_ptr<const fs::path> scratch_directory() {
  std::string pattern = (fs::temp_directory_path() / "hfatom-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return std::shared_ptr<const fs::path>(new fs::path(pattern), [](const fs::path* dir) {
    std::error_code ignored;
    fs::permissions(*dir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(*dir, ignored);
    delete dir;
  });
}

}  // namespace hf::e2e
