#include <gtest/gtest.h>

#include "imaging/VxMapMode.h"

namespace {

TVxMapMode Zoom(int32_t devExt, int32_t logExt, int32_t devOrgX, int32_t devOrgY) {
  TVxMapMode mode;
  mode.DevExtX = mode.DevExtY = devExt;
  mode.LogExtX = mode.LogExtY = logExt;
  mode.DevOrgX = devOrgX;
  mode.DevOrgY = devOrgY;
  return mode;
}

TEST(MapMode, ConversionsFloorTowardsMinusInfinity) {
  struct Case {
    TVxMapMode Mode;
    TVxPoint Device, Logical;
  };
  const Case cases[] = {
      {Zoom(1, 2, -10, 0), {0, 0}, {20, 0}},  // zoomed out, scrolled
      {Zoom(1, 2, -10, 0), {-1, 0}, {18, 0}},
      {Zoom(2, 1, 0, 0), {-1, -3}, {-1, -2}},  // floor(-0.5) is -1, not 0
      {Zoom(2, 1, 0, 0), {1, 3}, {0, 1}},
      {Zoom(3, 1, 5, 7), {5, 7}, {0, 0}},
      {Zoom(1, 1, 0, 0), {-4, 9}, {-4, 9}},
  };
  for (const Case &c : cases) {
    const TVxPoint logical = c.Mode.DeviceToLogical(c.Device);
    EXPECT_EQ(logical, c.Logical) << c.Device.X << "," << c.Device.Y;
  }
  const TVxMapMode half = Zoom(1, 2, -10, 0);
  EXPECT_EQ(half.LogicalToDevice({20, 0}), (TVxPoint{0, 0}));
  EXPECT_EQ(half.LogicalToDevice({-3, -1}), (TVxPoint{-12, -1}));  // floor(-1.5), floor(-0.5)
  const TVxRect device = Zoom(2, 1, 4, -6).LogicalToDeviceRect({1, 2, 3, 5});
  EXPECT_EQ(device, (TVxRect{6, -2, 10, 4}));
}

TEST(MapMode, LargeCoordinatesDoNotOverflowAndZeroExtentsDoNotDivide) {
  const TVxMapMode mode = Zoom(1000, 1, 0, 0);
  EXPECT_EQ(mode.DeviceToLogical({2000000000, 0}).X, 2000000);
  EXPECT_EQ(mode.LogicalToDevice({3000000, 0}).X, INT32_MAX);  // saturates
  TVxMapMode unset = Zoom(0, 0, 0, 0);
  unset.LogOrgX = 5;
  EXPECT_EQ(unset.DeviceToLogical({7, 0}).X, 5);
}

TEST(HiMetric, SetsUpFromThePrinterPage) {
  TVxHiMetric mode;
  mode.LogOrgX = 3;
  // A4 at 600 dpi with a 4.23 mm margin: 4760 x 6814 printable pixels.
  mode.SetupForPrinter({4760, 6814, 201, 288, 100, 120});
  EXPECT_EQ(mode.DevExtX, 4760);
  EXPECT_EQ(mode.DevExtY, 6814);
  EXPECT_EQ(mode.LogExtX, 20100);
  EXPECT_EQ(mode.LogExtY, 28800);
  EXPECT_EQ(mode.DevOrgX, -100);
  EXPECT_EQ(mode.DevOrgY, -120);
  EXPECT_EQ(mode.LogOrgX, 0);
  // 100 mm from the printable area's corner lands 100 pixels left of 100 mm's pixel.
  EXPECT_EQ(mode.LogicalToDevice({10000, 0}).X, 10000 * 4760 / 20100 - 100);
}

TEST(HiMetric, UnitConversionsRoundToNearest) {
  EXPECT_EQ(CentimetresToHiMetric(2.5), 2500);
  EXPECT_EQ(MillimetresToHiMetric(1.234), 123);
  EXPECT_EQ(MillimetresToHiMetric(0.005), 0);  // half to even
  EXPECT_EQ(MillimetresToHiMetric(0.015), 2);  // 1.5 to even
  EXPECT_EQ(InchesToHiMetric(1.0), 2540);
  EXPECT_EQ(InchesToHiMetric(-0.5), -1270);
  EXPECT_EQ(PointsToHiMetric(72.0), 2540);
  EXPECT_EQ(PointsToHiMetric(1.0), 35);
  EXPECT_DOUBLE_EQ(HiMetricToCentimetres(2500), 2.5);
  EXPECT_DOUBLE_EQ(HiMetricToMillimetres(123), 1.23);
  EXPECT_DOUBLE_EQ(HiMetricToInches(1270), 0.5);
  EXPECT_DOUBLE_EQ(HiMetricToPoints(2540), 72.0);
}

}  // namespace
