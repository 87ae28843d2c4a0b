#pragma once
// Types and numeric rules shared by every layer: rectangles with exclusive
// right and bottom edges, MulDiv, and real-to-integer rounding.

#include <algorithm>
#include <cmath>
#include <cstdint>

struct TVxPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TVxPoint &, const TVxPoint &) = default;
};

// (Left, Top, Right, Bottom); Right and Bottom are exclusive.
struct TVxRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  constexpr int32_t Width() const { return Right - Left; }
  constexpr int32_t Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(int32_t x, int32_t y) const {
    return x >= Left && x < Right && y >= Top && y < Bottom;
  }
  constexpr TVxRect Offset(int32_t dx, int32_t dy) const {
    return {Left + dx, Top + dy, Right + dx, Bottom + dy};
  }
  friend bool operator==(const TVxRect &, const TVxRect &) = default;
};

constexpr TVxRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {left, top, left + width, top + height};
}

// Common part of two rectangles; an empty rectangle (all zero) when they do not meet.
constexpr TVxRect IntersectRect(const TVxRect &a, const TVxRect &b) {
  TVxRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TVxRect{} : r;
}

// Smallest rectangle holding both; an empty side does not count.
constexpr TVxRect UnionRect(const TVxRect &a, const TVxRect &b) {
  if (a.IsEmpty()) return b.IsEmpty() ? TVxRect{} : b;
  if (b.IsEmpty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

// number * numerator / denominator through a 64-bit intermediate, rounded to
// nearest with halves away from zero. A zero denominator gives -1, as the
// platform routine this mirrors does.
constexpr int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  int64_t product = static_cast<int64_t>(number) * numerator;
  int64_t d = denominator;
  bool negative = (product < 0) != (d < 0);
  uint64_t p = static_cast<uint64_t>(product < 0 ? -product : product);
  uint64_t q = static_cast<uint64_t>(d < 0 ? -d : d);
  uint64_t result = (p + q / 2) / q;
  int64_t signedResult = negative ? -static_cast<int64_t>(result) : static_cast<int64_t>(result);
  return static_cast<int32_t>(signedResult);
}

// Nearest integer, halves to even (the default rounding of every real-to-integer conversion).
inline int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

inline int32_t Round(double value) { return static_cast<int32_t>(RoundHalfEven(value)); }

// A real value as a byte: clamped to 0..255, then rounded to nearest, halves to even.
inline uint8_t ClampToByte(double value) {
  if (!(value > 0.0)) return 0;  // also catches NaN
  if (value >= 255.0) return 255;
  return static_cast<uint8_t>(std::nearbyint(value));
}
