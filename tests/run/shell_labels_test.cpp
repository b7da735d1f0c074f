// Shell labels and their two refusals.
#include "run/shell_labels.h"

#include <gtest/gtest.h>

#include <limits>

#include "report_capture.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

struct LabelCase {
  std::int32_t n;
  std::int32_t l;
  const char* label;    // expected label, or nullptr for a refusal
  const char* message;  // expected report line of a refusal
};

class ShellLabel : public ReportCapture, public ::testing::WithParamInterface<LabelCase> {};

constexpr const char* kPrincipal = "Error in enclab: principal quantum number out of range\r\n";
constexpr const char* kAngular = "Error in enclab: angular quantum number out of range\r\n";
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST_P(ShellLabel, BuildsTheLabelOrRefuses) {
  const LabelCase& c = GetParam();
  const Status status = ENCLAB(c.n, c.l);
  if (c.label != nullptr) {
    ASSERT_EQ(status, Status::ok);
    EXPECT_EQ(std::string(atom.labels.label_buffer.begin(), atom.labels.label_buffer.end()), c.label);
    EXPECT_EQ(report_text(), "");
  } else {
    EXPECT_EQ(status, Status::error);
    EXPECT_EQ(report_text(), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShellLabel,
                         ::testing::Values(LabelCase{1, 0, " 1s ", nullptr}, LabelCase{2, 1, " 2p ", nullptr},
                                           LabelCase{3, 2, " 3d ", nullptr}, LabelCase{5, 1, " 5p ", nullptr},
                                           LabelCase{10, 0, "10s ", nullptr}, LabelCase{99, 9, "99l ", nullptr},
                                           LabelCase{4, 3, " 4f ", nullptr}, LabelCase{1, 1, nullptr, kAngular},
                                           LabelCase{12, 10, nullptr, kAngular}, LabelCase{5, kMax, nullptr, kAngular},
                                           LabelCase{5, kMin, nullptr, kAngular}, LabelCase{0, 0, nullptr, kPrincipal},
                                           LabelCase{100, 0, nullptr, kPrincipal},
                                           LabelCase{-3, -5, nullptr, kPrincipal},
                                           LabelCase{kMax, kMax, nullptr, kPrincipal}));

}  // namespace
}  // namespace hf
