// Several runs with the same symbol in one directory at the same time: each writes its own
// temporary files and installs its report and table as one step, so the names end up
// holding one run's pair, never a mixture, and each status tells what that run did.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "e2e/run_hfatom.h"

namespace {

using namespace hf::e2e;

// The names other than the harness's hfatom-* files.
std::vector<std::string> names_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("hfatom-", 0) != 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct Started {
  pid_t pid;
  std::string errors;
};

// Starts one run per input file name in `dir`, each with its own console and error file.
std::vector<Started> start_all(const fs::path& dir, const std::vector<std::string>& inputs,
                               const std::string& shell_setup = "") {
  std::vector<Started> runs;
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    const std::string errors = "hfatom-errors-" + std::to_string(k);
    runs.push_back({spawn_hfatom({.dir = dir,
                                  .input = inputs[k],
                                  .console = "hfatom-console-" + std::to_string(k),
                                  .errors = errors,
                                  .shell_setup = shell_setup}),
                    errors});
  }
  return runs;
}

// Three neon-like inputs with different charges: each gives its own report and table.
TEST(ConcurrentRuns, SameSymbolLeavesOneRunsReportAndTable) {
  const std::vector<std::string> inputs = {"Ne\n3\n10\n", "Ne\n3\n11\n", "Ne\n3\n12\n"};
  std::vector<std::pair<std::string, std::string>> alone;  // (report, table) of each input run alone
  for (const std::string& input : inputs) {
    const RunResult run = run_hfatom(input);
    ASSERT_EQ(run.status, 0);
    alone.emplace_back(run.file("Ne  .out"), run.file("Ne  .dat"));
  }
  for (int round = 0; round < 3; ++round) {
    const auto dir = scratch_directory();
    std::vector<std::string> started;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
      const std::string name = "hfatom-input-" + std::to_string(k);
      write_file(*dir / name, inputs[k]);
      started.insert(started.end(), 2, name);
    }
    for (const Started& run : start_all(*dir, started)) {
      const int raw = wait_for(run.pid);
      EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << "wait status " << raw;
      EXPECT_EQ(read_file(*dir / run.errors), "");
    }
    EXPECT_EQ(names_in(*dir), (std::vector<std::string>{"Ne  .dat", "Ne  .out"}));
    const std::pair<std::string, std::string> left{read_file(*dir / "Ne  .out"), read_file(*dir / "Ne  .dat")};
    EXPECT_TRUE(std::find(alone.begin(), alone.end(), left) != alone.end())
        << "round " << round << ": the report and table are not those of one run";
  }
}

// Runs that fail on a write (the file size limit) beside one that succeeds: they install
// nothing and take nothing away, whichever ends first.
TEST(ConcurrentRuns, FailingRunsLeaveTheSucceedingRunsFiles) {
  const fs::path reference = fs::path(HFATOM_TEST_DATA) / "He";
  const auto dir = scratch_directory();
  write_file(*dir / "hfatom-input", read_file(reference / "input"));
  const std::vector<Started> failing =
      start_all(*dir, {"hfatom-input", "hfatom-input", "hfatom-input"}, "ulimit -f 4;");
  const pid_t succeeding = spawn_hfatom({.dir = *dir});
  for (const Started& run : failing) {
    const int raw = wait_for(run.pid);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 2) << "wait status " << raw;
    EXPECT_EQ(read_file(*dir / run.errors), "hfatom: cannot write report file \"He  .out\": File too large\n");
  }
  const int raw = wait_for(succeeding);
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << "wait status " << raw;
  EXPECT_EQ(names_in(*dir), (std::vector<std::string>{"He  .dat", "He  .out"}));
  EXPECT_TRUE(read_file(*dir / "He  .out") == read_file(reference / "He  .out"));
  EXPECT_TRUE(read_file(*dir / "He  .dat") == read_file(reference / "He  .dat"));
}

// The renames wait for an exclusive flock on the directory: while another process holds
// one, a finished run keeps its files hidden and waits; a signal then still removes them.
TEST(ConcurrentRuns, InstallationWaitsForTheDirectoryLock) {
  const fs::path reference = fs::path(HFATOM_TEST_DATA) / "He";
  const auto dir = scratch_directory();
  write_file(*dir / "hfatom-input", read_file(reference / "input"));
  const int lock = open(dir->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const std::vector<Started> runs = start_all(*dir, {"hfatom-input", "hfatom-input"});
  // Both runs have written everything once their hidden tables are complete.
  const auto complete_tables = [&] {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(*dir))
      if (entry.path().filename().string().rfind(".He  .dat.", 0) == 0 &&
          entry.file_size() == fs::file_size(reference / "He  .dat"))
        ++count;
    return count;
  };
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (complete_tables() < 2 && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(fs::exists(*dir / "He  .out"));
  EXPECT_FALSE(fs::exists(*dir / "He  .dat"));

  kill(runs[0].pid, SIGTERM);
  const int killed = wait_for(runs[0].pid);
  EXPECT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGTERM) << "wait status " << killed;
  EXPECT_EQ(complete_tables(), 1);

  flock(lock, LOCK_UN);
  close(lock);
  const int raw = wait_for(runs[1].pid);
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << "wait status " << raw;
  EXPECT_EQ(names_in(*dir), (std::vector<std::string>{"He  .dat", "He  .out"}));
  EXPECT_TRUE(read_file(*dir / "He  .out") == read_file(reference / "He  .out"));
  EXPECT_TRUE(read_file(*dir / "He  .dat") == read_file(reference / "He  .dat"));
}

}  // namespace
