// Breaks the program's input, its console, its files and their directory, and puts odd
// things where its files go. The program's rules: each file is written to a hidden
// temporary file beside its final name and renamed over that name once complete, so
// - a run that ends with a diagnostic (one "hfatom: ..." line, status 2) installs
//   nothing: the directory holds exactly what it held before, earlier files included;
// - whatever non-directory stands at a final name (a symbolic link, dangling or to a
//   device, a FIFO) is replaced by the new file; a link's target is never touched;
// - a directory at a final name, and a write-protected earlier file, are refused.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "e2e/run_hfatom.h"

namespace {

using namespace hf::e2e;

const fs::path kHeliumData = fs::path(HFATOM_TEST_DATA) / "He";
const std::string kHelium = "He\n1\n2\n";
const std::string kReport = "He  .out";
const std::string kTable = "He  .dat";

// Root passes every permission check; a run meant to meet one drops those privileges.
std::string without_permission_override() {
  return geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search" : "";
}

Launch with(std::string Launch::*field, std::string value) {
  Launch launch;
  launch.*field = std::move(value);
  return launch;
}

using Prepare = std::function<void(const fs::path&)>;

Prepare link(std::string target, std::string name) {
  return [=](const fs::path& d) {
    fs::remove(d / name);
    fs::create_symlink(target, d / name);
  };
}
Prepare directory_at(std::string name) {
  return [=](const fs::path& d) {
    fs::remove(d / name);
    fs::create_directory(d / name);
    write_file(d / name / "inside", "inside\r\n");
  };
}
Prepare read_only(std::string name) {
  return [=](const fs::path& d) { fs::permissions(d / name, fs::perms(0444)); };
}
Prepare both(Prepare first, Prepare second) {
  return [=](const fs::path& d) {
    first(d);
    second(d);
  };
}

// An earlier run's report and table, a file a link may point to, then the case's own setup.
void prepare_directory(const fs::path& dir, const Prepare& prepare) {
  write_file(dir / kReport, "an earlier report\r\n");
  write_file(dir / kTable, "an earlier table\r\n");
  write_file(dir / "kept", "kept\r\n");
  if (prepare) prepare(dir);
}

struct FaultCase {
  const char* what;
  std::string input;
  Prepare prepare;
  Launch launch;
  std::string message;  // the diagnostic, without "hfatom: "
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.what; }

class BrokenRun : public ::testing::TestWithParam<FaultCase> {};

TEST_P(BrokenRun, LeavesTheDirectoryAsItWas) {
  const FaultCase& c = GetParam();
  std::map<std::string, std::string> before;
  const RunResult run = run_hfatom(
      c.input,
      [&](const fs::path& dir) {
        prepare_directory(dir, c.prepare);
        before = directory_contents(dir);
      },
      c.launch);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, "hfatom: " + c.message + "\n");
  EXPECT_EQ(directory_contents(run.dir), before);
}

// He  .out is about 5 kB and He  .dat 74 kB; the shell counts the limit in 512-byte blocks.
// The program itself ignores SIGXFSZ while it writes, so that the limit is a diagnostic.
const std::string kReportTooLarge = "ulimit -f 4;";
const std::string kTableTooLarge = "ulimit -f 64;";

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenRun,
    ::testing::Values(
        FaultCase{
            "input_ends_at_the_shell_count", "He\n", {}, {}, "end of console input while reading the number of shells"},
        FaultCase{"input_closed",
                  kHelium,
                  {},
                  with(&Launch::stdin_redirect, "<&-"),
                  "cannot read console input: Bad file descriptor"},
        FaultCase{"input_is_a_directory",
                  kHelium,
                  {},
                  with(&Launch::stdin_redirect, "< ."),
                  "cannot read console input: Is a directory"},
        FaultCase{"input_line_too_long",
                  std::string(4097, 'x') + "\n1\n2\n",
                  {},
                  {},
                  "a line of console input is longer than the limit of 4096 characters"},
        FaultCase{"input_is_dev_zero",
                  "",
                  {},
                  with(&Launch::stdin_redirect, "< /dev/zero"),
                  "a line of console input is longer than the limit of 4096 characters"},
        FaultCase{"console_is_dev_full",
                  kHelium,
                  {},
                  with(&Launch::console, "/dev/full"),
                  "cannot write console output: No space left on device"},
        FaultCase{"report_over_file_size_limit",
                  kHelium,
                  {},
                  with(&Launch::shell_setup, kReportTooLarge),
                  "cannot write report file \"He  .out\": File too large"},
        FaultCase{"table_over_file_size_limit",
                  kHelium,
                  {},
                  with(&Launch::shell_setup, kTableTooLarge),
                  "cannot write orbital table file \"He  .dat\": File too large"},
        FaultCase{"directory_is_read_only", kHelium, [](const fs::path& d) { fs::permissions(d, fs::perms(0555)); },
                  with(&Launch::wrapper, without_permission_override()),
                  "cannot open report file \"He  .out\": Permission denied"},
        FaultCase{"report_is_read_only", kHelium, read_only(kReport),
                  with(&Launch::wrapper, without_permission_override()),
                  "cannot open report file \"He  .out\": Permission denied"},
        FaultCase{"table_is_read_only", kHelium, read_only(kTable),
                  with(&Launch::wrapper, without_permission_override()),
                  "cannot open orbital table file \"He  .dat\": Permission denied"},
        FaultCase{"report_name_is_a_directory",
                  kHelium,
                  directory_at(kReport),
                  {},
                  "cannot open report file \"He  .out\": Is a directory"},
        FaultCase{"table_name_is_a_directory",
                  kHelium,
                  directory_at(kTable),
                  {},
                  "cannot open orbital table file \"He  .dat\": Is a directory"},
        FaultCase{"report_link_and_table_dir",
                  kHelium,
                  both(link("kept", kReport), directory_at(kTable)),
                  {},
                  "cannot open orbital table file \"He  .dat\": Is a directory"}),
    [](const auto& info) { return std::string(info.param.what); });

struct ReplacedCase {
  const char* what;
  Prepare prepare;
  Launch launch = {};
};

void PrintTo(const ReplacedCase& c, std::ostream* os) { *os << c.what; }

class ReplacedName : public ::testing::TestWithParam<ReplacedCase> {};

// Whatever stood at the names, a run that succeeds leaves its report and table there as
// regular files, byte for byte those of the reference run, and nothing else changed.
TEST_P(ReplacedName, BecomesARegularFile) {
  const ReplacedCase& c = GetParam();
  std::map<std::string, std::string> expected;
  const RunResult run = run_hfatom(
      read_file(kHeliumData / "input"),
      [&](const fs::path& dir) {
        prepare_directory(dir, c.prepare);
        expected = directory_contents(dir);
      },
      c.launch);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  for (const std::string& name : {kReport, kTable}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(run.dir / name))) << name;
    expected[name] = read_file(kHeliumData / name);
  }
  EXPECT_EQ(directory_contents(run.dir), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ReplacedName,
    ::testing::Values(ReplacedCase{"report_links_to_a_file", link("kept", kReport)},
                      ReplacedCase{"table_links_to_a_file", link("kept", kTable)},
                      ReplacedCase{"report_link_dangles", link("missing", kReport)},
                      ReplacedCase{"table_link_dangles", link("missing", kTable)},
                      ReplacedCase{"report_links_to_dev_full", link("/dev/full", kReport)},
                      ReplacedCase{"table_links_to_dev_full", link("/dev/full", kTable)},
                      ReplacedCase{"report_links_to_dev_null", link("/dev/null", kReport)},
                      ReplacedCase{"table_links_to_the_report", link(kReport, kTable)},
                      ReplacedCase{"report_links_to_the_table", link(kTable, kReport)},
                      ReplacedCase{"names_link_to_each_other", both(link(kTable, kReport), link(kReport, kTable))},
                      ReplacedCase{"report_links_to_a_directory", both(directory_at("sub"), link("sub", kReport))},
                      ReplacedCase{"report_link_loops", link(kReport, kReport)},
                      ReplacedCase{"report_is_a_fifo_nobody_reads",
                                   [](const fs::path& d) {
                                     fs::remove(d / kReport);
                                     ASSERT_EQ(mkfifo((d / kReport).c_str(), 0644), 0);
                                   },
                                   with(&Launch::wrapper, "timeout 60")},
                      ReplacedCase{"directory_cannot_be_listed",
                                   [](const fs::path& d) { fs::permissions(d, fs::perms(0333)); },
                                   with(&Launch::wrapper, without_permission_override())}),
    [](const auto& info) { return std::string(info.param.what); });

// A failed computation installs its report (over a link) and leaves the table's name,
// here a link, and both targets as they were.
TEST(FailedComputation, InstallsItsReportAlone) {
  std::map<std::string, std::string> expected;
  const RunResult run = run_hfatom("He\n0\n2\n", [&](const fs::path& dir) {
    write_file(dir / "kept", "kept\r\n");
    write_file(dir / "other", "other\r\n");
    fs::create_symlink("kept", dir / kReport);
    fs::create_symlink("other", dir / kTable);
    expected = directory_contents(dir);
  });
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(run.dir / kReport)));
  const std::string report = run.file(kReport);
  EXPECT_TRUE(report.ends_with("  Error exit in HF Program\r\n"));
  expected[kReport] = report;
  EXPECT_EQ(directory_contents(run.dir), expected);
}

// The file mode of new files: 0666 less the umask, whatever the earlier file's mode was.
TEST(InstalledFile, HasTheModeOfANewFile) {
  const RunResult run = run_hfatom(
      kHelium,
      [](const fs::path& dir) {
        write_file(dir / kReport, "an earlier report\r\n");
        fs::permissions(dir / kReport, fs::perms(0600));
      },
      with(&Launch::shell_setup, "umask 027;"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(fs::status(run.dir / kReport).permissions(), fs::perms(0640));
  EXPECT_EQ(fs::status(run.dir / kTable).permissions(), fs::perms(0640));
}

}  // namespace
