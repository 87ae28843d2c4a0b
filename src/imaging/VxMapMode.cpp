#include "imaging/VxMapMode.h"

#include <cmath>
#include <limits>

namespace {

// floor((p - fromOrg) * toExt / fromExt) + toOrg. The product is exact in 64
// bits; a zero extent (a map mode not set up yet) maps everything to the origin.
int32_t Convert(int32_t p, int32_t fromOrg, int32_t fromExt, int32_t toOrg, int32_t toExt) {
  if (fromExt == 0) return toOrg;
  const auto product = static_cast<double>((int64_t{p} - fromOrg) * toExt);
  const double v = std::floor(product / fromExt) + toOrg;
  constexpr double low = std::numeric_limits<int32_t>::min();
  constexpr double high = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(v < low ? low : (v > high ? high : v));
}

int32_t ToHiMetric(double value, double factor) {
  const double v = std::nearbyint(value * factor);
  constexpr double low = std::numeric_limits<int32_t>::min();
  constexpr double high = std::numeric_limits<int32_t>::max();
  if (!(v >= low)) return std::isnan(v) ? 0 : std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v > high ? high : v);
}

constexpr double PointFactor = 2540.0 / 72.0;

}  // namespace

TVxPoint TVxMapMode::DeviceToLogical(const TVxPoint &point) const {
  return {Convert(point.X, DevOrgX, DevExtX, LogOrgX, LogExtX),
          Convert(point.Y, DevOrgY, DevExtY, LogOrgY, LogExtY)};
}

TVxPoint TVxMapMode::LogicalToDevice(const TVxPoint &point) const {
  return {Convert(point.X, LogOrgX, LogExtX, DevOrgX, DevExtX),
          Convert(point.Y, LogOrgY, LogExtY, DevOrgY, DevExtY)};
}

TVxRect TVxMapMode::LogicalToDeviceRect(const TVxRect &rect) const {
  const TVxPoint topLeft = LogicalToDevice({rect.Left, rect.Top});
  const TVxPoint bottomRight = LogicalToDevice({rect.Right, rect.Bottom});
  return {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
}

void TVxHiMetric::SetupForPrinter(const TVxDeviceMetrics &device) {
  DevExtX = device.HorzRes;
  DevExtY = device.VertRes;
  DevOrgX = -device.PhysicalOffsetX;
  DevOrgY = -device.PhysicalOffsetY;
  LogExtX = device.HorzSize * 100;
  LogExtY = device.VertSize * 100;
  LogOrgX = 0;
  LogOrgY = 0;
}

int32_t CentimetresToHiMetric(double cm) { return ToHiMetric(cm, 1000.0); }
double HiMetricToCentimetres(int32_t n) { return n / 1000.0; }
int32_t InchesToHiMetric(double inches) { return ToHiMetric(inches, 2540.0); }
double HiMetricToInches(int32_t n) { return n / 2540.0; }
int32_t MillimetresToHiMetric(double mm) { return ToHiMetric(mm, 100.0); }
double HiMetricToMillimetres(int32_t n) { return n / 100.0; }
int32_t PointsToHiMetric(double points) { return ToHiMetric(points, PointFactor); }
double HiMetricToPoints(int32_t n) { return n / PointFactor; }
