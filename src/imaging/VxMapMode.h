#pragma once
// Conversion between image (logical) and window or page (device) coordinates.
// The two ratios are the zoom; the device origin is the scroll position.

#include <cstdint>

#include "base/VxTypes.h"

class TVxMapMode {
 public:
  int32_t LogOrgX = 0;
  int32_t LogOrgY = 0;
  int32_t LogExtX = 1;
  int32_t LogExtY = 1;
  int32_t DevOrgX = 0;
  int32_t DevOrgY = 0;
  int32_t DevExtX = 1;
  int32_t DevExtY = 1;

  virtual ~TVxMapMode() = default;

  // Floor, not truncation: a device point left of the origin never lands on
  // the logical column of a point right of it.
  TVxPoint DeviceToLogical(const TVxPoint &point) const;
  TVxPoint LogicalToDevice(const TVxPoint &point) const;
  TVxRect LogicalToDeviceRect(const TVxRect &rect) const;
};

// What a printer tells about its page: the printable area in device pixels
// and millimetres, and where it starts on the sheet.
struct TVxDeviceMetrics {
  int32_t HorzRes = 0;  // printable width in pixels
  int32_t VertRes = 0;
  int32_t HorzSize = 0;  // printable width in millimetres
  int32_t VertSize = 0;
  int32_t PhysicalOffsetX = 0;  // printable area's distance from the sheet's edge, in pixels
  int32_t PhysicalOffsetY = 0;
};

// A map mode whose logical unit is 0.01 mm.
class TVxHiMetric : public TVxMapMode {
 public:
  void SetupForPrinter(const TVxDeviceMetrics &device);
};

int32_t CentimetresToHiMetric(double cm);
double HiMetricToCentimetres(int32_t n);
int32_t InchesToHiMetric(double inches);
double HiMetricToInches(int32_t n);
int32_t MillimetresToHiMetric(double mm);
double HiMetricToMillimetres(int32_t n);
int32_t PointsToHiMetric(double points);  // points of 1/72 inch
double HiMetricToPoints(int32_t n);
