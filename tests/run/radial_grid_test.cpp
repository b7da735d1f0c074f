// The logarithmic grid and the starting potential.
#include "run/radial_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "report_capture.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

class RadialGrid : public ReportCapture {
 protected:
  void SetUp() override {
    ReportCapture::SetUp();
    atom.shells.nuclear_charge = 18;
    build_grid();
  }
};

TEST_F(RadialGrid, StepIsAThousandthOfTheLogarithmicRange) {
  // ln(30 / 0.0002) = ln(150000) = 11.918390573078392...
  EXPECT_NEAR(atom.grid.grid_step, 0.011918390573078392, 1e-17);
  EXPECT_EQ(report_text(), "\r\n r0 =   0.00020     h=   0.01192\r\n\r\n");
}

TEST_F(RadialGrid, FirstPointIsTheOriginWithStoredZeros) {
  EXPECT_EQ(atom.grid.radius(1), 0.0);
  EXPECT_EQ(atom.grid.drdt(1), 0.0002);
  EXPECT_EQ(atom.grid.drdt_over_r(1), 0.0);
}

TEST_F(RadialGrid, PointsFollowTheExponentialMap) {
  const double h = atom.grid.grid_step;
  EXPECT_NEAR(atom.grid.radius(2) / (0.0002 * std::expm1(h)), 1.0, 1e-11);
  EXPECT_NEAR(atom.grid.drdt_over_r(2) / (std::exp(h) / std::expm1(h)), 1.0, 1e-11);
  EXPECT_LT(atom.grid.radius(1000), 30.0);
  EXPECT_GT(atom.grid.radius(1000), 29.6);  // 30 e^(-h) - r0, one step inside
  for (int i = 2; i <= kGridPoints; ++i) {
    // dr/dt = r + r0, with r the double difference of the stored values
    ASSERT_EQ(atom.grid.radius(i), atom.grid.drdt(i) - 0.0002) << "point " << i;
    ASSERT_EQ(atom.grid.drdt_over_r(i), atom.grid.drdt(i) / atom.grid.radius(i)) << "point " << i;
    ASSERT_GT(atom.grid.radius(i), atom.grid.radius(i - 1)) << "point " << i;
    ASSERT_NEAR(std::log(atom.grid.drdt(i) / 0.0002), (i - 1) * h, 1e-12) << "point " << i;
  }
}

TEST_F(RadialGrid, StartingChargeIsTheBareNucleusEverywhere) {
  for (int i = 1; i <= kGridPoints; ++i) ASSERT_EQ(atom.grid.effective_charge(i), 18.0) << "point " << i;
}

}  // namespace
}  // namespace hf
