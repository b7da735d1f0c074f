// Runs the hfatom program in a fresh directory and checks its console, files and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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

// CR LF (DOS) and a lone CR (old Mac text) end a line as LF does; CR CR LF is two lines.
TEST(HfatomRun, CarriageReturnLineEndsReadAsPlainOnes) {
  const RunResult plain = run_hfatom("He\n1\n2\n");
  for (const char* input : {"He\r\n1\r\n2\r\n", "He\r1\r2\r", "He\r\r\n1\n\r2"}) {
    const RunResult other = run_hfatom(input);
    EXPECT_EQ(other.status, 0) << input;
    EXPECT_EQ(other.file("He  .out"), plain.file("He  .out")) << input;
  }
}

TEST(HfatomRun, NoShellsEndsInTheHartreeStageWithTheErrorExit) {
  const RunResult run = run_hfatom("He\n0\n2\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "hfatom: the computation failed: Error in hartnr: no shells to iterate (see \"He  .out\")\n");
  const std::string report = run.file("He  .out");
  const std::string ending =
      " gI =  0.0000000\r\n  Error in hartnr: no shells to iterate\r\n"
      "  Error exit in HF Program\r\n";
  ASSERT_GE(report.size(), ending.size());
  EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
}

struct FailedComputation {
  const char* name;
  const char* input;
  const char* errors;  // standard error: the report's error line, trimmed, and its name
};

class FailedComputationLine : public ::testing::TestWithParam<FailedComputation> {};

// A run that takes the error exit says so on standard error in one line, as well as in its report.
TEST_P(FailedComputationLine, NamesTheCauseAndTheReport) {
  const FailedComputation& c = GetParam();
  const RunResult run = run_hfatom(c.input);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, c.errors);
  EXPECT_EQ(run.console, prompts());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedComputationLine,
    ::testing::Values(
        FailedComputation{"hydrogen_anion", "H\n1\n1\n",
                          "hfatom: the computation failed: Error in pickup: too many iterations (see \"H   .out\")\n"},
        FailedComputation{"twelve_shells", "Xe\n12\n54\n",
                          "hfatom: the computation failed: Error in enclab: principal quantum number out of range "
                          "(see \"Xe  .out\")\n"},
        FailedComputation{"too_many_shells", "Ne\n31\n10\n",
                          "hfatom: the computation failed: Too many input orbitals !!  shell dim =   30 "
                          "(see \"Ne  .out\")\n"},
        FailedComputation{"unbound_oxide_ion", "O\n3\n8\n",
                          "hfatom: the computation failed: Error in insch: eau =     9.676306D-03 > 0 "
                          "(see \"O   .out\")\n"},
        // An eigenvalue search out of trials writes no message of its own: the report is named alone.
        FailedComputation{"search_out_of_trials", "T\n5\n2\n", "hfatom: the computation failed (see \"T   .out\")\n"}),
    [](const auto& info) { return std::string(info.param.name); });

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
  const std::string ending =
      "     5p        6           -58.32000\r\n"
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
  const RunResult run =
      run_hfatom("He\n1\n2\n", [](const fs::path& dir) { write_file(dir / "He  .out", std::string(100000, 'x')); });
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

struct OutputFile {
  const char* what;  // as the diagnostic names it
  const char* name;
  const char* test_name;
};

void PrintTo(const OutputFile& file, std::ostream* out) { *out << file.what; }

class UnopenableFile : public ::testing::TestWithParam<OutputFile> {};

// A directory in the place of an output file: the run ends with the diagnostic naming it.
TEST_P(UnopenableFile, IsADiagnostic) {
  const OutputFile& file = GetParam();
  const RunResult run = run_hfatom("He\n1\n2\n", [&](const fs::path& dir) { fs::create_directory(dir / file.name); });
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, std::string("hfatom: cannot open ") + file.what + " \"" + file.name + "\": Is a directory\n");
}

INSTANTIATE_TEST_SUITE_P(Files, UnopenableFile,
                         ::testing::Values(OutputFile{"report file", "He  .out", "report"},
                                           OutputFile{"orbital table file", "He  .dat", "orbital_table"}),
                         [](const auto& info) { return std::string(info.param.test_name); });

struct FailedRun {
  const char* what;
  const char* input;
  const char* table;
};

void PrintTo(const FailedRun& c, std::ostream* out) { *out << c.what; }

class FailedRunTable : public ::testing::TestWithParam<FailedRun> {};

// The orbital table is written only by a run that reaches its results: an earlier table stays.
TEST_P(FailedRunTable, LeavesAnEarlierTableAsItWas) {
  const FailedRun& c = GetParam();
  const std::string earlier = "an earlier table\r\n" + std::string(5000, 'x');
  const RunResult run = run_hfatom(c.input, [&](const fs::path& dir) { write_file(dir / c.table, earlier); });
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.file(c.table) == earlier) << c.table << " was changed";
}

INSTANTIATE_TEST_SUITE_P(Cases, FailedRunTable,
                         ::testing::Values(FailedRun{"label_error", "Xe\n12\n54\n", "Xe  .dat"},
                                           FailedRun{"no_shells", "He\n0\n2\n", "He  .dat"}),
                         [](const auto& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------- the Hartree-Fock log

struct UpdateLine {
  std::string text;
  std::string label;
  std::string measure;  // "**********" or an exponent field
  std::string kind;     // "initial", "iterate" or "final"
  int number = 0;
};

std::vector<std::string> report_lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

// Whether a field is the rendering, in its printf format, of the number it shows.
bool renders_as(const std::string& field, const char* format) {
  char text[32];
  if (std::string_view(format).back() == 'd')
    std::snprintf(text, sizeof text, format, std::atoi(field.c_str()));
  else
    std::snprintf(text, sizeof text, format, std::strtod(field.c_str(), nullptr));
  return field == text;
}

// The update lines that follow the heading of the Hartree-Fock log, each checked against its
// layout: 2 blanks, label, F16.8, 4 blanks, "**********" or E10.1, 4 blanks, kind, I4.
std::vector<UpdateLine> hartree_fock_log(const std::string& report, const std::string& symbol) {
  const std::vector<std::string> lines = report_lines(report);
  const auto heading = std::find(lines.begin(), lines.end(), "    Hartree-Fock Iteration for " + symbol);
  EXPECT_NE(heading, lines.end()) << "no Hartree-Fock log";
  std::vector<UpdateLine> log;
  if (heading == lines.end()) return log;
  EXPECT_EQ(*(heading + 1), "");
  for (auto line = heading + 2; line != lines.end() && line->rfind("  Error", 0) != 0 && !line->empty(); ++line) {
    const std::string& text = *line;
    if (text.size() != 52) {
      ADD_FAILURE() << "[" << text << "] is not 52 columns wide";
      continue;
    }
    const std::string measure = text.substr(26, 10);
    const std::string kind = text.substr(40, 8);
    const bool laid_out =
        text.substr(0, 2) == "  " && renders_as(text.substr(6, 16), "%16.8f") && text.substr(22, 4) == "    " &&
        (measure == "**********" || renders_as(measure, "%10.1E")) && text.substr(36, 4) == "    " &&
        (kind == "initial " || kind == "iterate " || kind == "final   ") && renders_as(text.substr(48, 4), "%4d");
    EXPECT_TRUE(laid_out) << "[" << text << "]";
    if (laid_out)
      log.push_back({text, text.substr(2, 4), measure, kind.substr(0, kind.find(' ')), std::stoi(text.substr(48))});
  }
  return log;
}

const char* const kShellLabels[] = {" 1s ", " 2s ", " 2p ", " 3s ", " 3p ", " 3d ",
                                    " 4s ", " 4p ", " 4d ", " 5s ", " 5p "};

// What every log of nc core shells shows: updates numbered 1, 2, 3, ... without a gap; two
// initial lines per shell in shell order; iterate lines with a measure above 1e-8 up to
// number 100 nc; final sweeps of nc lines in shell order, each either the last block (all its
// measures at most 1e-8) or followed by the resumed main loop (some measure above 1e-8).
void expect_well_formed(const std::vector<UpdateLine>& log, int nc) {
  ASSERT_GE(log.size(), static_cast<std::size_t>(2 * nc));
  for (std::size_t u = 0; u < log.size(); ++u) {
    const UpdateLine& line = log[u];
    ASSERT_EQ(line.number, static_cast<int>(u) + 1);
    if (u < static_cast<std::size_t>(2 * nc)) {
      EXPECT_EQ(line.kind, "initial") << line.number;
      EXPECT_EQ(line.label, kShellLabels[u / 2]) << line.number;
      EXPECT_EQ(line.measure, "**********") << line.number;
      continue;
    }
    EXPECT_NE(line.kind, "initial") << line.number;
    EXPECT_NE(std::find(kShellLabels, kShellLabels + nc, line.label), kShellLabels + nc) << line.number;
    if (line.kind == "iterate") {
      EXPECT_GE(std::stod(line.measure), 1e-8) << line.number;
      EXPECT_LE(line.number, 100 * nc);
      continue;
    }
    // The first line of a final sweep: the whole sweep, then what follows it.
    ASSERT_LE(u + nc, log.size()) << "incomplete final sweep at " << line.number;
    double largest = 0.0;
    for (int i = 0; i < nc; ++i) {
      EXPECT_EQ(log[u + i].kind, "final") << log[u + i].number;
      EXPECT_EQ(log[u + i].label, kShellLabels[i]) << log[u + i].number;
      largest = std::max(largest, std::stod(log[u + i].measure));
    }
    if (u + nc == log.size()) {
      EXPECT_LE(largest, 1e-8) << "the last final sweep at " << line.number;
    } else {
      EXPECT_GE(largest, 1e-8) << "final sweep at " << line.number;
      EXPECT_EQ(log[u + nc].kind, "iterate") << log[u + nc].number;
    }
    u += nc - 1;
  }
}

struct Example {
  std::string symbol;  // four characters
  int shells = 0;
  std::string input;
};

Example read_example(const std::string& name) {
  Example example;
  example.input = read_file(fs::path(HFATOM_EXAMPLES) / (name + ".in"));
  std::istringstream lines(example.input);
  std::string count;
  std::getline(lines, example.symbol);
  std::getline(lines, count);
  example.symbol.resize(4, ' ');
  example.shells = std::stoi(count);
  return example;
}

class ExampleInput : public ::testing::TestWithParam<const char*> {};

// Every example converges: status 0, a well-formed log that ends with its final sweep, then
// the results.
TEST_P(ExampleInput, ConvergesWithAWellFormedHartreeFockLog) {
  const Example example = read_example(GetParam());
  const RunResult run = run_hfatom(example.input);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  const std::string report = run.file(example.symbol + ".out");
  const std::vector<UpdateLine> log = hartree_fock_log(report, example.symbol);
  expect_well_formed(log, example.shells);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().kind, "final");
  EXPECT_NE(report.find(log.back().text + "\r\n\r\n  Hartree-Fock Energy Levels for " + example.symbol),
            std::string::npos);
  EXPECT_TRUE(run.has(example.symbol + ".dat"));
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleInput,
                         ::testing::Values("He", "Be", "Ne", "Mg", "Ar", "Cu+", "Zn", "Kr", "Pd", "Cd", "Xe"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '+', 'p');
                           return name;
                         });

// The hydrogen anion does not settle to 1e-8: its main loop uses all 100 passes of its one
// shell, and the run ends with the budget error and the error exit, without results.
TEST(HfatomRun, HydrogenAnionRunsOutOfHartreeFockIterations) {
  const RunResult run = run_hfatom("H\n1\n1\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.console, prompts());
  const std::string report = run.file("H   .out");
  const std::vector<UpdateLine> log = hartree_fock_log(report, "H   ");
  expect_well_formed(log, 1);
  ASSERT_EQ(log.size(), 100u);
  EXPECT_EQ(log.back().kind, "iterate");
  const std::string ending = "iterate  100\r\n  Error in pickup: too many iterations\r\n  Error exit in HF Program\r\n";
  ASSERT_GE(report.size(), ending.size());
  EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
  EXPECT_FALSE(run.has("H   .dat"));
}

}  // namespace
