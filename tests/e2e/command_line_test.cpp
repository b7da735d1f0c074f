// The program's arguments: --version and --help answer and exit; anything else is refused
// before the dialogue starts, with one line on standard error and no file.
#include <gtest/gtest.h>

#include <string>

#include "e2e/run_hfatom.h"

namespace {

using namespace hf::e2e;

RunResult run_with(const std::string& arguments, const std::string& console = "hfatom-console") {
  Launch launch;
  launch.arguments = arguments;
  launch.console = console;
  return run_hfatom("He\n1\n2\n", {}, launch);
}

TEST(CommandLine, VersionPrintsTheProjectVersion) {
  const RunResult run = run_with("--version");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.console, std::string("hfatom ") + HFATOM_VERSION + "\n");
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.file_count(), 0);
}

TEST(CommandLine, HelpPrintsTheUsageAndNamesTheManualPage) {
  const RunResult run = run_with("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.console.rfind("Usage: hfatom [--help | --version]\n", 0), 0u) << run.console;
  EXPECT_NE(run.console.find("hfatom(1)"), std::string::npos);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.file_count(), 0);
}

TEST(CommandLine, HelpThatCannotBeWrittenIsADiagnostic) {
  const RunResult run = run_with("--help", "/dev/full");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, "hfatom: cannot write console output: No space left on device\n");
}

struct Refused {
  const char* name;
  const char* arguments;
  const char* message;
};

class RefusedArguments : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedArguments, EndTheRunBeforeTheDialogue) {
  const Refused& c = GetParam();
  const RunResult run = run_with(c.arguments);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, std::string("hfatom: ") + c.message + "\n");
  EXPECT_EQ(run.console, "");
  EXPECT_EQ(run.file_count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedArguments,
    ::testing::Values(
        Refused{"short_option", "-v", "unknown argument \"-v\": the only arguments are --help and --version"},
        Refused{"empty", "''", "unknown argument \"\": the only arguments are --help and --version"},
        Refused{"line_break", "\"$(printf 'a\\nb')\"",
                "unknown argument \"a?b\": the only arguments are --help and --version"},
        Refused{"two_options", "--help --version", "2 arguments: it takes at most one, --help or --version"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
