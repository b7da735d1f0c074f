// Signals that end a run in progress (an interrupt, a timeout, a closed terminal, a
// console pipe whose reader went away): the run removes its temporary files and ends by
// that signal, so the earlier report and table stay as they were and nothing else is
// left. A signal that comes once the files are being installed is too late to stop the
// run, which then finishes with its own files.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "e2e/run_hfatom.h"

namespace {

using namespace hf::e2e;

const std::string kXenon = "Xe\n11\n54\n";
const std::string kReport = "Xe  .out";
const std::string kTable = "Xe  .dat";

// Xe's report and table from one undisturbed run.
const std::map<std::string, std::string>& undisturbed() {
  static const std::map<std::string, std::string> files = directory_contents(run_hfatom(kXenon).dir);
  return files;
}

// A directory with the input and an earlier run's files in it.
std::shared_ptr<const fs::path> prepared_directory() {
  auto dir = scratch_directory();
  write_file(*dir / "hfatom-input", kXenon);
  write_file(*dir / kReport, "an earlier report\r\n");
  write_file(*dir / kTable, "an earlier table\r\n");
  fs::create_symlink("/dev/null", *dir / "Xe  .lnk");  // a bystander
  return dir;
}

// Waits until the run has a temporary file ".<final>.<random>" or has ended; true for the first.
bool wait_for_temporary(const fs::path& dir, const std::string& final_name, pid_t pid) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (std::chrono::steady_clock::now() < give_up) {
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.path().filename().string().rfind("." + final_name + ".", 0) == 0) return true;
    siginfo_t ended{};
    if (waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == pid)
      return false;  // left for wait_for to collect
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

struct SignalCase {
  const char* name;
  int signal_number;
  const char* wait_for;  // the final name whose temporary file must exist first
  int delay_ms;          // then this long before the signal
};

void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }

class SignalledRun : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalledRun, EndsByTheSignalAndLeavesTheEarlierFiles) {
  const SignalCase& c = GetParam();
  const auto dir = prepared_directory();
  const auto before = directory_contents(*dir);
  const pid_t pid = spawn_hfatom({.dir = *dir});
  const bool in_progress = wait_for_temporary(*dir, c.wait_for, pid);
  if (in_progress) {
    std::this_thread::sleep_for(std::chrono::milliseconds(c.delay_ms));
    kill(pid, c.signal_number);
  }
  const int raw = wait_for(pid);
  EXPECT_EQ(read_file(*dir / "hfatom-errors"), "");
  if (WIFSIGNALED(raw)) {
    EXPECT_EQ(WTERMSIG(raw), c.signal_number);
    EXPECT_EQ(directory_contents(*dir), before);
    return;
  }
  // Too late: the table is written at the very end, the run may have finished.
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0);
  EXPECT_EQ(std::string(c.wait_for), kTable) << "the signal did not end a run in its Hartree-Fock iteration";
  auto expected = undisturbed();
  expected["Xe  .lnk"] = "-> /dev/null";
  EXPECT_EQ(directory_contents(*dir), expected);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalledRun,
                         ::testing::Values(SignalCase{"INT_at_once", SIGINT, "Xe  .out", 0},
                                           SignalCase{"INT_later", SIGINT, "Xe  .out", 30},
                                           SignalCase{"INT_in_table", SIGINT, "Xe  .dat", 0},
                                           SignalCase{"TERM_at_once", SIGTERM, "Xe  .out", 0},
                                           SignalCase{"TERM_later", SIGTERM, "Xe  .out", 30},
                                           SignalCase{"TERM_in_table", SIGTERM, "Xe  .dat", 0},
                                           SignalCase{"HUP_at_once", SIGHUP, "Xe  .out", 0},
                                           SignalCase{"HUP_later", SIGHUP, "Xe  .out", 30},
                                           SignalCase{"HUP_in_table", SIGHUP, "Xe  .dat", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// A console pipe whose reader leaves after the third prompt: the results cannot be shown.
// With SIGPIPE at its default the run ends by it; with SIGPIPE ignored the write fails
// and the run ends with a diagnostic. Either way no file is installed.
TEST(SignalledRun, ConsolePipeClosedByItsReaderInstallsNothing) {
  for (const bool ignored : {false, true}) {
    SCOPED_TRACE(ignored ? "SIGPIPE ignored" : "SIGPIPE at its default");
    const auto dir = prepared_directory();
    const auto before = directory_contents(*dir);
    int pipe_ends[2];
    ASSERT_EQ(pipe2(pipe_ends, O_CLOEXEC), 0);  // the run must not hold the reading end itself
    Spawn how{.dir = *dir, .console_fd = pipe_ends[1]};
    if (ignored) how.ignored_signals = {SIGPIPE};
    const pid_t pid = spawn_hfatom(how);
    close(pipe_ends[1]);
    std::string shown;
    char block[256];
    ssize_t count;
    while (shown.find(" nuclear charge\r\n") == std::string::npos &&
           (count = read(pipe_ends[0], block, sizeof block)) > 0)
      shown.append(block, static_cast<std::size_t>(count));
    close(pipe_ends[0]);
    const int raw = wait_for(pid);
    if (ignored) {
      ASSERT_TRUE(WIFEXITED(raw));
      EXPECT_EQ(WEXITSTATUS(raw), 2);
      EXPECT_EQ(read_file(*dir / "hfatom-errors"), "hfatom: cannot write console output: Broken pipe\n");
    } else {
      ASSERT_TRUE(WIFSIGNALED(raw)) << "wait status " << raw << ": " << read_file(*dir / "hfatom-errors");
      EXPECT_EQ(WTERMSIG(raw), SIGPIPE);
      EXPECT_EQ(read_file(*dir / "hfatom-errors"), "");
    }
    EXPECT_EQ(directory_contents(*dir), before);
  }
}

// A hangup the run was started to ignore (nohup) stays ignored: the run finishes.
TEST(SignalledRun, IgnoredHangupLetsTheRunFinish) {
  const auto dir = prepared_directory();
  const pid_t pid = spawn_hfatom({.dir = *dir, .ignored_signals = {SIGHUP}});
  ASSERT_TRUE(wait_for_temporary(*dir, kReport, pid));
  kill(pid, SIGHUP);
  const int raw = wait_for(pid);
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0);
  EXPECT_EQ(read_file(*dir / kReport), undisturbed().at(kReport));
  EXPECT_EQ(read_file(*dir / kTable), undisturbed().at(kTable));
}

}  // namespace
