// Breaks the program's input, its files and their directory in the middle of a run:
// every such run must end with one "hfatom: ..." line on standard error and exit
// status 2, and must not leave a half-written file that looks like a finished one.
// The program's rule: when a run ends this way, the files it had not finished are
// removed, but only when the name is a directory entry of the regular file the run
// wrote; a symbolic link (to /dev/full, say) and whatever it points to stay. A name
// that would make the run wait for ever (a FIFO nobody reads) or put both files into
// one (the table linked to the report) is refused when it is opened.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "e2e/run_hfatom.h"

namespace {

using namespace hf::e2e;

const std::string kHelium = "He\n1\n2\n";
const std::string kEarlierTable = "an orbital table of an earlier run\r\n";

// Root passes every permission check; a run meant to meet one drops those privileges.
std::string without_permission_override() {
  return geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search" : "";
}

// What the run directory holds apart from the harness's own hfatom-* files: names,
// with "/" after a directory, "|" after a FIFO and " -> target" after a symbolic link.
std::set<std::string> entries(const fs::path& dir) {
  std::set<std::string> found;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("hfatom-", 0) == 0) continue;
    if (entry.is_symlink())
      name += " -> " + fs::read_symlink(entry.path()).string();
    else if (entry.is_directory())
      name += "/";
    else if (entry.is_fifo())
      name += "|";
    found.insert(name);
  }
  return found;
}

struct FaultCase {
  const char* what;
  std::string input;
  std::function<void(const fs::path&)> prepare;
  Launch launch;
  std::string message;           // the diagnostic, without "hfatom: "
  std::set<std::string> left;    // what the directory holds afterwards
  bool earlier_table = false;    // an earlier run's He  .dat is there and must stay as it was
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.what; }

Launch with(std::string Launch::*field, std::string value) {
  Launch launch;
  launch.*field = std::move(value);
  return launch;
}

void make_directory(const fs::path& dir, const char* name) { fs::create_directory(dir / name); }
void link_to_full(const fs::path& dir, const char* name) { fs::create_symlink("/dev/full", dir / name); }

class BrokenRun : public ::testing::TestWithParam<FaultCase> {};

TEST_P(BrokenRun, EndsWithOneDiagnosticAndNoUnfinishedFile) {
  const FaultCase& c = GetParam();
  const RunResult run = run_hfatom(
      c.input,
      [&](const fs::path& dir) {
        if (c.earlier_table) write_file(dir / "He  .dat", kEarlierTable);
        if (c.prepare) c.prepare(dir);
      },
      c.launch);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, "hfatom: " + c.message + "\n");
  EXPECT_EQ(entries(run.dir), c.left);
  if (c.earlier_table) {
    EXPECT_EQ(run.file("He  .dat"), kEarlierTable);
  }
}

// He  .out is about 5 kB and He  .dat 74 kB; the shell counts the limit in 512-byte blocks.
const std::string kReportTooLarge = "trap '' XFSZ; ulimit -f 4;";
const std::string kTableTooLarge = "trap '' XFSZ; ulimit -f 64;";

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenRun,
    ::testing::Values(
        FaultCase{"input_ends_at_the_shell_count", "He\n", {}, {},
                  "end of console input while reading the number of shells", {"He  .dat"}, true},
        FaultCase{"input_closed", kHelium, {}, with(&Launch::stdin_redirect, "<&-"),
                  "cannot read console input: Bad file descriptor", {"He  .dat"}, true},
        FaultCase{"input_is_a_directory", kHelium, {}, with(&Launch::stdin_redirect, "< ."),
                  "cannot read console input: Is a directory", {"He  .dat"}, true},
        FaultCase{"report_links_to_dev_full", kHelium, [](const fs::path& d) { link_to_full(d, "He  .out"); }, {},
                  "cannot write report file \"He  .out\": No space left on device", {"He  .dat", "He  .out -> /dev/full"}, true},
        FaultCase{"report_grows_past_the_file_size_limit", kHelium, {}, with(&Launch::shell_setup, kReportTooLarge),
                  "cannot write report file \"He  .out\": File too large", {"He  .dat"}, true},
        FaultCase{"report_name_is_a_fifo_nobody_reads", kHelium,
                  [](const fs::path& d) { ASSERT_EQ(mkfifo((d / "He  .out").c_str(), 0644), 0); },
                  with(&Launch::wrapper, "timeout 60"),
                  "cannot open report file \"He  .out\": it is a FIFO that no process reads",
                  {"He  .dat", "He  .out|"}, true},
        FaultCase{"directory_is_read_only", kHelium, [](const fs::path& d) { fs::permissions(d, fs::perms(0555)); },
                  with(&Launch::wrapper, without_permission_override()),
                  "cannot open report file \"He  .out\": Permission denied", {"He  .dat"}, true},
        FaultCase{"table_name_is_a_directory", kHelium, [](const fs::path& d) { make_directory(d, "He  .dat"); },
                  {}, "cannot open orbital table file \"He  .dat\": Is a directory", {"He  .dat/"}},
        FaultCase{"report_links_to_a_file_and_the_table_cannot_be_opened", kHelium,
                  [](const fs::path& d) {
                    write_file(d / "kept", "");
                    fs::create_symlink("kept", d / "He  .out");
                    make_directory(d, "He  .dat");
                  },
                  {}, "cannot open orbital table file \"He  .dat\": Is a directory",
                  {"He  .dat/", "He  .out -> kept", "kept"}},
        FaultCase{"table_links_to_the_report", kHelium,
                  [](const fs::path& d) { fs::create_symlink("He  .out", d / "He  .dat"); }, {},
                  "cannot open orbital table file \"He  .dat\": it is the report file \"He  .out\" as well",
                  {"He  .dat -> He  .out"}},
        FaultCase{"table_is_read_only", kHelium,
                  [](const fs::path& d) { fs::permissions(d / "He  .dat", fs::perms(0444)); },
                  with(&Launch::wrapper, without_permission_override()),
                  "cannot open orbital table file \"He  .dat\": Permission denied", {"He  .dat"}, true},
        FaultCase{"table_links_to_dev_full", kHelium, [](const fs::path& d) { link_to_full(d, "He  .dat"); }, {},
                  "cannot write orbital table file \"He  .dat\": No space left on device",
                  {"He  .dat -> /dev/full"}},
        FaultCase{"table_grows_past_the_file_size_limit", kHelium, {}, with(&Launch::shell_setup, kTableTooLarge),
                  "cannot write orbital table file \"He  .dat\": File too large", {}}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
