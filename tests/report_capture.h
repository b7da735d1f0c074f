// Test fixture: a fresh atomic state whose report unit writes into memory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/run_state.h"
#include "report/text_units.h"
#include "state/atomic_state.h"

namespace hf {

class ReportCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    start_fresh_run();
    report::capture_unit(report::kReportUnit);
    atom.report.report_unit = report::kReportUnit;
  }
  void TearDown() override { start_fresh_run(); }

  static std::string report_text() { return report::captured(report::kReportUnit); }
};

}  // namespace hf
