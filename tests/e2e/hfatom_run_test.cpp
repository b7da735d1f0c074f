// Runs the hfatom program in a fresh directory and checks its console, files and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/run_hfatom.h"

namespace {

using namespace hf::e2e;

const fs::path kData = HFATOM_TEST_DATA;

std::string prompts() {
  return " Symbol A4\r\n number of shells 1s 2s 2p 3s 3p..\r\n nuclear charge\r\n no valence electrons\r\n";
}

class ReferenceAtom : public ::testing::TestWithParam<const char*> {};

// Console, report file, orbital table and exit status, byte for byte.
TEST_P(ReferenceAtom, WholeRunMatchesTheReferenceRun) {
  const std::string symbol = GetParam();
  const fs::path ref = kData / symbol;
  const RunResult run = run_hfatom(read_file(ref / "input"));
  EXPECT_EQ(std::to_string(run.status) + "\n", read_file(ref / "status"));
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.console, read_file(ref / "console"));
  for (const std::string& name : {symbol + "  .out", symbol + "  .dat"}) {
    ASSERT_TRUE(run.has(name)) << name;
    EXPECT_TRUE(run.file(name) == read_file(ref / name)) << name << " differs from the reference";
  }
}

INSTANTIATE_TEST_SUITE_P(Atoms, ReferenceAtom, ::testing::Values("He", "Ne", "Ar"));

TEST(HfatomRun, CarriageReturnLineEndsReadAsPlainOnes) {
  const RunResult plain = run_hfatom("He\n1\n2\n");
  const RunResult crlf = run_hfatom("He\r\n1\r\n2\r\n");
  EXPECT_EQ(crlf.status, 0);
  EXPECT_EQ(crlf.file("He  .out"), plain.file("He  .out"));
}

TEST(HfatomRun, NoShellsEndsInTheHartreeStageWithTheErrorExit) {
  const RunResult run = run_hfatom("He\n0\n2\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "");
  const std::string report = run.file("He  .out");
  const std::string ending = " gI =  0.0000000\r\n  Error in hartnr: no shells to iterate\r\n"
                             "  Error exit in HF Program\r\n";
  ASSERT_GE(report.size(), ending.size());
  EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
}

TEST(HfatomRun, TooManyShellsTakesTheErrorExit) {
  const RunResult run = run_hfatom("Ne\n31\n10\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.console, prompts());
  EXPECT_EQ(run.file("Ne  .out"),
            "   Input data for Ne  \r\n\r\nNe    31  10   0\r\n"
            " Too many input orbitals !!  shell dim =   30\r\n  Error exit in HF Program\r\n");
}

TEST(HfatomRun, TwelveShellsEndWithTheLabelErrorAndTheErrorExit) {
  const RunResult run = run_hfatom("Xe\n12\n54\n");
  EXPECT_EQ(run.status, 1);
  const std::string report = run.file("Xe  .out");
  const std::string ending = "     5p        6           -58.32000\r\n"
                             "Error in enclab: principal quantum number out of range\r\n"
                             "  Error exit in HF Program\r\n";
  ASSERT_GE(report.size(), ending.size());
  EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
  EXPECT_FALSE(run.has("Xe  .dat"));
}

TEST(HfatomRun, SymbolGivesTheFileName) {
  EXPECT_TRUE(run_hfatom("Helium\n1\n2\n").has("Heli.out"));
  const RunResult padded = run_hfatom(" Ne\n3\n10\n");
  EXPECT_TRUE(padded.has("Ne .out"));
  EXPECT_EQ(padded.file("Ne .out").substr(0, 24), "   Input data for  Ne \r\n");
}

TEST(HfatomRun, EarlierLongerReportIsReplaced) {
  const RunResult run = run_hfatom("He\n1\n2\n", [](const fs::path& dir) {
    write_file(dir / "He  .out", std::string(100000, 'x'));
  });
  EXPECT_EQ(run.file("He  .out"), read_file(kData / "He" / "He  .out"));
}

struct RefusedCase {
  const char* what;
  const char* input;
  const char* message;
};

class RefusedInput : public ::testing::TestWithParam<RefusedCase> {};

// Input that cannot be used ends the run with one diagnostic line, status 2, and no file.
TEST_P(RefusedInput, EndsWithOneDiagnosticLineAndNoFile) {
  const RefusedCase& c = GetParam();
  const RunResult run = run_hfatom(c.input);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, std::string("hfatom: ") + c.message + "\n");
  EXPECT_EQ(run.file_count(), 0) << "a file was created";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedInput,
    ::testing::Values(
        RefusedCase{"no_input", "", "end of console input while reading the atom symbol"},
        RefusedCase{"input_ends", "He\n1\n", "end of console input while reading the nuclear charge"},
        RefusedCase{"text_for_count", "He\none\n2\n", "the number of shells must be an integer, not \"one\""},
        RefusedCase{"huge_charge", "He\n1\n99999999999\n",
                    "the nuclear charge is outside the 32-bit integer range: \"99999999999\""},
        RefusedCase{"slash_in_symbol", "a/b\n1\n2\n",
                    "the atom symbol \"a/b \" would not name a file in the current directory ('/' or a control "
                    "character)"},
        RefusedCase{"control_in_symbol", "H\te\n1\n2\n",
                    "the atom symbol \"H?e \" would not name a file in the current directory ('/' or a control "
                    "character)"},
        RefusedCase{"blank_symbol", "   \n1\n2\n", "the atom symbol is blank: it would not name a file"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(HfatomRun, ReportThatCannotBeOpenedIsADiagnostic) {
  const RunResult run = run_hfatom("He\n1\n2\n", [](const fs::path& dir) { fs::create_directory(dir / "He  .out"); });
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, "hfatom: cannot open report file \"He  .out\": Is a directory\n");
}

TEST(HfatomRun, FullDiskIsADiagnosticNotASuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
  const RunResult report = run_hfatom("He\n1\n2\n", [](const fs::path& dir) { fs::create_symlink("/dev/full", dir / "He  .out"); });
  EXPECT_EQ(report.status, 2);
  EXPECT_EQ(report.errors, "hfatom: cannot write report file \"He  .out\": No space left on device\n");

  const RunResult console = run_hfatom("He\n1\n2\n", {}, "/dev/full");
  EXPECT_EQ(console.status, 2);
  EXPECT_EQ(console.errors, "hfatom: cannot write console output: No space left on device\n");
}

}  // namespace
