#include <gtest/gtest.h>

#include "base/VxTypes.h"

namespace {

struct MulDivCase {
  int32_t Number, Numerator, Denominator, Expected;
};

TEST(MulDiv, RoundsHalvesAwayFromZeroThroughA64BitProduct) {
  const MulDivCase cases[] = {
      {7, 1, 2, 4},      // 3.5 -> 4
      {-7, 1, 2, -4},    // -3.5 -> -4
      {7, -1, 2, -4},    // sign from the numerator
      {-7, -1, -2, -4},  // both negative in the divisor too
      {5, 1, 3, 2},      // 1.67 -> 2
      {4, 1, 3, 1},      // 1.33 -> 1
      {4000, 800, 3000, 1067},
      {2000000000, 3, 4, 1500000000},  // the product overflows 32 bits
      {1, 1, 0, -1},                   // division by zero gives -1
  };
  for (const auto &c : cases)
    EXPECT_EQ(MulDiv(c.Number, c.Numerator, c.Denominator), c.Expected)
        << c.Number << " * " << c.Numerator << " / " << c.Denominator;
}

TEST(Rounding, HalvesGoToEvenAndClampToByteSaturates) {
  const std::pair<double, int64_t> round[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},
                                              {-0.5, 0}, {-1.5, -2}, {2.4999, 2}};
  for (auto [value, expected] : round) EXPECT_EQ(RoundHalfEven(value), expected) << value;

  const std::pair<double, int> bytes[] = {{-3.0, 0},    {0.5, 0},   {1.5, 2},    {254.5, 254},
                                          {255.4, 255}, {1e9, 255}, {127.5, 128}};
  for (auto [value, expected] : bytes) EXPECT_EQ(ClampToByte(value), expected) << value;
  EXPECT_EQ(ClampToByte(std::nan("")), 0);
}

TEST(Rect, IntersectAndUnionTreatEmptySidesAsNothing) {
  const TVxRect a{0, 0, 10, 10}, b{5, 5, 20, 20}, far{30, 30, 40, 40}, empty{};
  EXPECT_EQ(IntersectRect(a, b), (TVxRect{5, 5, 10, 10}));
  EXPECT_TRUE(IntersectRect(a, far).IsEmpty());
  EXPECT_EQ(UnionRect(a, b), (TVxRect{0, 0, 20, 20}));
  EXPECT_EQ(UnionRect(empty, b), b);
  EXPECT_EQ(UnionRect(a, TVxRect{50, 50, 50, 60}), a);  // zero width
}

}  // namespace
