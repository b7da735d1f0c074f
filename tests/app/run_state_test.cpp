// A fresh run: every piece of state the program keeps between routine calls goes back to its
// process-start value, so that runs made one after another in one process print what fresh
// processes print.
#include "app/run_state.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "app/program.h"
#include "hartree_stage.h"
#include "report/text_units.h"
#include "scf/exchange_update.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class FreshRun : public ::testing::Test {
 protected:
  void TearDown() override { start_fresh_run(); }

  // The input stage and the Hartree stage of helium, the report captured.
  static void helium_to_hartree_fock() {
    report::capture_unit(report::kReportUnit);
    run_input_and_hartree_stages("He\n1\n2\n");
  }
};

// The reference atoms run in one process, each after start_fresh_run, with a heavier atom
// before a lighter one: console, report, orbital table and status are those of the reference
// runs, each made by a process of its own.
TEST_F(FreshRun, RunsInOneProcessPrintWhatFreshProcessesPrint) {
  for (const std::string symbol : {"Ar", "He", "Ne", "He"}) {
    SCOPED_TRACE(symbol);
    const std::string reference = HFATOM_TEST_DATA "/" + symbol + "/";
    start_fresh_run();
    report::capture_unit(report::kConsoleOut);
    report::capture_unit(report::kReportUnit);
    report::capture_unit(report::kOrbitalTableUnit);
    report::set_console_input(read_file(reference + "input"));
    const int status = run_program();
    EXPECT_EQ(std::to_string(status) + "\n", read_file(reference + "status"));
    EXPECT_TRUE(report::captured(report::kConsoleOut) == read_file(reference + "console")) << "console";
    EXPECT_TRUE(report::captured(report::kReportUnit) == read_file(reference + symbol + "  .out")) << "report";
    EXPECT_TRUE(report::captured(report::kOrbitalTableUnit) == read_file(reference + symbol + "  .dat"))
        << "orbital table";
  }
}

TEST_F(FreshRun, ReturnsTheAtomicStateToItsStart) {
  helium_to_hartree_fock();
  ASSERT_EQ(EXCHAN(1, 1e-3, false), Status::ok);
  start_fresh_run();
  const auto fresh = std::make_unique<AtomicState>();
  EXPECT_TRUE(atom == *fresh);
}

// Captures end, the unit files close, and the console is read from standard input again.
TEST_F(FreshRun, ReturnsTheUnitsToTheProcessStreams) {
  report::capture_unit(report::kReportUnit);
  report::write_line(report::kReportUnit, "a line of an earlier run");
  report::set_console_input("input of an earlier run\n");
  start_fresh_run();

  EXPECT_EQ(report::captured(report::kReportUnit), "");
  EXPECT_THROW(report::write_line(report::kReportUnit, "no file is open"), report::RunDiagnostic);
  // The console input is the process's standard input again: a pipe put in place of fd 0.
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  const std::string text = "standard input\n";
  ASSERT_EQ(::write(pipe_ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(pipe_ends[1]);
  const int saved = ::dup(0);
  ASSERT_GE(saved, 0);
  ASSERT_EQ(::dup2(pipe_ends[0], 0), 0);
  ::close(pipe_ends[0]);
  std::string line;
  const bool read = report::read_line(report::kConsoleIn, line);
  ::dup2(saved, 0);
  ::close(saved);
  EXPECT_TRUE(read);
  EXPECT_EQ(line, "standard input");
}

// The exchange update's direct potential and stored driving terms start again: the first
// update of a second helium run is bit for bit the first update of the first one.
TEST_F(FreshRun, MakesTheNextExchangeUpdateTheFirstOfARun) {
  helium_to_hartree_fock();
  ASSERT_EQ(EXCHAN(1, 1e-3, false), Status::ok);
  const double first = atom.energies.shell_energy(1);
  const Radial first_orbital = atom.hf.orbital_p.column(1);
  ASSERT_EQ(EXCHAN(1, 1e-3, false), Status::ok);  // damped against the stored driving term
  ASSERT_NE(atom.energies.shell_energy(1), first);

  start_fresh_run();
  helium_to_hartree_fock();
  ASSERT_EQ(EXCHAN(1, 1e-3, false), Status::ok);
  EXPECT_EQ(atom.energies.shell_energy(1), first);
  EXPECT_TRUE(atom.hf.orbital_p.column(1) == first_orbital);
}

}  // namespace
}  // namespace hf
