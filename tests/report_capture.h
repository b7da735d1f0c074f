// Test fixture: a fresh atomic state whose report unit writes into memory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "report/text_units.h"
#include "state/atomic_state.h"

namespace hf {

class ReportCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_run_state();
    report::reset_units();
    report::capture_unit(report::kReportUnit);
    atom.report.report_unit = report::kReportUnit;
  }
  void TearDown() override { report::reset_units(); }

  static std::string report_text() { return report::captured(report::kReportUnit); }
};

}  // namespace hf
