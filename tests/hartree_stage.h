// Test support: a real atom taken through the input stage and the Hartree stage.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "report/text_units.h"
#include "run/atom_input.h"
#include "scf/hartree_iteration.h"

namespace hf {

// Runs DATAIN on the console input given (prompts captured) and HARTNR after it; the report
// goes wherever report unit 8 goes. A failing stage fails the test.
inline void run_input_and_hartree_stages(const std::string& console_input) {
  report::capture_unit(report::kConsoleOut);
  report::set_console_input(console_input);
  double damping = 0.0;
  double g_factor = 0.0;
  ASSERT_EQ(DATAIN(damping, g_factor), Status::ok);
  ASSERT_EQ(HARTNR(damping), Status::ok);
}

}  // namespace hf
